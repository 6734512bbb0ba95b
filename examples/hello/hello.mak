# Bravik の見本のプロファイル: GNU make for Windows で三つのビルドを実行します。
#BvExe C:\GnuMake\make.exe
#BvOpt -f %s
#BvErrmsg 3
#BvEdit notepad.exe
#BvEnv GREETING=こんにちは
#Bravik "" すべてのビルド
#Bravik "BROKEN=1" エラーのあるビルド
#Bravik "-n" 実行内容の確認 (ドライラン)

ifdef BROKEN
CHECK = broken
else
CHECK = clean
endif

all: main.obj util.obj
	@echo link /out:hello.exe main.obj util.obj
	@echo hello.exe - 0 error(s), 0 warning(s)

main.obj: src\main.c
	@echo cl /c src\main.c
	@echo $(GREETING): main.c をコンパイルしました

util.obj: $(CHECK)
	@echo cl /c src\util.c

clean:
	@echo src\util.c(7) : warning C4101: 'unused' : unreferenced local variable

broken:
	@echo src\util.c(12) : error C2065: 'count' : undeclared identifier
	@echo src/util.c:15: error: expected ';' before 'return'
	@echo Error src\util.c 18: Undefined symbol 'total' in function last
	@echo ユーティリティのコンパイルでエラーが発生しました
	@exit 2

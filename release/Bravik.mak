# Bravik.mak ― Bravik のプロファイル（MAKE ファイル）の見本 Version @VERSION@
#
# Bravik は MAKE ファイルのコメント行のうち、1 桁目から「#Bv」で始まる行を
# 設定として、「#Bravik」で始まる行をビルドの種類として読み取ります。
# MAKE にとってはただのコメントなので、このファイルはそのまま MAKE ファイルです。
# 行頭に空白があったり「# #BvExe」のように書いたりした行は読まれません。
# 同じ設定を何度も書くと後の行が有効になります（#BvEnv だけは行が加わります）。
# ここに書いた設定は「環境の設定」より優先され、別の MAKE ファイルを開いても、
# そのファイルが同じ設定を書かない限りそのまま残ります。
# 自分のプロジェクトの MAKE ファイルの先頭に、必要な行だけを写して使ってください。

# ---- MAKE の実行 ---------------------------------------------------------
# MAKE プログラム（GNU make の例。nmake なら C:\...\nmake.exe のように書きます）
#BvExe C:\GnuMake\make.exe
# MAKE のオプション。%s はこのファイルの名前に置き換わります。
# %s を書かないと「/f ファイル名」が付きます（nmake の書き方）。GNU make は -f です。
#BvOpt -f %s
# MAKE に渡す環境変数。1 行に 1 つ。%名前% で変数を 1 つだけ参照できます。
# 名前には SYSTEMDIRECTORY・WINDOWSDIRECTORY・CURRENTDIRECTORY も使えます。
#BvEnv PATH=%PATH%;C:\MinGW\bin
#BvEnv CFLAGS=-Wall
# 1: Windows の環境変数を引き継ぎ、#BvEnv の行を加えます　0: #BvEnv の行だけを渡します
#BvSenv 1
# MAKE を実行するフォルダ。空にすると、この MAKE ファイルのあるフォルダです。
#BvCur

# ---- エディタ（エラー行をダブルクリックしたときに開くエディタ） ----------------
# 秀丸エディタなら「#BvEdit C:\Program Files\Hidemaru\Hidemaru.exe」
# 「#BvEopt /j%d」「#BvKind 1」と書くと、エラーの行へカーソルが移ります。
#BvEdit notepad.exe
# エディタのオプション。%d は行番号に置き換わります。
#BvEopt
# 0: 一般のエディタ　1: 秀丸エディタ
#BvKind 0

# ---- 実行ウィンドウ ---------------------------------------------------------
# 1: 複数のビルドを選んで続けて実行できるようにします（#BvClose 1 にもなります）
#BvMulti 0
# 1: エラーのない実行が終わったら、実行ウィンドウを自動で閉じます
#BvClose 0
# 赤い太字で強調する行　0: なし　1: エラー行　2: ジャンプできる行　3: 両方
#BvErrmsg 3

# ---- ビルドの種類 -----------------------------------------------------------
# #Bravik "MAKE に渡すマクロや目標" 一覧に表示する名前
#Bravik "nodebug=1" リリース版のコンパイル
#Bravik "" デバッグ版のコンパイル
#Bravik "clean" 作成したファイルの削除
#Bravik "tour" Bravik の動作確認（コンパイラなしで試せます）

# ---- ここから下は普通の MAKE の記述です。プログラムに合わせて書き換えてください。
TARGET = sample.exe
OBJS = sample.o
CC = gcc

ifdef nodebug
CFLAGS += -O2 -DNDEBUG
else
CFLAGS += -g
endif

$(TARGET): $(OBJS)
	$(CC) $(CFLAGS) -o $@ $(OBJS)

%.o: %.c
	$(CC) $(CFLAGS) -c $<

clean:
	-del $(TARGET) $(OBJS)

# 動作確認: コンパイラの出力の代わりに、このファイルの行を指す行を表示します。
# 赤い太字の行をダブルクリックすると、エディタでこのファイルが開きます。
tour:
	@echo Bravik.mak(@LINE_BVEDIT@) : warning: エディタはここで指定します
	@echo Bravik.mak:@LINE_BVERRMSG@: error: 強調表示はここで指定します
	@echo ビルドの種類は @LINE_BRAVIK@ 行目からです。

# 三つのビルド
#Bravik "nodebug=1" リリース版
#Bravik "" デバッグ版
#Bravik "PROFILE=1 OPT=-O2" プロファイル版 (最適化)
all:
	@echo done

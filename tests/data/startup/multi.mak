#BvMulti 1
#Bravik "A=1" ˆê”Ô–Ú
#Bravik "B=2" “ñ”Ô–Ú
all:
	@echo done

all:
	@echo no variants here

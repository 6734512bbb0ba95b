. "$TOP/tests/e2e/lib.sh"
data=$(mktemp -d)
cp932 '#Bravik "V=1" 一番目\n#Bravik "V=2 RC=1" 二番目\n#Bravik "" 三番目\nRC=0\nall:\n\t@echo V$(V)>> runs.log\n' >"$data/batch.mak"
bravik "$(winpath "$data/batch.mak")"
w=$(main_window)
sb=$(drv item "$w" ID_STATUSBAR)
drv post "$w" WM_SYSCOMMAND SC_KEYMENU 32; sleep 0.7
for k in UP UP UP RIGHT DOWN; do
drv post "$w" WM_KEYDOWN VK_$k 0; sleep 0.4
for wp in 0 255; do echo "$k wp=$wp $(drv send "$sb" SB_GETTEXTLENGTHW $wp 0) $(drv send "$sb" SB_GETTEXTLENGTHA $wp 0) simple=$(drv send "$sb" SB_ISSIMPLE 0 0)"; done
done

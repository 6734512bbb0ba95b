#!/usr/bin/env bash
# Start-up of the real Bravik.exe: title, variants, file errors, the stored
# settings record and window position.
. "$TOP/tests/e2e/lib.sh"
KEY='Software\Quibrel\Bravik\Spec'
data="$TOP/tests/data/startup"
tmp=$(mktemp -d)

record() {  # record FILE SIZE [python statements on the bytearray b]
  python3 - "$1" "$2" "${3:-}" <<'PY'
import struct, sys
path, size, code = sys.argv[1], int(sys.argv[2]), sys.argv[3]
b = bytearray(max(size, 3404))
struct.pack_into('<I', b, 0, 151)
struct.pack_into('<i', b, 3140, 1)
exec(code)
open(path, 'wb').write(bytes(b[:size]))
PY
}
position() { python3 -c "import struct,sys; open(sys.argv[1],'wb').write(struct.pack('<4i',*map(int,sys.argv[2:])))" "$@"; }
stored_position() {  # prints x y w h of the stored "Position"
  drv reg-read HKCU "$KEY" Position | python3 -c "import sys,struct; v=sys.stdin.read().split(); print(*struct.unpack('<4i', bytes(int(x,16) for x in v[1:17])))"
}
multi_select() { [ $(( $(drv style "$(drv item "$1" ID_VARIANTLIST)") & 8 )) != 0 ]; }

# First start: no key at all.
drv reg-delete HKCU 'Software\Quibrel' >/dev/null
bravik "$(winpath "$data/variants.mak")"
w=$(hidden_main_window)
same "title names the makefile" "variants.mak - Bravik" "$(drv text "$w")"
same "variants listed in makefile order" "$(printf 'リリース版\nデバッグ版\nプロファイル版 (最適化)')" "$(drv list-items "$w" ID_VARIANTLIST)"
check "single-selection list by default" not multi_select "$w"
same "first start opens 320 x 280" "320 280" "$(drv rect "$w" | awk '{print $3, $4}')"
shot startup-variants
drv close "$w"; wait_exit "$LAST_PID"
same "closing ends the program with code 0" 0 $?
same "close stores the position" "320 280" "$(stored_position | awk '{print $3, $4}')"
check "close without the settings dialog writes no record" not drv reg-read HKCU "$KEY" Value

# No makefile.
bravik
w=$(hidden_main_window)
same "no argument: No File - Bravik" "No File - Bravik" "$(drv text "$w")"
same "no argument: empty list" "" "$(drv list-items "$w" ID_VARIANTLIST)"
shot startup-nofile
drv close "$w"; wait_exit "$LAST_PID"

# A missing makefile: the centred stop message, then the window without a file.
for name in missing.mak "$(winpath "$tmp/missing.mak")"; do
  bravik "/A" "$name"
  box=$(drv find '#32770' Bravik 15000)
  check "missing file: message shown" test -n "$box"
  same "missing file: message text" "missing.mak ファイルが見つからないか、既に使用されています。" "$(drv text "$box" MSGBOX_TEXT)"
  check "missing file: the box shows its icon" drv item "$box" MSGBOX_ICON
  w=$(hidden_main_window)
  read -r l t ww wh <<<"$(drv rect "$w")"; read -r bl bt bw bh <<<"$(drv rect "$box")"
  # Centred, but never further left or up than the main window's own edges.
  wantx=$(( (ww - bw) / 2 )); [ $wantx -lt 0 ] && wantx=0
  wanty=$(( (wh - bh) / 2 )); [ $wanty -lt 0 ] && wanty=0
  same "missing file: box centred over the (hidden) main window" "$((l + wantx)) $((t + wanty))" "$bl $bt"
  shot startup-missing-file
  drv command "$box" IDOK
  sleep 0.5
  same "after the message the window shows No File" "No File - Bravik" "$(drv text "$w")"
  same "switch cancelled: window shown" visible=1 "$(drv state "$w" | cut -d' ' -f1)"
  drv close "$w"; wait_exit "$LAST_PID"
done

# Stored position, and the maximised and minimised rules at close.
position "$tmp/pos" 40 30 500 400
drv reg-write HKCU "$KEY" Position "$(winpath "$tmp/pos")"
bravik "$(winpath "$data/plain.mak")"
w=$(hidden_main_window)
same "window opens at the stored position" "40 30 500 400" "$(drv rect "$w")"
same "no variants: the two defaults" "$(printf 'リリース版のコンパイル\nデバッグ版のコンパイル')" "$(drv list-items "$w" ID_VARIANTLIST)"
drv show "$w" SW_MAXIMIZE; sleep 0.5
maxleft=$(drv rect "$w" | awk '{print $1}')
drv close "$w"; wait_exit "$LAST_PID"
same "maximised: normal top and size, left edge of the maximised window" "$maxleft 30 500 400" "$(stored_position)"

drv reg-write HKCU "$KEY" Position "$(winpath "$tmp/pos")"
bravik "$(winpath "$data/plain.mak")"
w=$(hidden_main_window)
drv show "$w" SW_MINIMIZE; sleep 0.5
drv close "$w"; wait_exit "$LAST_PID"
same "minimised: the normal rectangle is stored" "40 30 500 400" "$(stored_position)"

# Stored records: short, over-long, and a makefile that switches the list mode.
record "$tmp/short" 3144 "b[3125] = 0x04"
drv reg-write HKCU "$KEY" Value "$(winpath "$tmp/short")"
bravik "$(winpath "$data/plain.mak")"
w=$(hidden_main_window)
check "short record: its flags apply (multiple selection)" multi_select "$w"
drv close "$w"; wait_exit "$LAST_PID"
same "short record: not rewritten without the dialog" 3144 "$(drv reg-read HKCU "$KEY" Value | awk '{print $1}')"

record "$tmp/long" 3405 "b[3125] = 0x04"
drv reg-write HKCU "$KEY" Value "$(winpath "$tmp/long")"
bravik "$(winpath "$data/plain.mak")"
w=$(hidden_main_window)
check "over-long record ignored (single selection)" not multi_select "$w"
drv close "$w"; wait_exit "$LAST_PID"

drv reg-delete HKCU 'Software\Quibrel' >/dev/null
bravik "$(winpath "$data/multi.mak")"
w=$(hidden_main_window)
check "#BvMulti 1 re-creates the list for multiple selection" multi_select "$w"
same "re-created list keeps the labels" "$(printf '一番目\n二番目')" "$(drv list-items "$w" ID_VARIANTLIST)"
shot startup-multi
drv close "$w"; wait_exit "$LAST_PID"

drv reg-delete HKCU 'Software\Quibrel' >/dev/null
rm -rf "$tmp"

#!/usr/bin/env bash
# The run dialog: Bravik.exe /A with GNU make, whose top makefile runs "$(MAKE)
# -C sub" and "$(MAKE) -C lib", each printing a diagnostic naming x.c (one in
# GCC's coloured UTF-8). F4 and Shift+F4 from the real keyboard walk them into
# the editor, each x.c where its make ran; the counts; the pane's menu (select
# all, save, a failed save); the README's screenshot of that menu.
. "$TOP/tests/e2e/lib.sh"
# chatter and make from a short folder without blanks, wherever the checkout
# lies: Wine cuts the end off a command line whose unquoted program path holds
# blanks and double-byte characters.
data=$(mktemp -d "$DRIVE_C/bvnav.XXXXXX")
wdata="C:\\$(basename "$data")"
at_exit "rm -rf '$data'"
cp "$BUILD/tools/chatter/chatter.exe" "$GNUMAKE" "$data/"
CHATTER="$wdata\\chatter.exe"
mkdir -p "$data/sub" "$data/lib"
for d in . sub lib; do printf 'int x;\r\nint y;\r\nint z;\r\nint w;\r\n' >"$data/$d/x.c"; done
# GCC with -fdiagnostics-color=always in a UTF-8 locale.
printf '\033[01m\033[Kx.c:4:1:\033[m\033[K \033[01;31m\033[Kerror: \033[m\033[K\xe2\x80\x98y\xe2\x80\x99 undeclared\n' >"$data/lib/colour.txt"
printf 'all:\n\t@%s line "x.c:2: error: in sub"\n' "$CHATTER" >"$data/sub/Makefile"
printf 'all:\n\t@%s line "x.c(3) : warning C4101: in lib" print colour.txt\n' "$CHATTER" >"$data/lib/Makefile"

profile() {  # profile NAME EDITOR RECIPE...: one variant "実行"; the editor gets the line first
  { printf '%s\r\n' "#BvExe $wdata\\make.exe" '#BvOpt -f %s' '#BvErrmsg 3' '#BvClose 0' "#BvEdit $2" "#BvEopt %d" \
      '#Bravik "" 実行' 'all:'; printf '\t@%s\r\n' "${@:3}"; } | iconv -f UTF-8 -t CP932 >"$data/$1"
}
TITLE='MAKEの実行 - \[実行\]'
start_run() { : >"$RECORD_LOG"; bravik /A "$wdata\\$1"; d=$(dialog "MAKEの実行 - [実行]" 20000); pane=$(drv item "$d" PANE); }
end_run() { drv press "$d" IDCANCEL; wait_exit "$LAST_PID"; }
jumps() { records | sed 's/^.*bvrecord\.exe"* //'; }
wait_jumps() { within 5 eval '[ "$(jumps | wc -l)" -ge '"$1"' ]'; }
key() { xdotool key "$@"; sleep 0.5; }
selection() { local s; s=$(drv send "$pane" EM_GETSEL 0 0); echo "$((s & 0xFFFF)) $((s >> 16))"; }
caret_line() { drv send "$pane" EM_LINEFROMCHAR "$(($(drv send "$pane" EM_GETSEL 0 0) & 0xFFFF))" 0; }
popup() { first find '#32768' "" 3000; }
save_as() {  # save_as PATH: 名前を付けて保存... from Shift+F10; prints the name offered
  local s box=FILE_NAME
  key shift+F10; popup >/dev/null; key Up Return
  s=$(dialog 名前を付けて保存); drv item "$s" FILE_NAME >/dev/null || box=FILE_NAME_EDIT
  drv text "$s" $box; drv set-text "$s" $box "$1"; drv press "$s" IDOK
}

profile top.mak "$(winpath "$RECORDER")" "$CHATTER line \"x.c(1) : error C2065: top\"" '$(MAKE) -C sub' '$(MAKE) -C lib' \
  "$CHATTER line \"x.c(1) : error C2065: top again\""
start_run top.mak
check "the run through sub and lib ends" finished "$d"
text=$(drv text "$pane")
contains "GCC's coloured UTF-8 line reads as plain text in CP932, without its escapes" "x.c:4:1: error: ‘y’ undeclared" "$text"
same "the counts under the pane" "エラー 5 行 / ジャンプ可能 5 行" "$(drv text "$d" IDC_RUNCOUNTS)"

focus "$TITLE"
key F4; wait_jumps 1; key F4; wait_jumps 2; key F4 F4 F4; wait_jumps 5
last=$(selection)
key F4; sleep 1
same "F4 at the last diagnostic stays there and jumps nowhere" "$last 5" "$(selection) $(jumps | wc -l)"
key shift+F4; wait_jumps 6
same "F4 ... Shift+F4 jump to each diagnostic in turn, into the directory its make ran in" "1 x.c
2 $wdata\\sub\\x.c
3 $wdata\\lib\\x.c
4 $wdata\\lib\\x.c
1 x.c
4 $wdata\\lib\\x.c" "$(jumps)"
same "Shift+F4 selects the whole line it went to" "x.c:4:1: error: ‘y’ undeclared" "$(sed -n "$(($(caret_line) + 1))p" <<<"$text")"

read -r px py _ _ <<<"$(drv rect "$pane")"
xdotool mousemove $((px + 80)) $((py + 30)) click 3
check "a right click opens the pane's menu" popup
sleep 0.3
shot context-menu "$d"
key Down Down Return
read -r s e <<<"$(selection)"
check "すべて選択 selects the whole text ($s..$e)" test "$s" = 0 -a "$e" -gt 100
same "名前を付けて保存... offers the makefile's name with .log" top.log "$(save_as "$wdata\\top.log")"
within 5 test -s "$data/top.log"
same "the log is the pane's text in CP932" "$text" "$(iconv -f CP932 -t UTF-8 "$data/top.log" | tr -d '\r')"
same "with CR LF line ends" "$(wc -l <"$data/top.log")" "$(grep -c $'\r$' "$data/top.log")"
save_as "$wdata\\nowhere\\x.log" >/dev/null
same "a failed write says so" "x.log ファイルの作成に失敗しました。" "$(message)"
end_run

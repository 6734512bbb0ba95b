#!/usr/bin/env bash
# Walking a build's diagnostics end to end: Bravik.exe /A with the real GNU
# make, whose top makefile runs "$(MAKE) -C sub" and "$(MAKE) -C lib"; each
# prints a diagnostic naming x.c, one of them coloured UTF-8 as GCC prints it.
# F4 and Shift+F4 from the real keyboard walk the diagnostics into the test
# editor (bvrecord writes down every start), each x.c found in the directory
# make had entered; the counts under the pane; the context menu from the
# mouse, Shift+F10 and the menu key (select all, next, save with its default
# name, a failed save); F4 while make still runs only moves the caret; a jump key F4
# keeps its meaning. Screenshots for the README.
. "$TOP/tests/e2e/lib.sh"
data=$(mktemp -d "$WINEPREFIX/drive_c/bvnav.XXXXXX")
wdata="C:\\$(basename "$data")"
# Notepad keeps its window position in the registry: the screenshot places
# it beside the run dialog, and the user's comes back.
NOTEPAD_KEY='HKCU\Software\Microsoft\Notepad'
notepad_saved=0
"$WINE" reg export "$NOTEPAD_KEY" "$(winpath "$data/notepad.reg")" /y >/dev/null 2>&1 && notepad_saved=1
cleanup() {
  "$WINE" reg delete "$NOTEPAD_KEY" /f >/dev/null 2>&1
  [ $notepad_saved = 1 ] && "$WINE" reg import "$(winpath "$data/notepad.reg")" >/dev/null 2>&1
  rm -rf "$data"
  finish
}
trap cleanup EXIT

CHATTER=$(winpath "$BUILD/tools/chatter/chatter.exe")
MAKE_WIN=$(winpath "$GNUMAKE")
RECORDER_WIN=$(winpath "$RECORDER")
mkdir -p "$data/sub" "$data/lib"
for d in . sub lib; do printf 'int x;\r\nint y;\r\nint z;\r\nint w;\r\n' >"$data/$d/x.c"; done
# GCC with -fdiagnostics-color=always in a UTF-8 locale.
printf '\033[01m\033[Kx.c:4:1:\033[m\033[K \033[01;31m\033[Kerror: \033[m\033[K\xe2\x80\x98y\xe2\x80\x99 undeclared\n' \
  >"$data/lib/colour.txt"
printf 'all:\n\t@%s line "x.c:2: error: in sub"\n' "$CHATTER" >"$data/sub/Makefile"
printf 'all:\n\t@%s line "x.c(3) : warning C4101: in lib" print colour.txt crlf\n' "$CHATTER" >"$data/lib/Makefile"

# profile NAME LABEL EDITOR RECIPE...: a makefile in CP932 with one variant
# (the editor gets the line number first, unless it is notepad).
profile() {
  local name=$1 label=$2 editor=$3 options='#BvEopt %d'
  shift 3
  [ "$editor" = notepad.exe ] && options='#BvEopt'
  {
    printf '%s\r\n' "#BvExe $MAKE_WIN" '#BvOpt -f %s' '#BvErrmsg 3' '#BvClose 0' "#BvEdit $editor" "$options" \
      "#Bravik \"\" $label" 'all:'
    for r in "$@"; do printf '\t@%s\r\n' "$r"; done
  } | iconv -f UTF-8 -t CP932 >"$data/$name"
}
start_run() {  # start_run MAKEFILE LABEL: Bravik /A; its run dialog in $d, its pane in $pane
  bravik /A "$wdata\\$1"
  d=$(drv find-visible '#32770' "MAKEの実行 - [$2]" 20000)
  pane=$(drv item "$d" PANE)
}
finished() { eventually "$2 ends" "閉じる" drv text "$1" IDCANCEL; }
focus() {  # the X focus on the dialog, so that the keys reach it
  xdotool search --name "$1" windowactivate --sync 2>/dev/null
  xdotool search --name "$1" windowfocus --sync 2>/dev/null
  sleep 0.3
}
records() { tr -d '\r' <"$RECORD_LOG" 2>/dev/null | sed 's/^.*bvrecord\.exe"* //'; }
wait_records() {  # wait_records N: until the editor has been started N times (5 s at most)
  for _ in $(seq 50); do [ "$(records | wc -l)" -ge "$1" ] && break; sleep 0.1; done
}
key() {  # key KEYS... : real key presses, then a moment for the dialog
  xdotool key "$@"
  sleep 0.5
}
selection() { drv selection "$pane"; }  # start and end of the pane's selection
popup() { drv find-visible '#32768' "" "${1:-3000}"; }

profile top.mak "サブディレクトリ" "$RECORDER_WIN" "$CHATTER line \"x.c(1) : error C2065: top\"" '$(MAKE) -C sub' \
  '$(MAKE) -C lib' "$CHATTER line \"x.c(1) : error C2065: top again\""
: >"$RECORD_LOG"
start_run top.mak "サブディレクトリ"
check "run dialog opens" test -n "$d"
finished "$d" "the run through sub and lib"
text=$(drv text "$pane")
contains "sub-make prints where it enters" "make[1]: Entering directory '" "$text"
contains "the coloured UTF-8 line reads as plain text in CP932" "x.c:4:1: error: ‘y’ undeclared" "$text"
check "no escape byte in the pane" not grep -q $'\033' <<<"$text"
same "counts under the pane" "エラー 5 行 / ジャンプ可能 5 行" "$(drv text "$d" IDC_RUNCOUNTS)"

# F4 walks from the top into the editor, each x.c where its make ran; at
# the last one it beeps and stays; Shift+F4 goes back.
focus "MAKEの実行 - \[サブディレクトリ\]"
key F4
wait_records 1
key F4
wait_records 2
shot run_f4_walk "$d"
key F4 F4 F4
wait_records 5
last=$(selection)
key F4
sleep 1
same "F4 at the last diagnostic stays on it and jumps nowhere" "$last 5" "$(selection) $(records | wc -l)"
key shift+F4
wait_records 6
same "F4 F4 ... Shift+F4 jump to each diagnostic in turn, the lines of the top make against the makefile's directory" \
  "1 x.c
2 $wdata\\sub\\x.c
3 $wdata\\lib\\x.c
4 $wdata\\lib\\x.c
1 x.c
4 $wdata\\lib\\x.c" "$(records)"
same "Shift+F4 selects the whole line it went to" "x.c:4:1: error: ‘y’ undeclared" \
  "$(drv text "$pane" | sed -n "$(($(drv caret-line "$pane") + 1))p")"

# The context menu from the mouse: select all.
read -r px py pw ph <<<"$(drv rect "$pane")"
xdotool mousemove $((px + 80)) $((py + 30)) click 3
m=$(popup)
check "a right click opens the pane's menu" test -n "$m"
shot run_context_menu "$d"
key Down Down Return
read -r s e <<<"$(selection)"
check "すべて選択 selects the whole text ($s..$e)" test "$s" = 0 -a "$e" -gt 100

# Shift+F10: the menu at the caret; 名前を付けて保存... offers makefile.log
# beside the makefile and writes CP932 with CR LF.
key shift+F10
m=$(popup)
check "Shift+F10 opens the pane's menu" test -n "$m"
key Up Return
save=$(drv find-visible '#32770' "名前を付けて保存" 5000)
check "名前を付けて保存... opens the save dialog" test -n "$save"
name_box=FILE_NAME; drv item "$save" FILE_NAME >/dev/null || name_box=FILE_NAME_EDIT
same "the default name is the makefile's base name with .log" "top.log" "$(drv text "$save" $name_box)"
drv set-text "$save" $name_box "$wdata\\top.log" >/dev/null
drv press "$save" IDOK >/dev/null
for _ in $(seq 50); do [ -s "$data/top.log" ] && break; sleep 0.1; done
saved=$(iconv -f CP932 -t UTF-8 <"$data/top.log" 2>/dev/null)
same "the saved log is the pane's text" "$(drv text "$pane" | tr -d '\r')" "$(tr -d '\r' <<<"$saved")"
check "the saved log has CR LF line ends only" test "$(grep -c $'\r$' "$data/top.log")" = "$(wc -l <"$data/top.log")" -a \
  "$(grep -c . "$data/top.log")" -gt 5
contains "the saved log is CP932" "‘y’ undeclared" "$saved"

# The menu key opens it as well.
focus "MAKEの実行 - \[サブディレクトリ\]"
key Menu
m=$(popup)
check "the menu key opens the pane's menu" test -n "$m"
key Escape

# A file that cannot be written: the user is told.
key shift+F10
popup >/dev/null
key Up Return
save=$(drv find-visible '#32770' "名前を付けて保存" 5000)
name_box=FILE_NAME; drv item "$save" FILE_NAME >/dev/null || name_box=FILE_NAME_EDIT
drv set-text "$save" $name_box "$wdata\\nowhere\\x.log" >/dev/null
drv press "$save" IDOK >/dev/null
box=$(drv find-visible '#32770' Bravik 5000)
same "a failed write says so" "x.log ファイルの作成に失敗しました。" "$(drv text "$box" MSGBOX_TEXT)"
drv press "$box" IDOK >/dev/null
drv press "$d" IDCANCEL >/dev/null
wait_exit "$LAST_PID" 20

# While make runs, F4 only moves the caret.
profile slow.mak "実行中" "$RECORDER_WIN" "$CHATTER line \"x.c(2) : error C1: slow\" sleep 4000"
: >"$RECORD_LOG"
start_run slow.mak "実行中"
for _ in $(seq 50); do drv text "$pane" | grep -q slow && break; sleep 0.1; done
for _ in 1 2 3; do  # the X focus can be late under Xvfb: pressed again if nothing moved
  focus "MAKEの実行 - \[実行中\]"
  key F4
  read -r s e <<<"$(selection)"
  [ "$s" -lt "$e" ] && break
done
same "F4 during the run selects the diagnostic line" "1 1" "$(drv caret-line "$pane") $(drv line-of "$pane" $((e - 1)))"
same "F4 during the run does not jump" "" "$(records)"
finished "$d" "the slow run"
same "nothing jumped after the run either" "" "$(records)"
drv press "$d" IDCANCEL >/dev/null
wait_exit "$LAST_PID" 20

# A jump key F4 keeps its meaning; next and previous stay in the menu.
drv settings-set jumpKey=13 >/dev/null
: >"$RECORD_LOG"
start_run top.mak "サブディレクトリ"
finished "$d" "the run with jump key F4"
focus "MAKEの実行 - \[サブディレクトリ\]"
read -r px py pw ph <<<"$(drv rect "$pane")"
read -r cx cy <<<"$(drv char-pos "$pane" 3)"  # the sub-make's diagnostic
xdotool mousemove $((px + cx + 8)) $((py + cy + 6)) click 1
sleep 0.3
key F4
wait_records 1
same "jump key F4 jumps from the caret line" "2 $wdata\\sub\\x.c" "$(records)"
xdotool mousemove $((px + cx + 8)) $((py + cy + 6)) click 3
popup >/dev/null
key Down Down Down Return
wait_records 2
same "次のエラー (F4) from the menu goes on to the next diagnostic" "3 $wdata\\lib\\x.c" "$(records | sed -n 2p)"
drv press "$d" IDCANCEL >/dev/null
wait_exit "$LAST_PID" 20
drv settings-set jumpKey=0 >/dev/null

# The README's picture: F4 F4 walks into notepad on the sub-make's x.c.
for value in iWindowPosX=420 iWindowPosY=160 iWindowPosDX=460 iWindowPosDY=300; do
  "$WINE" reg add "$NOTEPAD_KEY" /v "${value%=*}" /t REG_DWORD /d "${value#*=}" /f >/dev/null 2>&1
done
printf 'int x;\r\nint y; /* in sub */\r\n' >"$data/sub/x.c"
profile notepad.mak "サブディレクトリ" notepad.exe "$CHATTER line \"x.c(1) : error C2065: top\"" '$(MAKE) -C sub' \
  '$(MAKE) -C lib'
start_run notepad.mak "サブディレクトリ"
finished "$d" "the run for the picture"
focus "MAKEの実行 - \[サブディレクトリ\]"
key F4
notepad=$(drv find-visible Notepad "" 15000)
same "F4 opens notepad on the top make's x.c" "x.c - メモ帳" "$(drv text "$notepad")"
drv close "$notepad" >/dev/null
drv gone "$notepad" 5000
focus "MAKEの実行 - \[サブディレクトリ\]"
key F4
notepad=$(drv find-visible Notepad "" 15000)
contains "the next F4 opens notepad on the sub-make's x.c" "in sub" "$(drv children "$notepad")"
sleep 0.5
read -r x y w h <<<"$(drv rect "$notepad")"
import -window root -crop "$((x + w))x$((y + h > 600 ? y + h : 600))+0+0" +repage "$SHOTS/readme-f4-walk.png" 2>/dev/null
drv close "$notepad" >/dev/null
drv gone "$notepad" 5000
drv press "$d" IDCANCEL >/dev/null
wait_exit "$LAST_PID" 20

#!/usr/bin/env bash
# The make run end to end: Bravik.exe /A with GNU make on makefiles whose
# recipes print recorded compiler output (tests/data/run) through chatter.
# Checks the run dialog's title, status, buttons and pane text, the bold red
# lines in screenshots, close-on-success, abort, the start-failure message,
# and the jump key and double-click from the real keyboard and mouse.
. "$TOP/tests/e2e/lib/mainpilot.sh"
data=$(mktemp -d "$WINEPREFIX/drive_c/bvrun.XXXXXX")
wdata="C:\\$(basename "$data")"
cleanup() {
  [ -s "$data/forever.pid" ] && "$WINE" taskkill /F /PID "$(tr -d '\r\n' <"$data/forever.pid")" >/dev/null 2>&1
  rm -rf "$data"
  finish
}
trap cleanup EXIT

CHATTER=$(winpath "$BUILD/tools/chatter/chatter.exe")
MAKE_WIN=$(winpath "$GNUMAKE")
for f in msvc borland gcc japanese; do iconv -f UTF-8 -t CP932 "$TOP/tests/data/run/$f.txt" >"$data/$f.txt"; done
printf 'int x;\n' >"$data/main.c"

# makefile NAME ERRMSG CLOSE LABEL RECIPE: a makefile in CP932 with one variant.
makefile() {
  printf '%s\r\n' "#BvExe $MAKE_WIN" '#BvOpt -f %s' "#BvErrmsg $2" "#BvClose $3" "#BvEdit $CHATTER" \
    "#BvEopt args $wdata\\jump.txt %d" "#Bravik \"\" $4" 'run:' "	@$CHATTER $5" |
    iconv -f UTF-8 -t CP932 >"$data/$1"
}
start_run() {  # start_run MAKEFILE LABEL: Bravik /A; its run dialog in $d
  bravik /A "$wdata\\$1"
  d=$(pilot find-visible '#32770' "MAKEの実行 - [$2]" 20000)
}
finished() {  # finished DIALOG: waits until button 2 reads 閉じる
  eventually "$2 ends" "閉じる" pilot text "$(pilot item "$1" 2)"
}
pane_text() { pilot text "$(pilot item "$1" 0)"; }
# Pixels of the highlight colour in a screenshot (antialiased edges aside).
red_pixels() {
  convert "$SHOTS/$1.png" -fuzz 12% -fill black +opaque 'rgb(255,0,0)' -fill white -opaque 'rgb(255,0,0)' \
    -format '%[fx:int(mean*w*h+0.5)]' info: 2>/dev/null
}

recorded="print msvc.txt crlf print borland.txt crlf print gcc.txt lf print japanese.txt cr text 最後の行"
expected=$(cat "$TOP"/tests/data/run/{msvc,borland,gcc,japanese}.txt)

# Recorded output, highlighting on: every line shown, in order, the error
# and diagnostic lines in bold red.
makefile recorded.mak 3 0 "記録された出力" "$recorded"
start_run recorded.mak "記録された出力"
check "run dialog titled with the variant" test -n "$d"
finished "$d" "recorded run"
status=$(pilot text "$(pilot item "$d" 1204)")
seconds=${status% 秒でMAKE終了}
same "status after the run" "$seconds 秒でMAKE終了" "$status"
same "pane: command line, every recorded line, the last line and the outcome" \
  "$MAKE_WIN -f recorded.mak
$expected
最後の行$seconds 秒でMAKEが正常に終了しました." "$(pane_text "$d")"
same "editor and recompile buttons enabled" "visible=1 enabled=1 visible=1 enabled=1" \
  "$(pilot state "$(pilot item "$d" 1201)") $(pilot state "$(pilot item "$d" 1202)")"
shot run_recorded "$d"
highlighted=$(red_pixels run_recorded)
check "highlighted lines are red on the screen ($highlighted pixels)" test "${highlighted:-0}" -gt 200
pilot click "$d" 2 >/dev/null
check "closing the dialog of an unattended run ends Bravik" wait_exit "$LAST_PID" 20

# The same output with highlighting off: nothing red.
makefile plain.mak 0 0 "強調なし" "$recorded"
start_run plain.mak "強調なし"
finished "$d" "plain run"
shot run_plain "$d"
same "no red without highlighting" "0" "$(red_pixels run_plain)"
pilot click "$d" 2 >/dev/null
wait_exit "$LAST_PID" 20

# Close on success: a clean run closes itself and the unattended Bravik ends;
# a "warning" anywhere keeps the dialog open.
makefile clean.mak 3 1 "成功" "line コンパイル完了"
bravik /A "$wdata\\clean.mak"
check "clean run with closeOnSuccess ends Bravik by itself" wait_exit "$LAST_PID" 30
makefile warned.mak 3 1 "警告" "line \"1 warning\""
start_run warned.mak "警告"
finished "$d" "warned run"
sleep 1.5
check "a warning keeps the dialog open" test -n "$(pilot state "$d")"
pilot click "$d" 2 >/dev/null
wait_exit "$LAST_PID" 20

# Abort a child that never ends; then the jump key (Space) and a double-click.
pilot settings-set jumpKey=1 >/dev/null
lines=$(for _ in 1 2 3 4 5 6; do printf 'line "main.c(12) : error C2065: x" '; done)
makefile forever.mak 3 0 "終わらない" "pid forever.pid $lines sleep -1"
start_run forever.mak "終わらない"
eventually "status counts seconds" "1 秒" pilot text "$(pilot item "$d" 1204)"
same "button 2 aborts while running" "中断" "$(pilot text "$(pilot item "$d" 2)")"
same "editor button disabled while running" "visible=1 enabled=0" "$(pilot state "$(pilot item "$d" 1201)")"
pilot click "$d" 2 >/dev/null  # "中断の処理中" lasts until the next tick: the Wine test sees it
finished "$d" "aborted run"
status=$(pilot text "$(pilot item "$d" 1204)")
last=$(pane_text "$d" | grep -v "^$" | tail -1)
same "aborted run ends with exit code -1" "${status% 秒でMAKE終了} 秒でMAKEが -1 のエラーで終了しました." "$last"
shot run_aborted "$d"
wait_jump() {  # prints what the test editor was asked to open (5 s at most)
  for _ in $(seq 50); do [ -s "$data/jump.txt" ] && break; sleep 0.1; done
  [ -f "$data/jump.txt" ] && tr -d '\r' <"$data/jump.txt"
  rm -f "$data/jump.txt"
}
# The rows of the pane: the command line, then six diagnostics.
read -r px py _ _ <<<"$(pilot rect "$(pilot item "$d" 0)")"
xdotool mousemove $((px + 60)) $((py + 40)) click --repeat 2 --delay 80 1
same "double-click jumps from the clicked line" "12 main.c" "$(wait_jump)"
before=$(pane_text "$d")
# The dialog gets the keyboard back from the window the jump started, and a
# click puts the caret on a diagnostic again. The X focus can still be late
# under Xvfb, so the key is pressed a second time if nothing happened.
press_space() {
  sleep 0.5
  xdotool search --name "終わらない" windowfocus --sync 2>/dev/null
  xdotool mousemove $((px + 60)) $((py + 40)) click 1
  sleep 0.5
  xdotool key space
}
press_space
jumped=$(wait_jump)
[ -n "$jumped" ] || { press_space; jumped=$(wait_jump); }
same "Space as jump key jumps from the caret line" "12 main.c" "$jumped"
same "the jump key types nothing" "$before" "$(pane_text "$d")"
pilot click "$d" 2 >/dev/null
wait_exit "$LAST_PID" 20
pilot settings-set jumpKey=0 >/dev/null

# A make executable that cannot be started: the whole command line in the message.
printf '%s\r\n' '#BvExe C:\nowhere\make.exe' '#BvOpt -f %s' '#Bravik "X=1" x' 'run:' >"$data/missing.mak"
bravik /A "$wdata\\missing.mak"
box=$(pilot find-visible '#32770' Bravik 20000)
same "start failure names the command line" 'C:\nowhere\make.exe -f missing.mak X=1 が実行できません。' \
  "$(pilot text "$(pilot item "$box" 65535)")"
shot run_start_failure "$box"
pilot click "$box" 1 >/dev/null
main=$(main_window 10000)
check "after the failure the main window shows" test -n "$main"
close_bravik "$main"

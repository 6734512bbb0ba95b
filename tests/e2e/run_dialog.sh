#!/usr/bin/env bash
# The make run end to end: Bravik.exe /A with GNU make on makefiles whose
# recipes print recorded compiler output (tests/data/run) through chatter.
# Checks the run dialog's title, status, buttons and pane text, the bold red
# lines in screenshots, close-on-success, the start-failure message and the
# jump key from the real keyboard. (Abort, a dialog kept open by a warning and
# the double-click are checked in the Wine test, where timing is not a race.)
. "$TOP/tests/e2e/lib.sh"
data=$(mktemp -d "$WINEPREFIX/drive_c/bvrun.XXXXXX")
wdata="C:\\$(basename "$data")"
cleanup() {
  rm -rf "$data"
  finish
}
trap cleanup EXIT

# chatter and make from a short folder without blanks, wherever the checkout
# lies: Wine cuts the end off a command line whose unquoted program path holds
# blanks and double-byte characters, and a long make path would wrap the
# pane's first line and move the lines the clicks aim at.
cp "$BUILD/tools/chatter/chatter.exe" "$GNUMAKE" "$data/"
CHATTER="$wdata\\chatter.exe"
MAKE_WIN="$wdata\\make.exe"
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
  d=$(drv find-visible '#32770' "MAKEの実行 - [$2]" 20000)
}
finished() {  # finished DIALOG: waits until button 2 reads 閉じる
  eventually "$2 ends" "閉じる" drv text "$1" IDCANCEL
}
pane_text() { drv pane-text "$1"; }
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
status=$(drv text "$d" IDC_RUNSTATUS)
seconds=${status% 秒でMAKE終了}
same "status after the run" "$seconds 秒でMAKE終了" "$status"
same "pane: command line, every recorded line, the last line and the outcome" \
  "$MAKE_WIN -f recorded.mak
$expected
最後の行
$seconds 秒でMAKEが正常に終了しました." "$(pane_text "$d")"
same "editor and recompile buttons enabled" "visible=1 enabled=1 visible=1 enabled=1" \
  "$(drv state "$d" IDC_EDITORJUMP) $(drv state "$d" IDC_RECOMPILE)"
shot run_recorded "$d"
highlighted=$(red_pixels run_recorded)
check "highlighted lines are red on the screen ($highlighted pixels)" test "${highlighted:-0}" -gt 200
drv press "$d" IDCANCEL >/dev/null
check "closing the dialog of an unattended run ends Bravik" wait_exit "$LAST_PID" 20

# The same output with highlighting off: nothing red.
makefile plain.mak 0 0 "強調なし" "$recorded"
start_run plain.mak "強調なし"
finished "$d" "plain run"
shot run_plain "$d"
same "no red without highlighting" "0" "$(red_pixels run_plain)"
drv press "$d" IDCANCEL >/dev/null
wait_exit "$LAST_PID" 20

# Close on success: a clean run closes itself and the unattended Bravik ends;
# a "warning" anywhere keeps the dialog open.
makefile clean.mak 3 1 "成功" "line コンパイル完了"
bravik /A "$wdata\\clean.mak"
check "clean run with closeOnSuccess ends Bravik by itself" wait_exit "$LAST_PID" 30

# A failed build, then the jump key (Space) from the real keyboard: the click
# puts the caret on a diagnostic, the key jumps and types nothing.
drv settings-set jumpKey=1 >/dev/null
makefile failed.mak 3 0 "失敗" "line \"main.c(12) : error C2065: x\" line \"main.c(12) : error C2065: x\" exit 2"
start_run failed.mak "失敗"
finished "$d" "failed run"
status=$(drv text "$d" IDC_RUNSTATUS)
same "failed run ends with its exit code" "${status% 秒でMAKE終了} 秒でMAKEが 2 のエラーで終了しました." \
  "$(pane_text "$d" | grep -v '^$' | tail -1)"
before=$(pane_text "$d")
read -r px py _ _ <<<"$(drv rect "$d" PANE)"
press_space() {  # the X focus can be late under Xvfb: pressed again if nothing happened
  xdotool search --name "失敗" windowfocus --sync 2>/dev/null
  xdotool mousemove $((px + 60)) $((py + 24)) click 1
  sleep 0.5
  xdotool key space
  for _ in $(seq 50); do [ -s "$data/jump.txt" ] && break; sleep 0.1; done
}
press_space
[ -s "$data/jump.txt" ] || press_space
same "Space as jump key jumps from the caret line" "12 main.c" "$(tr -d '\r' <"$data/jump.txt" 2>/dev/null)"
same "the jump key types nothing" "$before" "$(pane_text "$d")"
shot run_failed "$d"
drv press "$d" IDCANCEL >/dev/null
wait_exit "$LAST_PID" 20
drv settings-set jumpKey=0 >/dev/null

# A make executable that cannot be started: the whole command line in the message.
printf '%s\r\n' '#BvExe C:\nowhere\make.exe' '#BvOpt -f %s' '#Bravik "X=1" x' 'run:' >"$data/missing.mak"
bravik /A "$wdata\\missing.mak"
box=$(drv find-visible '#32770' Bravik 20000)
same "start failure names the command line" 'C:\nowhere\make.exe -f missing.mak X=1 が実行できません。' \
  "$(drv text "$box" MSGBOX_TEXT)"
shot run_start_failure "$box"
drv press "$box" IDOK >/dev/null
main=$(main_window 10000)
check "after the failure the main window shows" test -n "$main"
close_bravik "$main"

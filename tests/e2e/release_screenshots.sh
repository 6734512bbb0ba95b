#!/usr/bin/env bash
# The first run a user sees, and the screenshots of the README: Bravik opens
# the bundled example as scripts/run does, each variant runs with GNU make and
# shows make's own output with the error and diagnostic lines in red (checked
# on the screen's pixels), and a double-click on a diagnostic opens Wine's
# notepad on the file it names (a second jump into the same file finds that
# window again). Screenshots of the main window, the run dialog, the jump and
# the settings dialog are written to $SHOTS as readme-*.png.
. "$TOP/tests/e2e/lib.sh"

EXAMPLE="$TOP/examples/hello"
work=$(mktemp -d)
# Notepad keeps its window position in the registry: the test places it
# beside the run dialog for the screenshot, and puts the user's back.
NOTEPAD_KEY='HKCU\Software\Microsoft\Notepad'
notepad_saved=0
"$WINE" reg export "$NOTEPAD_KEY" "$(winpath "$work/notepad.reg")" /y >/dev/null 2>&1 && notepad_saved=1
restore_notepad() {
  "$WINE" reg delete "$NOTEPAD_KEY" /f >/dev/null 2>&1
  [ $notepad_saved = 1 ] && "$WINE" reg import "$(winpath "$work/notepad.reg")" >/dev/null 2>&1
}
trap 'restore_notepad; rm -rf "$work"; finish' EXIT
for value in iWindowPosX=330 iWindowPosY=150 iWindowPosDX=560 iWindowPosDY=400; do
  "$WINE" reg add "$NOTEPAD_KEY" /v "${value%=*}" /t REG_DWORD /d "${value#*=}" /f >/dev/null 2>&1
done

# window_shot NAME HWND: the window as the screen shows it, nothing around it.
window_shot() {
  local x y w h
  read -r x y w h <<<"$(drv rect "$2")"
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$SHOTS/$1.png" 2>/dev/null
}
# red_pixels FILE X Y W H: how many pixels of that part of a screenshot are
# the highlight's red.
red_pixels() {
  convert "$1" -crop "${4}x${5}+${2}+${3}" +repage -fuzz 25% -fill black +opaque red -fill white -opaque red \
    -format '%[fx:round(mean*w*h)]' info: 2>/dev/null
}
# direct_make MACROS: the output of make run without Bravik, with the
# example's environment line, and its exit code in $work/rc.
direct_make() {
  local greeting
  greeting=$(iconv -f CP932 -t UTF-8 "$EXAMPLE/hello.mak" | sed -n 's/^#BvEnv GREETING=//p')
  # shellcheck disable=SC2086
  (cd "$EXAMPLE" && GREETING=$greeting "$WINE" "$GNUMAKE" -f hello.mak $1 </dev/null >"$work/direct.raw" 2>"$work/direct.err")
  echo $? >"$work/rc"
  grep -v '^wine: ' "$work/direct.err" | cat "$work/direct.raw" - | iconv -f CP932 -t UTF-8 | tr -d '\r'
}
# Lines Bravik must show in red with "#BvErrmsg 3": an error keyword, or a
# file and line in one of the forms the example prints.
should_be_red() { grep -qE 'ERROR|Error|error|WARNING|Warning|warning|エラー|ワーニング|^src[\\/][a-z]+\.c[(:]' <<<"$1"; }

# pane_lines PANE SHOT: each line of the output pane, "red " or "plain "
# in front, as the screenshot shows it.
pane_lines() {
  local pane=$1 file=$2 cx cy cw ch i=0 y next pos
  read -r cx cy cw ch <<<"$(drv client "$pane")"
  drv text "$pane" | sed '${/^$/d}' >"$work/pane.txt"
  mapfile -t lines <"$work/pane.txt"
  mapfile -t starts < <(line_starts "$work/pane.txt")
  for ((i = 0; i < ${#lines[@]}; i++)); do
    pos=$(drv send "$pane" EM_POSFROMCHAR "${starts[$i]}" 0); y=$((pos >> 16))
    if ((i + 1 < ${#lines[@]})); then next=$(($(drv send "$pane" EM_POSFROMCHAR "${starts[$((i + 1))]}" 0) >> 16)); else next=$((y + 13)); fi
    if [ "$(red_pixels "$file" "$cx" $((cy + y)) "$cw" $((next - y)))" -gt 20 ]; then
      echo "red ${lines[$i]}"
    else
      echo "plain ${lines[$i]}"
    fi
  done
}

drv delete-settings
drv position-set 16 16 360 260 >/dev/null
bravik "$(winpath "$EXAMPLE/hello.mak")"
main=$(main_window) || { echo "not ok - Bravik opens the example"; exit 1; }
sleep 0.5
labels=$(iconv -f CP932 -t UTF-8 "$EXAMPLE/hello.mak" | sed -n 's/^#Bravik *"[^"]*" *//p')
list=$(drv item "$main" ID_VARIANTLIST)
window_shot readme-main "$main"

mapfile -t macros < <(iconv -f CP932 -t UTF-8 "$EXAMPLE/hello.mak" | sed -n 's/^#Bravik *"\([^"]*\)".*/\1/p')
for i in "${!macros[@]}"; do
  label=$(sed -n "$((i + 1))p" <<<"$labels")
  drv list-select "$list" "$i"
  drv command "$main" CMD_RUN
  dialog=$(drv owned "$main" 10000) || { echo "not ok - $label: the run dialog opens"; _failed=1; continue; }
  status=$(drv item "$dialog" IDC_RUNSTATUS); pane=$(drv item "$dialog" PANE)
  check "$label: the run ends" wait_text "$status" "MAKE終了"
  sleep 0.5
  import -window root "$work/screen.png"
  pane_lines "$pane" "$work/screen.png" >"$work/shown.txt"
  expected=$(direct_make "${macros[$i]}")
  rc=$(cat "$work/rc")
  same "$label: the dialog's title names the variant" "MAKEの実行 - [$label]" "$(drv text "$dialog")"
  same "$label: the command line comes first" "plain C:\\GnuMake\\make.exe -f hello.mak${macros[$i]:+ ${macros[$i]}}" \
    "$(head -1 "$work/shown.txt" | sed 's/ *$//')"
  same "$label: make's output, as make prints it without Bravik" "$expected" \
    "$(sed '1d;$d' "$work/shown.txt" | sed -E 's/^(red|plain) //')"
  if [ "$rc" = 0 ]; then
    check "$label: ends normally" grep -qE '^plain [0-9]+ 秒でMAKEが正常に終了しました\.$' <(tail -1 "$work/shown.txt")
  else
    check "$label: ends with make's exit code $rc, in red" grep -qE "^red [0-9]+ 秒でMAKEが $rc のエラーで終了しました\\.\$" <(tail -1 "$work/shown.txt")
  fi
  want=$(sed '1d;$d' "$work/shown.txt" | sed -E 's/^(red|plain) //' | while IFS= read -r line; do
    if should_be_red "$line"; then echo "red $line"; else echo "plain $line"; fi; done)
  same "$label: error and diagnostic lines are red, the others plain" "$want" "$(sed '1d;$d' "$work/shown.txt")"

  if [ "$rc" != 0 ]; then
    window_shot readme-run-errors "$dialog"
    # Double-click the first diagnostic (pane_lines left the line starts):
    # notepad opens the file it names.
    n1=$(grep -nE '^src[\\/][a-z]+\.c\(' "$work/pane.txt" | head -1 | cut -d: -f1)
    n2=$(grep -nE '^src[\\/][a-z]+\.c:' "$work/pane.txt" | head -1 | cut -d: -f1)
    file=$(sed -n "${n1}p" "$work/pane.txt" | sed -E 's/^(src[\\/][a-z]+\.c).*/\1/; s/.*[\\/]//')
    read -r cx cy _ _ <<<"$(drv client "$pane")"
    double_click() {
      local pos; pos=$(drv send "$pane" EM_POSFROMCHAR "${starts[$(($1 - 1))]}" 0)
      xdotool mousemove $((cx + (pos & 0xFFFF) + 30)) $((cy + (pos >> 16) + 6)) click --repeat 2 --delay 80 1
    }
    double_click "$n1"
    notepad=$(drv find-visible Notepad "" 15000)
    same "a double-click on a diagnostic opens notepad on $file" "$file - メモ帳" "$(drv text "$notepad")"
    sleep 0.5
    # The run dialog with the notepad the jump opened over its corner.
    read -r x y w h <<<"$(drv rect "$notepad")"
    import -window root -crop "$((x + w))x$((y + h))+0+0" +repage "$SHOTS/readme-jump.png" 2>/dev/null
    double_click "$n2"
    sleep 2
    same "a jump into the same file brings that notepad back instead of a second one" 1 \
      "$(drv windows | grep -c ' Notepad pid=.* visible=1 ')"
    drv close "$notepad" >/dev/null
    drv gone "$notepad" 5000
  fi
  drv press "$dialog" IDCANCEL
  drv gone "$dialog" 5000 || { echo "not ok - $label: the run dialog closes"; _failed=1; }
done

# The settings dialog, showing what the example's directives set.
drv command "$main" CMD_SETTINGS
settings=$(drv owned "$main" 10000)
sleep 0.5
window_shot readme-settings "$settings"
drv press "$settings" IDCANCEL
drv gone "$settings" 5000

close_bravik "$main"

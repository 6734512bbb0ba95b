#!/usr/bin/env bash
# The first run a user sees: Bravik on the bundled example, each variant's
# output as make prints it without Bravik, the error and diagnostic lines red
# on the screen, a double-click into notepad. The README's screenshots of the
# main window, the run dialog and notepad are made here.
. "$TOP/tests/e2e/lib.sh"
work=$(mktemp -d)
at_exit "rm -rf '$work'"

EXAMPLE="$TOP/examples/hello"
profile=$(iconv -f CP932 -t UTF-8 "$EXAMPLE/hello.mak")
direct_make() {  # direct_make MACROS: make's output without Bravik, with the example's environment line; rc in $work/rc
  # shellcheck disable=SC2086
  (cd "$EXAMPLE" && GREETING=$(sed -n 's/^#BvEnv GREETING=//p' <<<"$profile") "$WINE" "$GNUMAKE" -f hello.mak $1 </dev/null >"$work/out" 2>"$work/err")
  echo $? >"$work/rc"
  grep -v '^wine: ' "$work/err" | cat "$work/out" - | iconv -f CP932 -t UTF-8 | tr -d '\r'
}
red_pixels() {  # red_pixels FILE X Y W H: pixels of the highlight's red in that part of a screenshot
  convert "$1" -crop "${4}x${5}+${2}+${3}" +repage -fuzz 25% -fill black +opaque red -fill white -opaque red \
    -format '%[fx:round(mean*w*h)]' info: 2>/dev/null
}
pane_lines() {  # pane_lines PANE SCREEN: each line of the pane, "red " or "plain " in front as the screen shows it
  local cx cy cw y next i
  read -r cx cy cw _ <<<"$(drv client "$1")"
  drv text "$1" | sed '${/^$/d}' >"$work/pane.txt"
  mapfile -t lines <"$work/pane.txt"
  # Where each line starts in the rich edit, which counts UTF-16 units and one character per line end.
  mapfile -t starts < <(python3 -c 'import sys
n = 0
for line in open(sys.argv[1], encoding="utf-8").read().split("\n"):
    print(n); n += len(line.encode("utf-16-le")) // 2 + 1' "$work/pane.txt")
  for ((i = 0; i < ${#lines[@]}; i++)); do
    y=$(($(drv send "$1" EM_POSFROMCHAR "${starts[i]}" 0) >> 16)) next=$((y + 13))
    ((i + 1 < ${#lines[@]})) && next=$(($(drv send "$1" EM_POSFROMCHAR "${starts[i + 1]}" 0) >> 16))
    if [ "$(red_pixels "$2" "$cx" $((cy + y)) "$cw" $((next - y)))" -gt 20 ]; then echo "red ${lines[i]}"; else echo "plain ${lines[i]}"; fi
  done
}

reg_keep 'HKCU\Software\Microsoft\Notepad'
for value in iWindowPosX=330 iWindowPosY=150 iWindowPosDX=560 iWindowPosDY=400; do
  "$WINE" reg add 'HKCU\Software\Microsoft\Notepad' /v "${value%=*}" /t REG_DWORD /d "${value#*=}" /f >/dev/null 2>&1
done
drv delete-settings
drv position 16 16 360 260
bravik "$(winpath "$EXAMPLE/hello.mak")"
main=$(main_window) || { not_ok "Bravik opens the example"; exit 1; }
sleep 0.5
shot main-window "$main"
list=$(drv item "$main" ID_VARIANTLIST)
mapfile -t variants < <(sed -n 's/^#Bravik *"\([^"]*\)" *\(.*\)$/\1|\2/p' <<<"$profile")
same "the example has three variants" 3 "${#variants[@]}"
i=0
for v in "${variants[@]}"; do
  macros=${v%%|*} label=${v#*|}
  drv send "$list" LB_SETCURSEL $((i++)) 0 >/dev/null
  drv post "$main" WM_COMMAND CMD_RUN 0
  dialog=$(dialog "MAKEの実行 - [$label]" 10000) && pane=$(drv item "$dialog" PANE)
  check "$label: the run, in a dialog titled after the variant, ends" finished "$dialog"
  sleep 0.5
  import -window root "$work/screen.png"
  pane_lines "$pane" "$work/screen.png" >"$work/shown.txt"
  expected=$(direct_make "$macros") rc=$(cat "$work/rc")
  same "$label: the command line, make's output as make prints it, red where it names an error or a file and line" \
    "$(echo "plain C:\\GnuMake\\make.exe -f hello.mak${macros:+ $macros}"
      sed -E '/ERROR|Error|error|WARNING|Warning|warning|エラー|ワーニング|^src[\\/][a-z]+\.c[(:]/s/^/red /; /^red /!s/^/plain /' <<<"$expected")" \
    "$(sed '$d' "$work/shown.txt" | sed 's/ *$//')"
  if [ "$rc" = 0 ]; then
    check "$label: ends normally" grep -qE '^plain [0-9]+ 秒でMAKEが正常に終了しました\.$' <(tail -1 "$work/shown.txt")
  else
    check "$label: ends with make's exit code $rc, in red" grep -qE "^red [0-9]+ 秒でMAKEが $rc のエラーで終了しました\\.\$" <(tail -1 "$work/shown.txt")
    shot run-dialog-errors "$dialog"
    # A double-click on a diagnostic opens notepad on its file; a second
    # jump into the same file brings that notepad back.
    n1=$(grep -nE '^src[\\/][a-z]+\.c\(' "$work/pane.txt" | head -1 | cut -d: -f1)
    n2=$(grep -nE '^src[\\/][a-z]+\.c:' "$work/pane.txt" | head -1 | cut -d: -f1)
    file=$(sed -n "${n1}p" "$work/pane.txt" | sed -E 's/^src[\\/]([a-z]+\.c).*/\1/')
    double_click "$pane" "${starts[n1 - 1]}"
    notepad=$(first find Notepad "" 15000)
    same "a double-click on a diagnostic opens notepad on $file" "$file - メモ帳" "$(drv text "$notepad")"
    sleep 0.5
    read -r x y w h <<<"$(drv rect "$notepad")"
    import -window root -crop "$((x + w))x$((y + h))+0+0" +repage "$SHOTS/jump-notepad.png" 2>/dev/null
    double_click "$pane" "${starts[n2 - 1]}"
    sleep 2
    same "a jump into the same file brings that notepad back" 1 "$(drv find Notepad "" 100 | wc -l)"
    drv post "$notepad" WM_CLOSE 0 0; drv gone "$notepad"
  fi
  drv press "$dialog" IDCANCEL
  drv gone "$dialog" || not_ok "$label: the run dialog closes"
done
close_bravik "$main"


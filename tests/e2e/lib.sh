# Shared by the end-to-end scripts; needs what scripts/test exports (TOP, BUILD,
# WINE, WINEPREFIX, DISPLAY, SHOTS, GNUMAKE). A script prints "ok - ..." and
# "not ok - ..." lines and exits non-zero when a check failed.
set -u
. "$TOP/scripts/lib/wine-session.sh"  # winpath, and the session's settings scripts/test already exported
DRIVER="$BUILD/tools/driver/driver.exe" RECORDER="$BUILD/tools/bvrecord/bvrecord.exe" DRIVE_C="$WINEPREFIX/drive_c"
RECORD_LOG=$(mktemp -u /tmp/bvrecord.XXXXXX)  # bvrecord, the stand-in editor and browser, appends here
ERROR_LOG=$(mktemp /tmp/bverrors.XXXXXX)  # the programs' stderr, where Wine reports a crash (scripts/test turns its dialog off)
_failed=0 _pids=() _at_exit=()
mkdir -p "$SHOTS"
not_ok() { echo "not ok - $1"; _failed=1; }
check() { if "${@:2}"; then echo "ok - $1"; else not_ok "$1"; fi; }  # check "what" command...
not() { ! "$@"; }
same() {  # same "what" expected actual; a mismatch shows as a diff
  [ "$2" = "$3" ] && { echo "ok - $1"; return; }
  not_ok "$1"; diff <(printf '%s\n' "$2") <(printf '%s\n' "$3") | sed 's/^/#   /'
}
contains() { case "$3" in *"$2"*) echo "ok - $1" ;; *) not_ok "$1: [$2] not in [$3]" ;; esac; }
within() {  # within SECONDS command...: until the command succeeds
  for _ in $(seq $(($1 * 10))); do "${@:2}" && return 0; sleep 0.1; done
  return 1
}
# The driver itself ends with 0, 1 or 2; anything else means wine did not run
# it, which a loaded machine now and then makes happen: once more, then.
drv() {
  local out status
  out=$(mktemp)
  "$WINE" "$DRIVER" "$@" 2>/dev/null | tr -d '\r' >"$out"; status=${PIPESTATUS[0]}
  if ((status > 2)); then
    echo "driver $1: status $status, run again" >&2
    "$WINE" "$DRIVER" "$@" 2>/dev/null | tr -d '\r' >"$out"; status=${PIPESTATUS[0]}
  fi
  cat "$out"; rm -f "$out"
  return "$status"
}
first() { local h; h=$(drv "$@") || return 1; echo "${h%%$'\n'*}"; }  # first VERB...: the first window found
dialog() { first find '#32770' "$1" "${2:-5000}"; }  # dialog TITLE [MS]
message() {  # message [MS]: the text of Bravik's message box, which is then confirmed
  local m; m=$(dialog Bravik "${1:-5000}") || return 1
  drv text "$m" MSGBOX_TEXT; drv press "$m" IDOK
}
settings_dialog() { drv post "$1" WM_COMMAND CMD_SETTINGS 0; dialog 環境の設定; }  # settings_dialog MAIN
reg932() { "$WINE" reg "$@" 2>/dev/null | iconv -f CP932 -t UTF-8 | tr -d '\r'; }
cp932() { printf '%b' "$1" | iconv -f UTF-8 -t CP932; }
records() { tr -d '\r' <"$RECORD_LOG" 2>/dev/null | iconv -f CP932 -t UTF-8; }
wait_record() { within 5 test -s "$RECORD_LOG"; records; }
finished() { within 30 eval '[ "$(drv text '"$1"' IDCANCEL)" = 閉じる ]'; }  # a run dialog whose make has ended
focus() { xdotool search --name "$1" windowactivate --sync windowfocus --sync >/dev/null 2>&1; sleep 0.3; }  # real keys go there
shot() {  # shot NAME HWND: the window as the screen shows it
  local x y w h
  read -r x y w h <<<"$(drv rect "$2")"
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$SHOTS/$1.png" 2>/dev/null
}
double_click() {  # double_click PANE CHAR: on that character of a rich edit
  local cx cy pos
  read -r cx cy _ _ <<<"$(drv client "$1")"
  pos=$(drv send "$1" EM_POSFROMCHAR "$2" 0)
  xdotool mousemove $((cx + (pos & 0xFFFF) + 30)) $((cy + (pos >> 16) + 6)) click --repeat 2 --delay 80 1
}
bravik() {  # bravik ARGS...: Bravik.exe started from a folder on C:
  (cd "$DRIVE_C" && BVRECORD_LOG=$(winpath "$RECORD_LOG") exec "$WINE" "$BUILD/Bravik.exe" "$@") >/dev/null 2>>"$ERROR_LOG" &
  _pids+=($!) LAST_PID=$!
}
main_window() { first find BravikClass "" "${1:-15000}"; }
wait_exit() {  # wait_exit PID [SECONDS]: its exit code, 124 after the time
  within "${2:-20}" not kill -0 "$1" 2>/dev/null || return 124
  wait "$1"
}
close_bravik() { drv post "$1" WM_COMMAND CMD_EXIT 0; wait_exit "$LAST_PID"; }
reg_keep() {  # reg_keep KEY: the key as it is now comes back at the end of the script
  local saved; saved=$(mktemp -u "$DRIVE_C/bvsaved.XXXXXX")
  if "$WINE" reg export "$1" "$(winpath "$saved")" /y >/dev/null 2>&1; then
    at_exit "\"\$WINE\" reg delete '$1' /f; \"\$WINE\" reg import '$(winpath "$saved")'; rm -f '$saved'"
  else at_exit "\"\$WINE\" reg delete '$1' /f"; fi
}
at_exit() { _at_exit+=("$1"); }
# At the end what the script asked for, newest first; then a crashed program
# fails the script.
finish() {
  local i p
  for p in "${_pids[@]}"; do kill "$p" 2>/dev/null; done
  for ((i = ${#_at_exit[@]} - 1; i >= 0; i--)); do eval "${_at_exit[$i]}" >/dev/null 2>&1; done
  drv delete-settings
  while IFS= read -r p; do not_ok "a program crashed during ${0##*/}: $p"; done < <(grep -a '^wine: Unhandled' "$ERROR_LOG")
  rm -f "$RECORD_LOG" "$ERROR_LOG"
  exit $_failed
}
trap finish EXIT

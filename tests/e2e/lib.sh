# Shared by the end-to-end scripts. Needs the variables scripts/test exports:
# TOP, BUILD, WINE, WINEPREFIX, DISPLAY, SHOTS, GNUMAKE. Every script prints
# "ok - ..." / "not ok - ..." lines and exits non-zero when a check failed.
set -u
DRIVER="$BUILD/tools/driver/driver.exe"
RECORDER="$BUILD/tools/bvrecord/bvrecord.exe"
_failed=0
_pids=()
_restore=()
_restore_value=()

# check "what" command...: runs the command and reports ok / not ok.
check() {
  local what=$1; shift
  if "$@"; then echo "ok - $what"; else echo "not ok - $what"; _failed=1; fi
}
not() { ! "$@"; }
same() {  # same "what" expected actual; a mismatch shows as a diff
  if [ "$2" = "$3" ]; then echo "ok - $1"; else
    echo "not ok - $1"; diff <(printf '%s\n' "$2") <(printf '%s\n' "$3") | sed 's/^/#   /'; _failed=1
  fi
}
contains() {  # contains "what" needle haystack
  case "$3" in *"$2"*) echo "ok - $1" ;; *) echo "not ok - $1: [$2] not in [$3]"; _failed=1 ;; esac
}
# eventually "what" expected command...: like same, but gives the program up
# to five seconds to get there.
eventually() {
  local what=$1 want=$2 got
  shift 2
  for _ in $(seq 50); do
    got=$("$@")
    [ "$got" = "$want" ] && break
    sleep 0.1
  done
  same "$what" "$want" "$got"
}
# wait_text HWND TEXT [SECONDS]: until the window's text contains TEXT.
wait_text() {
  for _ in $(seq $((${3:-30} * 5))); do
    [[ "$(drv text "$1")" == *"$2"* ]] && return 0
    sleep 0.2
  done
  return 1
}
# drv VERB ARGS...: the window driver; ids and messages may be given by name.
drv() { "$WINE" "$DRIVER" "$@" 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }
# A Unix path as Wine's Z: drive sees it.
winpath() { printf 'Z:%s' "$1" | tr '/' '\\'; }

# shot NAME [HWND]: a screenshot of the screen, or of one window with a margin.
shot() {
  local out="$SHOTS/$1.png"
  if [ -n "${2:-}" ]; then
    local x y w h
    read -r x y w h <<<"$(drv rect "$2")"
    x=$((x > 8 ? x - 8 : 0)); y=$((y > 8 ? y - 8 : 0))
    import -window root -crop "$((w + 16))x$((h + 16))+$x+$y" "$out" 2>/dev/null
  else
    import -window root "$out" 2>/dev/null
  fi
}

# line_starts FILE: the character index at which each line of the UTF-8 FILE
# starts in the run dialog's pane, which counts UTF-16 units and one
# character per line end.
line_starts() {
  python3 -c '
import sys
n = 0
for line in open(sys.argv[1], encoding="utf-8").read().split("\n"):
    print(n); n += len(line.encode("utf-16-le")) // 2 + 1' "$1"
}

# bravik ARGS...: starts Bravik.exe from a folder on C: (bvrecord writes to $RECORD_LOG).
bravik() {
  (cd "$WINEPREFIX/drive_c" && BVRECORD_LOG="${RECORD_LOG_WIN:-}" exec "$WINE" "$BUILD/Bravik.exe" "$@") \
    >/dev/null 2>&1 &
  _pids+=($!)
  LAST_PID=$!
}
main_window() { drv find-visible BravikClass "" "${1:-15000}"; }
hidden_main_window() { drv find BravikClass "" "${1:-15000}"; }
wait_exit() {  # wait_exit PID [SECONDS]: the exit code, 124 after the time
  local pid=$1 t=${2:-20}
  for _ in $(seq $((t * 10))); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid"; return $?; }
    sleep 0.1
  done
  return 124
}
close_bravik() {  # close_bravik HWND: the exit command, then the process's end
  drv command "$1" CMD_EXIT >/dev/null
  wait_exit "$LAST_PID"
}

# classes_default KEY VALUE: sets the default value of HKCR\KEY for this
# script; the key as it was (or its absence) comes back at the end.
classes_default() {
  [ -n "$RESTORE_DIR" ] || RESTORE_DIR=$(mktemp -d)
  local key="HKCR\\$1" saved="$RESTORE_DIR/${#_restore[@]}.reg"
  _restore+=("$key")
  if "$WINE" reg export "$key" "$(winpath "$saved")" /y >/dev/null 2>&1; then
    _restore_value+=("$saved")
  else
    _restore_value+=("<delete>")
  fi
  "$WINE" reg add "$key" /ve /d "$2" /f >/dev/null 2>&1
}
recording_class() {  # recording_class NAME: a file class whose "open" runs bvrecord
  "$WINE" reg add "HKCR\\$1\\shell\\open\\command" /ve /d "\"$(winpath "$RECORDER")\" \"%1\"" /f >/dev/null 2>&1
  _restore+=("HKCR\\$1")
  _restore_value+=("<delete>")
}

# A log that bvrecord appends to, as Unix and Windows paths.
RECORD_LOG=$(mktemp -u /tmp/bvrecord.XXXXXX)
RECORD_LOG_WIN=$(winpath "$RECORD_LOG")
RESTORE_DIR=""  # made when a class is first changed
wait_record() {  # prints the recorded lines once there are any (5 s at most)
  for _ in $(seq 50); do [ -s "$RECORD_LOG" ] && break; sleep 0.1; done
  tr -d '\r' <"$RECORD_LOG" 2>/dev/null | iconv -f CP932 -t UTF-8
}

# no_crash: a program that crashed during the script fails it. Wine hands it
# to its debugger, whose dialog would stay on the display for every later
# test; the driver names the program and ends both.
no_crash() {
  local program
  while IFS= read -r program; do
    echo "not ok - $program crashed during ${0##*/}"
    _failed=1
  done < <(drv crashes)
}
finish() {
  for p in "${_pids[@]}"; do kill "$p" 2>/dev/null; done
  local i
  for ((i = ${#_restore[@]} - 1; i >= 0; i--)); do
    "$WINE" reg delete "${_restore[$i]}" /f >/dev/null 2>&1
    if [ "${_restore_value[$i]}" != "<delete>" ]; then
      "$WINE" reg import "$(winpath "${_restore_value[$i]}")" >/dev/null 2>&1
    fi
  done
  drv delete-settings
  rm -rf "$RECORD_LOG" "$RESTORE_DIR"
  no_crash
  exit $_failed
}
trap finish EXIT
mkdir -p "$SHOTS"

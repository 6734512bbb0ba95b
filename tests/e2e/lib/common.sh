# Shared by the end-to-end scripts. Needs the variables scripts/test exports:
# TOP, BUILD, WINE, WINEPREFIX, DISPLAY, SHOTS, GNUMAKE.
set -u
DRIVER="$BUILD/tools/bvdriver/bvdriver.exe"
_failed=0
_pids=()

# check "what" command...: runs the command and reports ok / not ok.
check() {
  local what=$1; shift
  if "$@"; then echo "ok - $what"; else echo "not ok - $what"; _failed=1; fi
}
# same "what" expected actual
not() { ! "$@"; }
same() {
  if [ "$2" = "$3" ]; then echo "ok - $1"; else echo "not ok - $1: expected [$2], got [$3]"; _failed=1; fi
}
drv() { "$WINE" "$DRIVER" "$@" 2>/dev/null | tr -d "\r"; return ${PIPESTATUS[0]}; }
# A Unix path as Wine's Z: drive sees it.
winpath() { printf 'Z:%s' "$1" | tr '/' '\\'; }
shot() { import -window root "$SHOTS/$1.png" 2>/dev/null; }

# bravik ARGS...: starts Bravik.exe in the background (from a directory on C:).
bravik() {
  (cd "$WINEPREFIX/drive_c" && exec "$WINE" "$BUILD/Bravik.exe" "$@") >/dev/null 2>&1 &
  _pids+=($!)
  LAST_PID=$!
}
main_window() { drv find BravikClass - "${1:-15000}"; }
# Waits for a process started by bravik to end; returns its exit code (124 on timeout).
wait_exit() {
  local pid=$1 t=${2:-15}
  for _ in $(seq $((t * 10))); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid"; return $?; }
    sleep 0.1
  done
  return 124
}
# no_crash: a program that crashed during the script fails it. Wine hands it
# to its debugger, whose dialog would stay on the display for every later
# test; the pilot names the program and ends both.
no_crash() {
  local program
  while IFS= read -r program; do
    echo "not ok - $program crashed during ${0##*/}"
    _failed=1
  done < <("$WINE" "$BUILD/tools/mainpilot/mainpilot.exe" crashes 2>/dev/null | tr -d '\r')
}
finish() {
  for p in "${_pids[@]}"; do kill "$p" 2>/dev/null; done
  no_crash
  exit $_failed
}

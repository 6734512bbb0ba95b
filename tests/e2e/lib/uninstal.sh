# Shared by tests/e2e/uninstal_*.sh. Needs the variables scripts/test exports:
# TOP, BUILD, WINE, WINEPREFIX, DISPLAY, SHOTS.
. "$TOP/tests/e2e/lib.sh"
UNINSTAL="$BUILD/uninstal/UnInstal.exe"
UDRIVER="$BUILD/tools/uninstal-driver/uninstal_driver.exe"
BUILDER="$BUILD/tools/uninstal-script/uninstal-script.exe"
DRIVE_C="$WINEPREFIX/drive_c"
# Shortcuts made in the Start menu must not reach the desktop of the machine.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=};winemenubuilder.exe=d"

ok() { echo "ok - $1"; }
not_ok() { echo "not ok - $1"; _failed=1; }
check() {
  local what=$1; shift
  if "$@"; then ok "$what"; else not_ok "$what"; fi
}
same() {
  if [ "$2" = "$3" ]; then ok "$1"; else not_ok "$1"; diff <(printf '%s\n' "$2") <(printf '%s\n' "$3") | sed 's/^/#   /'; fi
}
# Runs a Windows program of the build quietly; its output without CRs.
win() { "$WINE" "$@" 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }
udrv() { win "$UDRIVER" "$@"; }
builder() { win "$BUILDER" "$@"; }
# Waits up to $2 seconds (default 10) for a Unix path to disappear.
gone_within() {
  local path=$1 t=${2:-10}
  for _ in $(seq $((t * 10))); do [ -e "$path" ] || return 0; sleep 0.1; done
  return 1
}
# Converts the driver's BMP screenshots with this prefix into PNGs in $SHOTS.
keep_shots() {
  local prefix=$1 f
  for f in "$prefix"-*.bmp; do
    [ -f "$f" ] || continue
    convert "$f" "$SHOTS/$(basename "${f%.bmp}").png" 2>/dev/null && rm -f "$f"
  done
}
finish() {
  no_crash
  exit "$_failed"
}

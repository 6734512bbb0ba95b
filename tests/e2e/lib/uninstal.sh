# Shared by the end-to-end scripts that build and run UnInstal. Needs the
# variables scripts/test exports: TOP, BUILD, WINE, WINEPREFIX, DISPLAY, SHOTS.
. "$TOP/tests/e2e/lib.sh"
UNINSTAL="$BUILD/uninstal/UnInstal.exe"
BUILDER="$BUILD/tools/uninstal-script/uninstal-script.exe"
DRIVE_C="$WINEPREFIX/drive_c"
# Shortcuts made in the Start menu must not reach the desktop of the machine.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=};winemenubuilder.exe=d"

not_ok() { echo "not ok - $1"; _failed=1; }
builder() { "$WINE" "$BUILDER" "$@" 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }
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

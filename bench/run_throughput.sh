#!/usr/bin/env bash
# Make-run benchmark, all under Wine on this machine in one go:
#   P1  the build is never throttled: when the last recipe line of a make that
#       prints LINES lines (a compiler diagnostic every 10th) writes its marker,
#       run by "Bravik.exe /A" (closeOnSuccess) against the same make drained
#       by a minimal blocking reader of a default pipe (the floor);
#   P2  the display keeps up: when Bravik's run dialog shows the end, against
#       a plain rich edit of the pane's size taking the same text in
#       10,000-line appends with the redraw off (the control's ceiling), and
#       the longest time the dialog took to answer a message meanwhile;
#   and, for context, the same make writing into a file.
# The machine is shared, so the floor and the ceiling are measured once before
# and once after Bravik's run, and each ratio is taken against their mean.
# Environment: TOP, BUILD (win64 build dir), WINEPREFIX and DISPLAY as for the
# tests (a session is started when none is given); LINES (default 250000);
# ROUNDS (default 1) repeats the measurements, each round on its own.
set -euo pipefail
TOP=${TOP:-$(cd "$(dirname "$0")/.." && pwd)}
BUILD=${BUILD:-$TOP/build/win64}
LINES=${LINES:-250000}
ROUNDS=${ROUNDS:-1}
export TOP
# shellcheck source=../scripts/lib/wine-session.sh
. "$TOP/scripts/lib/wine-session.sh"
set +e  # the session helper tolerates a server that is already up
wine_session_start
set -e
trap 'rm -rf "$work"; "$WINE" reg delete "HKCU\\Software\\Quibrel" /f >/dev/null 2>&1 || true; wine_session_stop' EXIT

windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }

work=$(mktemp -d "$WINEPREFIX/drive_c/runbench.XXXXXX")
wdir="C:\\$(basename "$work")"
chatter=$(windows_path "$BUILD/tools/chatter/chatter.exe")
runbench="$BUILD/tools/runbench/runbench.exe"
make_exe='C:\GnuMake\make.exe'

makefile() {  # name lines
  printf '%s\r\n' "#BvExe $make_exe" '#BvOpt -f %s' '#BvClose 1' '#BvErrmsg 3' '#Bravik "" flood' \
    'flood:' "	@$chatter lines $2 10" "	@$chatter marker $wdir\\marker.txt" > "$work/$1"
}
makefile warmup.mak 2000
makefile flood.mak "$LINES"

run() { (cd "$work" && "$WINE" "$runbench" "$@" 2>/dev/null | tr -d '\r'); }
value() { sed -n "s/.* $2=\\([^ ]*\\).*/\\1/p; s/^$2=\\([^ ]*\\).*/\\1/p" <<<"$1" | head -1; }
bravik_exe=$(windows_path "$BUILD/Bravik.exe")

echo "make printing $LINES lines (a diagnostic every 10th), Wine $("$WINE" --version 2>/dev/null), $(nproc) cores"
warmup=$(run bravik "$wdir\\marker.txt" "$bravik_exe" "$wdir\\warmup.mak"); echo "warm-up: $warmup"
pane=$(value "$warmup" pane)
file=$(run file "$wdir\\marker.txt" "$wdir\\file.txt" "$make_exe" -f "$wdir\\flood.mak"); echo "$file"
figures=""
for round in $(seq "$ROUNDS"); do
  echo "round $round"
  pipe1=$(run pipe "$wdir\\marker.txt" "$wdir\\out.txt" "$make_exe" -f "$wdir\\flood.mak"); echo "  $pipe1"
  ceiling1=$(run richedit "$wdir\\out.txt" 10000 "${pane%x*}" "${pane#*x}"); echo "  $ceiling1"
  bravik=$(run bravik "$wdir\\marker.txt" "$bravik_exe" "$wdir\\flood.mak"); echo "  $bravik"
  pipe2=$(run pipe "$wdir\\marker.txt" "$wdir\\out.txt" "$make_exe" -f "$wdir\\flood.mak"); echo "  $pipe2"
  ceiling2=$(run richedit "$wdir\\out.txt" 10000 "${pane%x*}" "${pane#*x}"); echo "  $ceiling2"
  figures+="$(value "$pipe1" marker) $(value "$pipe2" marker) $(value "$bravik" marker) $(value "$bravik" shown) "
  figures+="$(value "$ceiling1" appended) $(value "$ceiling2" appended) $(value "$bravik" worst_answer_ms)"$'\n'
done

printf '%s' "$figures" | awk -v tofile="$(value "$file" marker)" '
{ floor = ($1 + $2) / 2; append = ($5 + $6) / 2
  printf "round %d: P1 %.2f s / floor %.2f s (%.2f, %.2f) = %.3f; P2 %.2f s / ceiling %.2f s (%.2f, %.2f) = %.3f; longest answer %.1f ms\n", NR, $3, floor, $1, $2, $3 / floor, $4, append, $5, $6, $4 / append, $7
  if (NR == 1 || $3 / floor < p1) p1 = $3 / floor
  if (NR == 1 || $4 / append < p2) p2 = $4 / append
  if (NR == 1 || $7 < worst) worst = $7 }
END {
  printf "into a file: marker %.2f s\n", tofile
  printf "best of %d rounds, each figure on its own: P1 ratio %.3f (target <= 1.1), P2 ratio %.3f (target <= 1.3), longest answer %.1f ms (target <= 100)\n", NR, p1, p2, worst
}'

#!/usr/bin/env bash
# Make-run benchmark, all under Wine on this machine in one go, for two
# writers of the same text (LINES build lines, a compiler diagnostic every
# 10th, about 20 MB): the line-by-line one (one write per line, as make and
# compilers write) and the fast one (`type` of the text under cmd: large
# writes). For each:
#   P1  the build is never throttled: when the last recipe line writes its
#       marker, run by "Bravik.exe /A" (closeOnSuccess) against the same make
#       drained by a minimal blocking reader of a default pipe (the floor);
#   P2  the display keeps up: when Bravik's run dialog shows the end, against
#       a plain rich edit of the pane's size taking the same text in
#       10,000-line appends with the redraw off (the control's ceiling);
#   the longest time the dialog took to answer a message meanwhile, and the
#   peak resident memory of Bravik.exe beside that of the plain rich edit.
# Then 中断 is pressed ABORT_MS into a run of the fast writer: how long the
# run takes to end from there.
# The machine is shared, so the floor and the ceiling are measured once before
# and once after Bravik's run, and each ratio is taken against their mean; the
# load average is printed with every round.
# Environment: TOP, BUILD (win64 build dir), WINEPREFIX and DISPLAY as for the
# tests (a session is started when none is given); LINES (default 250000);
# ROUNDS (default 1) repeats the measurements, each round on its own;
# WRITERS (default "lines fast"); ABORT_MS (default 2000).
set -euo pipefail
TOP=${TOP:-$(cd "$(dirname "$0")/.." && pwd)}
BUILD=${BUILD:-$TOP/build/win64}
LINES=${LINES:-250000}
ROUNDS=${ROUNDS:-1}
WRITERS=${WRITERS:-lines fast}
ABORT_MS=${ABORT_MS:-2000}
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

makefile() {  # name recipe
  printf '%s\r\n' "#BvExe $make_exe" '#BvOpt -f %s' '#BvClose 1' '#BvErrmsg 3' '#Bravik "" flood' \
    'flood:' "	@$2" "	@$chatter marker $wdir\\marker.txt" > "$work/$1"
}
makefile warmup.mak "$chatter lines 2000 10"
makefile lines.mak "$chatter lines $LINES 10"
makefile fast.mak "type $wdir\\text.txt"

run() { (cd "$work" && "$WINE" "$runbench" "$@" 2>/dev/null | tr -d '\r'); }
value() { sed -n "s/.* $2=\\([^ ]*\\).*/\\1/p; s/^$2=\\([^ ]*\\).*/\\1/p" <<<"$1" | head -1 || true; }
load() { cut -d' ' -f1-3 /proc/loadavg; }
bravik_exe=$(windows_path "$BUILD/Bravik.exe")

echo "make printing $LINES lines (a diagnostic every 10th), Wine $("$WINE" --version 2>/dev/null), $(nproc) cores, load $(load)"
warmup=$(run bravik "$wdir\\marker.txt" "$bravik_exe" "$wdir\\warmup.mak"); echo "warm-up: $warmup"
pane=$(value "$warmup" pane)
# A rich edit without width would wrap every character onto a line of its own.
case $pane in [1-9]*x[1-9]*) ;; *) echo "no pane size from the warm-up ($pane)"; exit 1 ;; esac
# The fast writer types the text that the line-by-line one writes.
text=$(run pipe "$wdir\\marker.txt" "$wdir\\text.txt" "$make_exe" -f "$wdir\\lines.mak"); echo "text: $text"
file=$(run file "$wdir\\marker.txt" "$wdir\\file.txt" "$make_exe" -f "$wdir\\lines.mak"); echo "lines into a file: $file"
figures=""
for round in $(seq "$ROUNDS"); do
  for writer in $WRITERS; do
    echo "round $round, $writer writer, load $(load)"
    mk="$wdir\\$writer.mak"
    pipe1=$(run pipe "$wdir\\marker.txt" "$wdir\\out.txt" "$make_exe" -f "$mk"); echo "  $pipe1"
    ceiling1=$(run richedit "$wdir\\out.txt" 10000 "${pane%x*}" "${pane#*x}"); echo "  $ceiling1"
    bravik=$(run bravik "$wdir\\marker.txt" "$bravik_exe" "$mk"); echo "  $bravik (load $(load))"
    pipe2=$(run pipe "$wdir\\marker.txt" "$wdir\\out.txt" "$make_exe" -f "$mk"); echo "  $pipe2"
    ceiling2=$(run richedit "$wdir\\out.txt" 10000 "${pane%x*}" "${pane#*x}"); echo "  $ceiling2"
    figures+="$writer $(value "$pipe1" marker) $(value "$pipe2" marker) $(value "$bravik" marker) $(value "$bravik" shown) "
    figures+="$(value "$ceiling1" appended) $(value "$ceiling2" appended) $(value "$bravik" worst_answer_ms) "
    figures+="$(value "$bravik" peak_mb) $(value "$ceiling1" peak_mb) $(value "$ceiling2" peak_mb)"$'\n'
  done
  aborted=$(run abort "$wdir\\marker.txt" "$bravik_exe" "$wdir\\fast.mak" "$ABORT_MS"); echo "  中断: $aborted"
  figures+="abort $(value "$aborted" abort_ms)"$'\n'
done

printf '%s' "$figures" | awk -v tofile="$(value "$file" marker)" '
$1 == "abort" { printf "中断 %d ms into the fast writer: the run ended %s ms later\n", '"$ABORT_MS"', $2; next }
{ w = $1; floor = ($2 + $3) / 2; append = ($6 + $7) / 2; richpeak = ($10 > $11 ? $10 : $11)
  printf "%s writer: P1 %.2f s / floor %.2f s (%.2f, %.2f) = %.3f; P2 %.2f s / ceiling %.2f s (%.2f, %.2f) = %.3f; longest answer %.1f ms; peak resident Bravik %d MiB, rich edit %d MiB\n", w, $4, floor, $2, $3, $4 / floor, $5, append, $6, $7, $5 / append, $8, $9, richpeak
  if (!(w in p1) || $4 / floor < p1[w]) p1[w] = $4 / floor
  if (!(w in p2) || $5 / append < p2[w]) p2[w] = $5 / append
  if (!(w in worst) || $8 < worst[w]) worst[w] = $8
  n[w]++ }
END {
  printf "line-by-line writer into a file: marker %.2f s\n", tofile
  for (w in p1) printf "%s writer, best of %d rounds, each figure on its own: P1 ratio %.3f (target <= 1.1), P2 ratio %.3f (target <= 1.3), longest answer %.1f ms (target <= 100)\n", w, n[w], p1[w], p2[w], worst[w]
}'

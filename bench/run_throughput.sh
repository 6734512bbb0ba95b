#!/usr/bin/env bash
# Make-run benchmark under Wine. Two writers of the same text (LINES build
# lines, a diagnostic every 10th, about 20 MB): line by line, as make and
# compilers write, and fast (`type` under cmd: large writes). For each:
#   P1  make's last recipe line through "Bravik.exe /A" (close on success)
#       against the same make drained by a minimal blocking reader (the floor);
#   P2  all shown and Bravik closed against a plain rich edit of the pane's
#       size taking the text in 10,000-line appends, redraw off (the ceiling);
#   the longest WM_NULL round trip to the run dialog, and the peak resident
#   memory of Bravik.exe beside the plain rich edit's.
# Then how long the run takes to end once 中断 is pressed ABORT_MS into the
# fast writer. The machine is shared: floor and ceiling are measured before
# and after Bravik's run and each ratio is taken against their mean.
# Environment: TOP, BUILD (win64), WINEPREFIX and DISPLAY as for the tests (a
# session is started when none is given); LINES (250000); ABORT_MS (2000).
set -euo pipefail
TOP=${TOP:-$(cd "$(dirname "$0")/.." && pwd)}
BUILD=${BUILD:-$TOP/build/win64}
LINES=${LINES:-250000}
ABORT_MS=${ABORT_MS:-2000}
export TOP
# shellcheck source=../scripts/lib/wine-session.sh
. "$TOP/scripts/lib/wine-session.sh"  # also puts setup's GNU make at C:\GnuMake\make.exe
set +e  # the session helper tolerates a server that is already up
wine_session_start
set -e
work=$(mktemp -d "$WINEPREFIX/drive_c/runbench.XXXXXX")
trap 'rm -rf "$work"; "$WINE" reg delete "HKCU\\Software\\Quibrel" /f >/dev/null 2>&1 || true; wine_session_stop' EXIT
w="C:\\$(basename "$work")" chatter=$(winpath "$BUILD/tools/chatter/chatter.exe") make='C:\GnuMake\make.exe'
for writer in warmup:"$chatter lines 2000 10" lines:"$chatter lines $LINES 10" fast:"type $w\\text.txt"; do
  printf '%s\r\n' "#BvExe $make" '#BvOpt -f %s' '#BvClose 1' '#Bravik "" flood' flood: "	@${writer#*:}" \
    "	@$chatter marker $w\\marker.txt" > "$work/${writer%%:*}.mak"
done
run() { (cd "$work" && "$WINE" "$BUILD/tools/runbench/runbench.exe" "$@" 2>/dev/null | tr -d '\r'); }
value() { sed -n "s/.*\\b$2=\\([^ ]*\\).*/\\1/p" <<<"$1"; }
bravik() { run bravik "$w\\marker.txt" "$(winpath "$BUILD/Bravik.exe")" "$w\\$1.mak" ${2:-}; }

echo "make printing $LINES lines (a diagnostic every 10th), Wine $("$WINE" --version), $(nproc) cores," \
  "load $(cut -d' ' -f1-3 /proc/loadavg)"
pane=$(value "$(bravik warmup)" pane)
case $pane in [1-9]*x[1-9]*) ;; *) echo "no pane size from the warm-up ($pane)"; exit 1 ;; esac
echo "text for the fast writer: $(run pipe "$w\\marker.txt" "$w\\text.txt" "$make" -f "$w\\lines.mak")"
for writer in lines fast; do
  floor() { run pipe "$w\\marker.txt" "$w\\out.txt" "$make" -f "$w\\$writer.mak"; }
  ceiling() { run richedit "$w\\out.txt" "${pane%x*}" "${pane#*x}"; }
  f1=$(floor) c1=$(ceiling) b=$(bravik $writer) f2=$(floor) c2=$(ceiling)
  printf '%s writer\n  floor   %s\n  ceiling %s\n  Bravik  %s\n  floor   %s\n  ceiling %s\n' \
    $writer "$f1" "$c1" "$b" "$f2" "$c2"
  awk -v w=$writer -v m="$(value "$b" marker)" -v e="$(value "$b" end)" -v f1="$(value "$f1" marker)" \
    -v f2="$(value "$f2" marker)" -v c1="$(value "$c1" appended)" -v c2="$(value "$c2" appended)" \
    -v wait="$(value "$b" worst_answer_ms)" -v bm="$(value "$b" peak_mb)" -v r1="$(value "$c1" peak_mb)" \
    -v r2="$(value "$c2" peak_mb)" 'BEGIN {
    printf "%s writer: P1 %.2f s / floor %.2f s = %.3f (target <= 1.1); ", w, m, (f1 + f2) / 2, 2 * m / (f1 + f2)
    printf "P2 %.2f s / ceiling %.2f s = %.3f (target <= 1.3); ", e, (c1 + c2) / 2, 2 * e / (c1 + c2)
    printf "longest WM_NULL wait %.1f ms (target <= 100); ", wait
    printf "peak resident Bravik %d MiB, rich edit %d MiB\n", bm, (r1 > r2 ? r1 : r2) }'
done
echo "中断 $ABORT_MS ms into the fast writer: the run ended $(value "$(bravik fast "$ABORT_MS")" abort_ms) ms later"

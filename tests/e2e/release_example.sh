#!/usr/bin/env bash
# The bundled example that scripts/run opens: each of its variants, run with
# the GNU make for Windows that setup builds, the way Bravik runs it (in the
# makefile's folder, "-f hello.mak" and the variant's macros); its recorded
# diagnostics must point at source lines that hold what they complain about,
# so that a jump from them lands somewhere that makes sense.
. "$TOP/tests/e2e/lib.sh"

EXAMPLE="$TOP/examples/hello"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# make_run MACROS...: one run; its output (UTF-8, no CRs) in out.txt. Files,
# not pipes: Wine's helper processes may keep an inherited pipe open.
make_run() {
  local rc
  (cd "$EXAMPLE" && "$WINE" "$GNUMAKE" -f hello.mak "$@" </dev/null >"$work/out.raw" 2>"$work/err.raw")
  rc=$?
  grep -v '^wine: ' "$work/err.raw" | cat "$work/out.raw" - | iconv -f CP932 -t UTF-8 | tr -d '\r' >"$work/out.txt"
  return $rc
}
profile=$(iconv -f CP932 -t UTF-8 "$EXAMPLE/hello.mak")
same "the example names the GNU make that setup installs" '#BvExe C:\GnuMake\make.exe' "$(grep '^#BvExe' <<<"$profile")"
same "the example passes itself with -f" '#BvOpt -f %s' "$(grep '^#BvOpt' <<<"$profile")"
check "the example opens diagnostics in Wine's notepad" grep -qx '#BvEdit notepad.exe' <<<"$profile"

# Its variants, as "#Bravik" lines give them: macros, then the label.
mapfile -t variants < <(sed -n 's/^#Bravik *"\([^"]*\)" *\(.*\)$/\1|\2/p' <<<"$profile")
same "the example has three variants" 3 "${#variants[@]}"
for v in "${variants[@]}"; do
  macros=${v%%|*} label=${v#*|}
  # shellcheck disable=SC2086
  make_run $macros; rc=$?
  out=$(cat "$work/out.txt")
  case $macros in
    "")
      same "$label: builds" 0 "$rc"
      check "$label: links hello.exe" grep -q '^link /out:hello.exe' <<<"$out"
      check "$label: shows a warning with its source line" grep -q '^src\\util.c([0-9]*) : warning' <<<"$out" ;;
    BROKEN=1)
      check "$label: make fails" test "$rc" -ne 0
      # One in each compiler's form, as the recognizer knows them.
      for form in "cl's file(n)|^src\\\\[a-z]+\\.c\\([0-9]+\\) : error" \
                  "gcc's file:n:|^src/[a-z]+\\.c:[0-9]+: error" \
                  "Borland's Error file n:|^Error src\\\\[a-z]+\\.c [0-9]+:"; do
        same "$label: one error in $(cut -d'|' -f1 <<<"$form") form" 1 "$(grep -cE "${form#*|}" <<<"$out")"
      done
      check "$label: reports the failure in Japanese" grep -q 'エラーが発生しました' <<<"$out" ;;
    -n)
      same "$label: make only prints what it would do" 0 "$rc"
      check "$label: prints the commands without running them" grep -q '^echo link /out:hello.exe' <<<"$out" ;;
    *) echo "not ok - $label: a variant this test does not know"; _failed=1 ;;
  esac
  cat "$work/out.txt" >>"$work/all.txt"
done

# Every diagnostic of every variant points at a line that holds what it
# names: 'x' on the line itself, or for "expected 'x' before 'y'" a line
# without x followed by one with y.
while IFS= read -r line; do
  file=$(sed -nE 's/^(Error )?(src[\\/][a-z]+\.c)(\(| |:).*/\2/p' <<<"$line" | tr '\\' '/')
  n=$(sed -nE 's/^src[\\/][a-z]+\.c\(([0-9]+)\).*/\1/p; s/^src[\\/][a-z]+\.c:([0-9]+):.*/\1/p; s/^Error src[\\/][a-z]+\.c ([0-9]+):.*/\1/p' <<<"$line")
  source_line=$(sed -n "${n}p" "$EXAMPLE/$file" | sed 's|/\*.*||')
  if [[ $line =~ expected\ \'([^\']+)\'\ before\ \'([^\']+)\' ]]; then
    want=${BASH_REMATCH[1]} next=${BASH_REMATCH[2]}
    check "$file:$n lacks '$want' before a line with '$next'" \
      eval '[[ "$source_line" != *"$want"* && "$(sed -n "$((n + 1))p" "$EXAMPLE/$file")" == *"$next"* ]]'
  else
    want=$(grep -o "'[^']*'" <<<"$line" | head -1 | tr -d "'")
    check "$file:$n holds '$want'" eval '[[ -n "$want" && "$source_line" == *"$want"* ]]'
  fi
done < <(grep -E '^(src[\\/]|Error src)' "$work/all.txt" | sort -u)

finish

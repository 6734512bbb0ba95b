#!/usr/bin/env bash
# The script builder as installers run it (the Windows build, under Wine):
# the example description of Bravik's uninstall script gives a 50168-byte
# uninstaller with a 740-byte script, and dumping that file gives the
# description back, byte for byte.
. "$TOP/tests/e2e/lib/uninstal.sh"

EXAMPLE="$TOP/examples/uninstall/bravik.uninstall.txt"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for f in "$UNINSTAL" "$BUILDER" "$EXAMPLE"; do
  [ -f "$f" ] || { not_ok "present: $f"; finish; }
done
# Little-endian 32-bit word of a file at an offset.
word() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }

out=$(builder build "$(winpath "$EXAMPLE")" "$(winpath "$UNINSTAL")" "$(winpath "$work/UnInstal.exe")")
same "build reports the script" "$(winpath "$work/UnInstal.exe"): dataLength 740, 50168 bytes" "$out"
same "the uninstaller with its script is 50168 bytes" 50168 "$(stat -c %s "$work/UnInstal.exe")"
check "the image before the script is UnInstal.exe unchanged" cmp -s -n 49152 "$UNINSTAL" "$work/UnInstal.exe"
same "uninstallFlags" 65760 "$(word "$work/UnInstal.exe" 49152)"
same "the word at 4 is 3" 3 "$(word "$work/UnInstal.exe" 49156)"
same "the word at 8 is 0xC2E4" 49892 "$(word "$work/UnInstal.exe" 49160)"
same "dataLength" 740 "$(word "$work/UnInstal.exe" 49164)"
same "installDir is all zero" 0 "$(tail -c +49169 "$work/UnInstal.exe" | head -c 260 | tr -d '\0' | wc -c)"
same "check takes it" "sound: dataLength 740, flags 0x100E0, install-dir empty" "$(builder check "$(winpath "$work/UnInstal.exe")")"

builder dump "$(winpath "$work/UnInstal.exe")" > "$work/dumped.txt"
check "dump gives the example description back byte for byte" cmp -s "$EXAMPLE" "$work/dumped.txt"
builder build "$(winpath "$work/dumped.txt")" "$(winpath "$work/UnInstal.exe")" "$(winpath "$work/again.exe")" >/dev/null
check "the dumped description builds the same file" cmp -s "$work/UnInstal.exe" "$work/again.exe"

builder build "$(winpath "$EXAMPLE")" "$(winpath "$UNINSTAL")" "$(winpath "$work/installed.exe")" \
  --install-dir 'C:\Program Files\Quibrel\Bravik' >/dev/null
same "--install-dir fills installDir" 'C:\Program Files\Quibrel\Bravik' "$(tail -c +49169 "$work/installed.exe" | head -c 260 | tr -d '\0')"
check "--install-dir leaves the data alone" cmp -s -i 49428 "$work/UnInstal.exe" "$work/installed.exe"

printf 'product "P"\nfile "x"\n' > "$work/bad.txt"
err=$("$WINE" "$BUILDER" build "$(winpath "$work/bad.txt")" "$(winpath "$UNINSTAL")" "$(winpath "$work/bad.exe")" 2>&1 >/dev/null | tr -d '\r')
check "a broken description is refused with its line" test -n "$(printf '%s' "$err" | grep 'line 2: a record before the four header strings')"
check "a refused description writes no file" test ! -e "$work/bad.exe"
finish

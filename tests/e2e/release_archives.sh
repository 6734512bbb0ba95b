#!/usr/bin/env bash
# The two release archives as a user downloads them: exactly the expected
# files, the right machine in each, UnInstal.exe as the bare 0xC000-byte
# image, the texts in code page 932 with CR LF line ends, the version
# resources of both programs, and the same archive from a second packaging.
. "$TOP/tests/e2e/lib.sh"

root=$(dirname "$BUILD")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
version=$(sed -n 's/^ *FILEVERSION *\([0-9]*\) *, *\([0-9]*\).*/\1.\2/p' "$TOP/bravik/res/version.rc" | head -1)

# One time for both packagings, whatever others commit meanwhile.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$TOP" log -1 --format=%ct 2>/dev/null || date +%s)}
package() { PACKAGE_BUILD=$root "$TOP/scripts/package" --no-setup >"$work/package.log" 2>&1; }
if package; then
  echo "ok - scripts/package builds the archives"
else
  echo "not ok - scripts/package builds the archives"; sed 's/^/#   /' "$work/package.log" | tail -20; finish
fi

# versions FILE WINDRES: the version resource as "FILEVERSION a, b, c, d" and
# "Name=value" lines, values decoded to UTF-8 (windres writes the Japanese
# ones as wide strings with \x escapes).
versions() {
  LC_ALL=C "$2" -J coff -i "$1" -O rc 2>/dev/null | python3 -c '
import re, sys
text = sys.stdin.read()
m = re.search(r"VERSIONINFO\s+FILEVERSION\s+([0-9, ]+)\n", text)
print("FILEVERSION " + (m.group(1).strip() if m else "none"))
for name, value in re.findall(r"VALUE \"(\w+)\", L?\"((?:[^\"\\]|\\.)*)\"", text):
    value = re.sub(r"\\x([0-9a-fA-F]+)", lambda x: chr(int(x.group(1), 16)), value)
    print("%s=%s" % (name, value))'
}
# crlf_only FILE: every line ends in CR LF, and no CR stands alone.
crlf_only() {
  local lf crlf cr
  lf=$(tr -cd '\n' <"$1" | wc -c); cr=$(tr -cd '\r' <"$1" | wc -c)
  crlf=$(LC_ALL=C grep -c $'\r$' "$1")
  [ "$lf" -gt 0 ] && [ "$lf" = "$crlf" ] && [ "$cr" = "$crlf" ] && [ "$(tail -c 1 "$1" | od -An -c | tr -d ' ')" = '\n' ]
}
cp932_text() { iconv -f CP932 -t UTF-8 "$1" | tr -d '\r'; }

for arch in i686 x86_64; do
  zip="$root/package/bravik-$version-$arch.zip"
  [ -f "$zip" ] || { echo "not ok - $arch: $zip exists"; _failed=1; continue; }
  same "$arch: the archive holds exactly the release files" \
    "$(printf '%s\n' Bravik.exe Bravik.html Bravik.mak Readme.txt UnInstal.exe)" "$(unzip -Z1 "$zip" | LC_ALL=C sort)"
  d="$work/$arch"; mkdir -p "$d" && unzip -q "$zip" -d "$d"
  case $arch in
    i686) machine=i386; tools=i686-w64-mingw32 ;;
    x86_64) machine=i386:x86-64; tools=x86_64-w64-mingw32 ;;
  esac
  for exe in Bravik.exe UnInstal.exe; do
    same "$arch: $exe is a $machine program" "$machine" \
      "$(LC_ALL=C $tools-objdump -f "$d/$exe" | sed -n 's/^architecture: \([^,]*\),.*/\1/p')"
  done
  same "$arch: UnInstal.exe is the bare image of 0xC000 bytes" 49152 "$(stat -c %s "$d/UnInstal.exe")"

  same "$arch: Bravik.exe carries version $version" "$(cat <<V
FILEVERSION ${version/./, }, 0, 0
FileVersion=${version/./, }, 0, 0
OriginalFilename=Bravik.exe
ProductName=Bravik ﾒｲｸﾂｰﾙ
ProductVersion=${version/./, }, 0, 0
V
)" "$(versions "$d/Bravik.exe" $tools-windres | grep -E '^(FILEVERSION|FileVersion|OriginalFilename|ProductName|ProductVersion)')"
  same "$arch: UnInstal.exe carries version 1.1.2.34 and its names" "$(cat <<V
FILEVERSION 1, 1, 2, 34
Comments=Windowsｱﾝｲﾝｽﾄｰﾙﾌﾟﾛｸﾞﾗﾑ
FileDescription=UnInstall for Windows
FileVersion=1, 1, 2, 34
InternalName=UnInstall
OriginalFilename=UnInstal.exe
ProductName=UnInstall ｱﾌﾟﾘｹｰｼｮﾝ
ProductVersion=1, 1, 2, 34
V
)" "$(versions "$d/UnInstal.exe" $tools-windres | grep -Ev '^(CompanyName|LegalCopyright)=')"

  for f in Readme.txt Bravik.mak; do
    check "$arch: $f is code page 932 text" eval 'iconv -f CP932 -t UTF-8 "$d/$f" >/dev/null 2>&1'
    check "$arch: $f has CR LF line ends only" crlf_only "$d/$f"
  done
  # The texts are their UTF-8 sources with the version filled in; in the
  # sample, only the line numbers its tour target names may differ.
  same "$arch: Readme.txt is the Japanese readme of version $version" \
    "$(sed "s/@VERSION@/$version/g" "$TOP/release/Readme.txt")" "$(cp932_text "$d/Readme.txt")"
  same "$arch: Bravik.mak is the sample profile" \
    "$(sed "s/@VERSION@/$version/g; s/@LINE_[A-Z]*@/N/g" "$TOP/release/Bravik.mak")" \
    "$(cp932_text "$d/Bravik.mak" | sed -E '/^\t@echo/s/(Bravik\.mak[(:]|は )[0-9]+/\1N/')"
  check "$arch: Bravik.html is the help page" cmp -s "$TOP/help/Bravik.html" "$d/Bravik.html"
done

# The sample shows every directive, in the first column where Bravik reads it.
sample=$(cp932_text "$work/x86_64/Bravik.mak")
for directive in '#BvExe' '#BvOpt' '#BvEnv' '#BvSenv' '#BvEdit' '#BvEopt' '#BvKind' '#BvClose' '#BvMulti' '#BvErrmsg' '#BvCur'; do
  check "sample profile: sets $directive" grep -qE "^$directive( |\$)" <<<"$sample"
done
check "sample profile: defines build variants" grep -qE '^#Bravik +"[^"]*" +[^ ]' <<<"$sample"
# Its tour target points into the file itself: each line it names must hold
# what the message says is there.
line_of() { sed -n "${1}p" <<<"$sample"; }
editor=$(sed -n 's/^\t@echo Bravik\.mak(\([0-9]*\)) : warning: .*/\1/p' <<<"$sample")
errmsg=$(sed -n 's/^\t@echo Bravik\.mak:\([0-9]*\): error: .*/\1/p' <<<"$sample")
variants=$(sed -n 's/^\t@echo .* \([0-9][0-9]*\) 行目からです。$/\1/p' <<<"$sample")
check "sample profile: the tour's warning names the #BvEdit line" eval '[[ "$(line_of "$editor")" == "#BvEdit "* ]]'
check "sample profile: the tour's error names the #BvErrmsg line" eval '[[ "$(line_of "$errmsg")" == "#BvErrmsg "* ]]'
check "sample profile: the tour names the first #Bravik line" \
  eval '[[ "$(line_of "$variants")" == "#Bravik "* && "$(line_of $((variants - 1)))" != "#Bravik "* ]]'

for f in Readme.txt Bravik.mak Bravik.html; do
  check "both archives hold the same $f" cmp -s "$work/i686/$f" "$work/x86_64/$f"
done
readme=$(cp932_text "$work/x86_64/Readme.txt")
for arch in i686 x86_64; do
  check "Readme.txt names the archive bravik-$version-$arch.zip" grep -qF "bravik-$version-$arch.zip" <<<"$readme"
done

# Entries carry the given time, not the time of packaging: packaging again
# gives the same bytes.
# (DOS times hold even seconds only.)
entry_time=$(TZ=UTC zipinfo -T "$root/package/bravik-$version-x86_64.zip" Readme.txt | awk '{print $7}')
entry_epoch=$(TZ=UTC date -d "${entry_time:0:8} ${entry_time:9:2}:${entry_time:11:2}:${entry_time:13:2}" +%s)
check "archive entries carry the commit time" eval '[ $((entry_epoch - SOURCE_DATE_EPOCH)) -ge -2 ] && [ $((entry_epoch - SOURCE_DATE_EPOCH)) -le 2 ]'
cp "$root/package/bravik-$version-x86_64.zip" "$work/first.zip"
sleep 1
package
check "a second packaging gives the same archive" cmp -s "$work/first.zip" "$root/package/bravik-$version-x86_64.zip"

finish

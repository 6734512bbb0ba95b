#!/usr/bin/env bash
# UnInstal end to end: the script builder as installers run it; the release
# archives; then the x86_64 one installed into the prefix as an installer
# would (files, the .mak and .makx associations, the Programs-menu folder and
# shortcuts, the Add/Remove key, UnInstal.exe with the release's script), and
# uninstalled through UnInstal's dialog as the Add/Remove entry starts it: one
# box alone removes exactly its group, none only the files, all three leave
# nothing, a file the user saved stays with its folder, and Cancel and the
# failures remove nothing.
. "$TOP/tests/e2e/lib.sh"
UNINSTAL="$BUILD/uninstal/UnInstal.exe" BUILDER="$BUILD/tools/uninstal-script/uninstal-script.exe"
INSTALL='C:\Program Files\Bravik' INSTALL_UNIX="$DRIVE_C/Program Files/Bravik" BATCH="$DRIVE_C/BvDelIns.bat"
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
work=$(mktemp -d)
builder() { "$WINE" "$BUILDER" "$@" 2>>"$ERROR_LOG" | tr -d '\r'; return "${PIPESTATUS[0]}"; }
gone_within() { within 10 test ! -e "$1"; }

EXAMPLE="$TOP/examples/uninstall/bravik.uninstall.txt"
builder build "$(winpath "$EXAMPLE")" "$(winpath "$UNINSTAL")" "$(winpath "$work/u.exe")" >/dev/null
builder dump "$(winpath "$work/u.exe")" >"$work/dumped.txt"
check "build, then dump gives the description back byte for byte" cmp -s "$EXAMPLE" "$work/dumped.txt"
printf 'product "P"\nfile "x"\n' >"$work/bad.txt"
builder build "$(winpath "$work/bad.txt")" "$(winpath "$UNINSTAL")" "$(winpath "$work/bad.exe")"; rc=$?
check "a broken description is refused, and no file written" test $rc != 0 -a ! -e "$work/bad.exe"

PACKAGE_BUILD=$(dirname "$BUILD") "$TOP/scripts/package" --no-setup >"$work/package.log" 2>&1 ||
  { not_ok "scripts/package builds the archives"; tail -20 "$work/package.log" | sed 's/^/#   /'; exit 1; }
# The archives as a user downloads them: exactly the five files, each program
# built for its machine, UnInstal.exe as the bare 0xC000-byte image, the texts
# with CR LF.
crlf_only() { [ "$(tr -cd '\r' <"$1" | wc -c) $(grep -c $'\r$' "$1")" = "$(wc -l <"$1") $(wc -l <"$1")" ] && [ "$(tail -c 1 "$1" | od -An -tx1)" = " 0a" ]; }
for arch in i686 x86_64; do
  d="$work/$arch" machine=i386 tools=i686-w64-mingw32
  [ $arch = x86_64 ] && machine=i386:x86-64 tools=x86_64-w64-mingw32
  mkdir -p "$d" && unzip -q "$(dirname "$BUILD")"/package/bravik-*-$arch.zip -d "$d"
  same "$arch: the archive holds exactly the release files" "$(printf '%s\n' Bravik.exe Bravik.html Bravik.mak Readme.txt UnInstal.exe)" \
    "$(cd "$d" && LC_ALL=C ls -A)"
  same "$arch: both programs are $machine programs" "$machine $machine" \
    "$(for f in Bravik UnInstal; do LC_ALL=C $tools-objdump -f "$d/$f.exe" | sed -n 's/^architecture: \([^,]*\),.*/\1/p'; done | xargs)"
  same "$arch: UnInstal.exe is the bare image of 0xC000 bytes" 49152 "$(stat -c %s "$d/UnInstal.exe")"
  for f in Readme.txt Bravik.mak; do check "$arch: $f has CR LF line ends only" crlf_only "$d/$f"; done
done
remove_installation() {  # whatever a run left
  rm -rf "$INSTALL_UNIX" "$BATCH" "$DRIVE_C"/users/*/{Desktop,AppData/Roaming/Microsoft/Windows/{SendTo,Start\ Menu/Programs}}/{*Bravik*,Quibrel\ Software}
  for key in 'HKCR\.mak' 'HKCR\mak_bvu_file' 'HKCR\.makx' 'HKCR\makx_bvu_file' "$UNINSTALL_KEY\\Bravik"; do "$WINE" reg delete "$key" /f >/dev/null 2>&1; done
}
at_exit "remove_installation; rm -rf '$work'"
reg_keep 'HKCU\Software\Quibrel'
remove_installation
# What an installation can leave behind, a line per thing: the files on C: but
# Wine's own and the temporary ones, the classes, the Add/Remove entries.
snapshot() {
  (cd "$DRIVE_C" && find . -path ./windows -prune -o -path '*/Temp' -prune -o -name 'bvsaved.*' -prune -o -print | sed 's/^/file /')
  reg932 query HKCR | grep -v '^$' | sed 's/^/key /'
  reg932 query "$UNINSTALL_KEY" | grep -v '^$' | sed 's/^/key /'
}
changes() { LC_ALL=C comm -3 <(LC_ALL=C sort "$work/before.txt") <(snapshot | LC_ALL=C sort) | sed 's/^\t/+/; /^[^+]/s/^/-/'; }
snapshot >"$work/before.txt"

# install [DESCRIPTION [INSTALL-DIR]]: the files, keys and shortcuts an
# installer makes, and UnInstal.exe built with the script (the release's by
# default) for the folder.
install() {
  local description=${1:-$TOP/release/bravik.uninstall.txt} app="$INSTALL\\Bravik.exe"
  mkdir -p "$INSTALL_UNIX" && cp "$work/x86_64/"* "$INSTALL_UNIX/" || return 1
  # A help file, and the index WinHelp makes beside it.
  grep -q 'Bravik\.HLP' "$description" && printf 'help\r\n' | tee "$INSTALL_UNIX/Bravik.HLP" >"$INSTALL_UNIX/Bravik.GID"
  builder build "$(winpath "$description")" "$(winpath "$work/x86_64/UnInstal.exe")" "$INSTALL\\UnInstal.exe" \
    --install-dir "${2-$INSTALL}" >/dev/null || return 1
  # The two classes and the Add/Remove entry as the installer writes them.
  q() { local s=${1//\\/\\\\}; printf '"%s"' "${s//\"/\\\"}"; }
  local open="$app %1" run="\"$app\" /A %1" c f cls i dir user="$DRIVE_C/users/$(id -un)"
  {
    printf '%s\r\n' 'Windows Registry Editor Version 5.00' ''
    for c in "mak|Bravik File|open|$open|MAKE実行(&X)|$run" "makx|Bravik Exec|open|$run"; do
      IFS='|' read -ra f <<<"$c"
      cls=${f[0]}_bvu_file
      printf '[HKEY_CLASSES_ROOT\\.%s]\r\n@=%s\r\n%s=""\r\n\r\n[HKEY_CLASSES_ROOT\\%s]\r\n@=%s\r\n\r\n' "${f[0]}" "$(q "$cls")" "$(q "$cls")" "$cls" "$(q "${f[1]}")"
      printf '[HKEY_CLASSES_ROOT\\%s\\DefaultIcon]\r\n@=%s\r\n\r\n' "$cls" "$(q "$app,0")"
      for ((i = 2; i < ${#f[@]}; i += 2)); do printf '[HKEY_CLASSES_ROOT\\%s\\Shell\\%s\\command]\r\n@=%s\r\n\r\n' "$cls" "${f[i]}" "$(q "${f[i + 1]}")"; done
    done
    printf '[HKEY_LOCAL_MACHINE\\%s\\Bravik]\r\n"DisplayName"="Bravik for Windows(Remove Only)"\r\n"UninstallString"=%s\r\n' \
      "${UNINSTALL_KEY#HKLM\\}" "$(q "$INSTALL\\UnInstal.exe")"
  } | iconv -f UTF-8 -t UTF-16 >"$DRIVE_C/bvinstall.reg"
  "$WINE" regedit /s 'C:\bvinstall.reg' >/dev/null 2>&1 || return 1
  # The shortcuts, in the prefix's shell folders; the uninstaller finds the Programs menu through the registry.
  for dir in "$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Quibrel Software" "$user/Desktop" "$user/AppData/Roaming/Microsoft/Windows/SendTo"; do
    mkdir -p "$dir" && : >"$dir/Bravik ﾒｲｸﾂｰﾙ.lnk" || return 1
  done
  rm -f "$DRIVE_C/bvinstall.reg"
}

# uninstall BOXES|cancel: the uninstaller started from its folder with the
# Add/Remove entry's command, the boxes set (1 ticked) and OK pressed, or
# Cancel; a message box confirmed. Prints what it met and the exit code.
uninstall() {
  local command pid d h i=0
  command=$(reg932 query "$UNINSTALL_KEY\\Bravik" /v UninstallString | sed -n 's/^ *UninstallString *REG_SZ *//p')
  (cd "$INSTALL_UNIX" && exec "$WINE" "$command") >/dev/null 2>>"$ERROR_LOG" & pid=$!
  d=$(first find '#32770' "" 20000) || { echo "no dialog"; kill $pid; return; }
  echo "title: $(drv text "$d")"
  echo "message: $(drv text "$d" IDC_MESSAGE | tr '\n' '|')"
  echo "ticked: $(for b in IDC_ASSOCIATIONS IDC_SHORTCUTS IDC_ADDREMOVE; do drv send "$(drv item "$d" $b)" BM_GETCHECK 0 0; done | xargs)"
  for b in IDC_ASSOCIATIONS IDC_SHORTCUTS IDC_ADDREMOVE; do
    [ "$1" = cancel ] || drv send "$(drv item "$d" $b)" BM_SETCHECK "${1:$((i++)):1}" 0 >/dev/null
  done
  [ -z "${SHOT:-}" ] || { sleep 0.5; shot "$SHOT" "$d"; }
  drv press "$d" "$([ "$1" = cancel ] && echo IDCANCEL || echo IDOK)"
  for _ in $(seq 100); do
    kill -0 $pid 2>/dev/null || break
    for h in $(drv find '#32770' "" 100); do
      [ "$h" = "$d" ] && continue
      echo "msgbox: $(drv text "$h"): $(drv text "$h" MSGBOX_TEXT)"
      drv press "$h" IDOK; drv gone "$h"
    done
  done
  wait $pid
  echo "exit $?"
}
quietly() { [[ "$1" == *"exit 0"* && "$1" != *msgbox* ]]; }
installed() { changes >"$work/installed.txt"; }
after() { changes | grep -v '^+key HKEY_CURRENT_USER' | LC_ALL=C sort; }
# left BOXES: what of the installation stays, once the batch has removed the
# folder, when only the ticked groups were undone.
left() {
  [ "${1:0:1}" = 1 ] || printf '+key HKEY_CLASSES_ROOT\\%s\n' .mak .makx mak_bvu_file makx_bvu_file
  [ "${1:1:1}" = 1 ] || grep -E '^\+file .*(\.lnk|/Quibrel Software)$' "$work/installed.txt"
  [ "${1:2:1}" = 1 ] || echo "+key HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Bravik"
}

install && installed
drv position 40 30 500 400  # as Bravik stores its window
same "the installation: folder and files, menu folder, three shortcuts; two associations, the Add/Remove entry" "10 3 5" \
  "$(grep -c '^+file' "$work/installed.txt") $(grep -c '\.lnk$' "$work/installed.txt") $(grep -c '^+key' "$work/installed.txt")"

out=$(SHOT=uninstaller uninstall 111)
same "the dialog: the script's title and message, its ticked boxes" "title: Bravikのｱﾝｲﾝｽﾄｰﾙ
message: Bravikのｱﾝｲﾝｽﾄｰﾙを行ないます。ﾌｧｲﾙの削除や設定の解除を行なう時は[OK]ﾎﾞﾀﾝを押します。[ｷｬﾝｾﾙ]なら実行しません。||Bravik for Windows Version 1.43|Copyright (C) 1997-2026 by Quibrel Software|
ticked: 1 1 1" "$(head -3 <<<"$out")"
check "it ends without a message" quietly "$out"
check "the batch removes the uninstaller and its folder, then itself" eval 'gone_within "$INSTALL_UNIX" && gone_within "$BATCH"'
same "nothing of the installation is left" "" "$(after)"
check "but Bravik's own settings (no record names them)" eval '"$WINE" reg query "HKCU\\Software\\Quibrel\\Bravik\\Spec" >/dev/null 2>&1'

install
printf 'all:\r\n' >"$INSTALL_UNIX/MyApp.mak"
installed
out=$(uninstall cancel)
check "Cancel: the uninstaller ends quietly" quietly "$out"
sleep 1
same "and changes nothing" "$(cat "$work/installed.txt")" "$(changes)"
out=$(uninstall 111)
check "a file of the user's: the batch removes the uninstaller, then itself" eval 'gone_within "$INSTALL_UNIX/UnInstal.exe" && gone_within "$BATCH"'
same "only that file and its folder are left" "$(printf '%s\n' '+file ./Program Files/Bravik' '+file ./Program Files/Bravik/MyApp.mak')" "$(after)"
rm -rf "$INSTALL_UNIX"

# One box alone, and none: the groups are independent bits. With a help file,
# whose index goes with it, and a read-only uninstaller, which the batch's
# del /f takes as well.
sed 's/^file "%i\\\\Readme.txt"$/&\nfile "%i\\\\Bravik.HLP"/' "$TOP/release/bravik.uninstall.txt" >"$work/help.txt"
for boxes in 001 000; do
  install "$work/help.txt" && installed || { not_ok "boxes $boxes: install"; continue; }
  chmod a-w "$INSTALL_UNIX/UnInstal.exe"
  out=$(uninstall $boxes)
  check "boxes $boxes: the uninstaller ends without a message" quietly "$out"
  gone_within "$INSTALL_UNIX"
  same "boxes $boxes: removes the files and exactly its groups" "$(left $boxes | LC_ALL=C sort)" "$(after)"
  remove_installation
done

# Failures remove nothing: an empty install directory, no script at all (the
# image as built: an empty dialog).
for failure in empty-dir no-script; do
  if [ $failure = empty-dir ]; then install "" ""; else install && cp "$UNINSTAL" "$INSTALL_UNIX/UnInstal.exe"; fi
  installed
  out=$(uninstall 111)
  [ $failure = no-script ] && same "no script: an empty dialog with clear boxes" "title: |message: ||ticked: 0 0 0|" "$(head -3 <<<"$out" | tr '\n' '|')"
  contains "$failure: the failure message" "キャンセルまたは異常のためアンインストールを中断します。" "$out"
  sleep 1
  same "$failure: nothing removed, no batch" "$(cat "$work/installed.txt")" "$(changes)"
  remove_installation
done

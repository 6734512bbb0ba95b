#!/usr/bin/env bash
# The x86_64 release archive installed into the Wine prefix the way an
# installer would do it, used, and uninstalled with its own UnInstal.exe.
#
# The "installer" here is driven by the uninstall script itself (dumped back
# from the UnInstal.exe it builds): every association, menu folder, shortcut
# and Add/Remove record the uninstaller will undo is first made from that same
# record, and the files come from the archive. So a file of the archive that
# the script forgets, or a record that names the wrong place, shows up as
# something left behind.
#
# Two installations: one uninstalled as it was installed (nothing may remain
# but the settings Bravik stored while it was used), one in which the user
# saved a file of their own in the installation folder (that file and its
# folder must remain, nothing else). Cancel in between must change nothing.
. "$TOP/tests/e2e/lib/uninstal.sh"

INSTALL='C:\Program Files\Bravik'
INSTALL_UNIX="$DRIVE_C/Program Files/Bravik"
BATCH="$DRIVE_C/BvDelIns.bat"
DESCRIPTION="$TOP/release/bravik.uninstall.txt"
SETTINGS='HKCU\Software\Quibrel'

work=$(mktemp -d)
reg_cp932() { "$WINE" reg "$@" 2>/dev/null | iconv -f CP932 -t UTF-8 | tr -d '\r'; }
USER_DIR="$DRIVE_C/users/$(whoami)"
# Wine links the desktop folder of every prefix to the Unix home, so desktop
# shortcuts of tests in other prefixes (or of the machine's user) would meet
# this one's there: for the test's run the prefix gets a desktop of its own.
DESKTOP="$USER_DIR/Desktop"
desktop_link=""
if [ -L "$DESKTOP" ]; then
  desktop_link=$(readlink "$DESKTOP")
  rm "$DESKTOP" && mkdir "$DESKTOP"
fi
restore_desktop() {
  [ -n "$desktop_link" ] || return 0
  rm -f "$DESKTOP/Bravik ﾒｲｸﾂｰﾙ.lnk"
  rmdir "$DESKTOP" && ln -s "$desktop_link" "$DESKTOP"
}

# The user's own settings are put back as they were before the test.
settings_saved=0
if "$WINE" reg export "$SETTINGS" "$(winpath "$work/settings.reg")" /y >/dev/null 2>&1; then settings_saved=1; fi
# Whatever a failed run left: the installation, its shortcuts and keys.
remove_installation() {
  [ -f "$work/installed.txt" ] && while IFS= read -r path; do rm -rf "$path"; done <"$work/installed.txt"
  rm -rf "$INSTALL_UNIX" "$BATCH" "$DESKTOP/Bravik ﾒｲｸﾂｰﾙ.lnk"
  for key in 'HKCR\.mak' 'HKCR\mak_bvu_file' 'HKCR\.makx' 'HKCR\makx_bvu_file' \
    'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Bravik'; do
    "$WINE" reg delete "$key" /f >/dev/null 2>&1
  done
}
cleanup() {
  remove_installation
  restore_desktop
  "$WINE" reg delete "$SETTINGS" /f >/dev/null 2>&1
  [ $settings_saved = 1 ] && "$WINE" reg import "$(winpath "$work/settings.reg")" >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

# The archive, built as a user downloads it.
log="$work/package.log"
if PACKAGE_BUILD=$(dirname "$BUILD") "$TOP/scripts/package" --no-setup >"$log" 2>&1; then
  echo "ok - install: scripts/package builds the archive to install"
else
  echo "not ok - install: scripts/package builds the archive to install"; sed 's/^/#   /' "$log" | tail -20; finish
fi
ARCHIVE=$(ls "$(dirname "$BUILD")"/package/bravik-*-x86_64.zip)
mkdir -p "$work/archive" && unzip -q "$ARCHIVE" -d "$work/archive"
for f in "$BUILDER" "$DRIVER"; do
  [ -f "$f" ] || { echo "not ok - built: $f"; finish; }
done
# Left over from an interrupted run.
if [ -e "$INSTALL_UNIX" ] || "$WINE" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Bravik' >/dev/null 2>&1; then
  remove_installation
fi

# snapshot: what an installation can leave behind, one line per thing: the
# files on C: (but Wine's own folder and the temporary ones), the desktop's
# shortcuts (should the desktop still be the Unix home, only its links), the
# classes, the Add/Remove entries and the vendors under HKCU\Software.
snapshot() {
  (cd "$DRIVE_C" && find . -path ./windows -prune -o -path './users/*/Temp' -prune \
    -o -path './users/*/AppData/Local/Temp' -prune -o -print | sed 's/^/file /' | LC_ALL=C sort)
  (cd "$DESKTOP" && ls -A | grep -i '\.lnk$' | sed 's/^/desktop /')
  reg_cp932 query HKCR | grep -v '^$' | sed 's/^/key /' | LC_ALL=C sort
  reg_cp932 query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' | grep -v '^$' | sed 's/^/key /'
  reg_cp932 query 'HKCU\Software' | grep -v '^$' | sed 's/^/key /'
}
# added BEFORE AFTER: the lines of AFTER that BEFORE lacks; removed: the reverse.
added() { LC_ALL=C comm -13 <(LC_ALL=C sort "$1") <(LC_ALL=C sort "$2"); }
removed() { LC_ALL=C comm -23 <(LC_ALL=C sort "$1") <(LC_ALL=C sort "$2"); }

# install: what an installer does, from the records of the built script.
# Writes install.reg and shortcuts.js into $work, and the Unix paths it made
# into installed.txt.
install() {
  mkdir -p "$INSTALL_UNIX"
  cp "$work/archive/"* "$INSTALL_UNIX/" || return 1
  builder build "$(winpath "$DESCRIPTION")" "$(winpath "$work/archive/UnInstal.exe")" "$INSTALL\\UnInstal.exe" \
    --install-dir "$INSTALL" >/dev/null || return 1
  builder dump "$INSTALL\\UnInstal.exe" >"$work/script.txt" || return 1
  python3 - "$work" <<'PY' || return 1
import json, re, sys
work = sys.argv[1]

def strings(line):
    out = []
    for m in re.finditer(r'"((?:[^"\\]|\\.)*)"', line):
        s = m.group(1)
        s = re.sub(r'\\x([0-9A-Fa-f]{2})', lambda x: chr(int(x.group(1), 16)), s)
        s = s.replace('\\r', '\r').replace('\\n', '\n').replace('\\t', '\t').replace('\\"', '"').replace('\\\\', '\\')
        out.append(s)
    return out

header, records = {}, []
for line in open(work + '/script.txt', encoding='utf-8'):
    line = line.strip()
    if not line or line.startswith('#'):
        continue
    word = line.split()[0]
    if word in ('product', 'install-dir'):
        header[word] = strings(line)[0]
    elif word in ('association', 'menu-folder', 'shortcut', 'uninstall-entry', 'file', 'directory'):
        numbers = [int(n, 0) for n in re.findall(r'\s(0x[0-9A-Fa-f]+|\d+)(?=\s)', line.split('"')[0] + ' ')]
        records.append((word, numbers, strings(line)))

install_dir = header['install-dir']
def expand(s):
    return s.replace('%i', install_dir)

def reg_string(s):
    return '"' + s.replace('\\', '\\\\').replace('"', '\\"') + '"'

reg = ['Windows Registry Editor Version 5.00', '']
# The folders from the shell's registry values: the uninstaller reads the
# Programs menu there, and the shell keeps the desktop and SendTo there too.
js = ['var sh = WScript.CreateObject("WScript.Shell");',
      'var fso = WScript.CreateObject("Scripting.FileSystemObject");',
      'function shellFolder(name) {',
      '  return sh.RegRead("HKCU\\\\Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\Shell Folders\\\\" + name);',
      '}',
      'var current = "";',
      'function link(folder, name, target, dir, icon) {',
      '  var l = sh.CreateShortcut(folder + "\\\\" + name + ".lnk");',
      '  l.TargetPath = target; l.WorkingDirectory = dir; l.IconLocation = icon + ",0"; l.Save();',
      '  if (!fso.FileExists(folder + "\\\\" + name + ".lnk")) throw new Error("no shortcut " + name);',
      '  current = folder;',
      '}',
      'try {',
      'var places = {2: shellFolder("StartUp"), 3: shellFolder("Desktop"), 4: shellFolder("SendTo")};']
for word, numbers, s in records:
    if word == 'association':
        ext, text, command, icon, verb = s[0], s[1], s[2], s[3], s[4]
        cls = ext[1:] + '_bvu_file'
        reg += ['[HKEY_CLASSES_ROOT\\%s]' % ext, '@=' + reg_string(cls), reg_string(cls) + '=""', '',
                '[HKEY_CLASSES_ROOT\\%s]' % cls, '@=' + reg_string(text), '',
                '[HKEY_CLASSES_ROOT\\%s\\DefaultIcon]' % cls, '@=' + reg_string(expand(icon)), '',
                '[HKEY_CLASSES_ROOT\\%s\\Shell\\%s\\command]' % (cls, verb), '@=' + reg_string(expand(command)), '']
    elif word == 'uninstall-entry':
        reg += ['[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\%s]' % header['product'],
                '"DisplayName"=' + reg_string(s[0]), '"UninstallString"=' + reg_string(expand(s[1])), '']
    elif word == 'menu-folder':
        flags = numbers[0]
        if flags & 0x0F in (2, 3, 4) or flags & 0xA0 or not flags & 0x40:
            sys.exit('the installer knows Programs-menu folders only, not 0x%x' % flags)
        js += ['current = shellFolder("Programs") + "\\\\" + %s;' % json.dumps(s[0]), 'if (!fso.FolderExists(current)) fso.CreateFolder(current);']
    elif word == 'shortcut':
        flags = numbers[0]
        if flags & 0x0F in (2, 3, 4):
            folder = 'places[%d]' % (flags & 0x0F)
        elif flags & 0x20:
            folder = 'current'
        else:
            sys.exit('the installer cannot place a shortcut with 0x%x' % flags)
        name, target, _, directory, icon = s[:5]
        js.append('link(%s, %s, %s, %s, %s);' % (folder, json.dumps(name), json.dumps(expand(target)),
                                                   json.dumps(expand(directory)), json.dumps(expand(icon))))
js += ['} catch (e) { WScript.Echo(e.message); WScript.Quit(1); }']
open(work + '/install.reg', 'w', encoding='utf-16').write('\r\n'.join(reg) + '\r\n')
open(work + '/shortcuts.js', 'w', encoding='ascii').write('\n'.join(js) + '\n')
PY
  "$WINE" regedit /s "$(winpath "$work/install.reg")" >/dev/null 2>&1 || return 1
  "$WINE" cscript //nologo "$(winpath "$work/shortcuts.js")" >/dev/null 2>&1 || return 1
  { echo "$INSTALL_UNIX"; find "$USER_DIR" -name '*Bravik*'
    ls -d "$DESKTOP"/*Bravik*.lnk 2>/dev/null; } >"$work/installed.txt"
  return 0
}

# open_with_shell PATH [STEP]: starts the installed Bravik through the shell
# (association or shortcut), prints its title and variant list, runs STEP
# with the main window when given, and closes it again.
open_with_shell() {
  "$WINE" start "$1" >/dev/null 2>&1
  local hwnd
  hwnd=$(drv find BravikClass - 15000) || { echo "no main window"; return; }
  sleep 0.5
  drv text "$hwnd"
  drv list-items "$hwnd" ID_VARIANTLIST
  [ -n "${2:-}" ] && "$2" "$hwnd" >/dev/null
  drv close "$hwnd" >/dev/null
  drv gone "$hwnd" 10000 || echo "still open"
}

# tour MAIN: runs the sample's last variant (its tour, which needs no
# compiler), keeps the output pane's text in tour.txt, double-clicks the
# warning it prints and keeps the title of the editor that opens in
# tour-editor.txt.
tour() {
  local list dialog status pane count index cx cy pos notepad
  list=$(drv item "$1" ID_VARIANTLIST)
  count=$(drv list-items "$list" | wc -l)
  drv list-select "$list" $((count - 1))
  drv command "$1" CMD_RUN
  dialog=$(drv owned "$1" 10000) || return 1
  status=$(drv item "$dialog" IDC_RUNSTATUS); pane=$(drv item "$dialog" PANE)
  wait_text "$status" MAKE終了 20
  drv text "$pane" >"$work/tour.txt"
  index=$(line_starts "$work/tour.txt" | sed -n "$(grep -n ': warning:' "$work/tour.txt" | head -1 | cut -d: -f1)p")
  read -r cx cy _ _ <<<"$(drv client "$pane")"
  pos=$(drv send "$pane" EM_POSFROMCHAR "$index" 0)
  xdotool mousemove $((cx + (pos & 0xFFFF) + 30)) $((cy + (pos >> 16) + 6)) click --repeat 2 --delay 80 1
  notepad=$(drv find-visible Notepad "" 15000) && drv text "$notepad" >"$work/tour-editor.txt"
  [ -n "$notepad" ] && drv close "$notepad" && drv gone "$notepad" 5000
  drv press "$dialog" IDCANCEL
  drv gone "$dialog" 5000
}

before=$work/before.txt
snapshot >"$before"

# --- First installation: installed, used, uninstalled as it came. ---
check "install: files, associations, menu folder, shortcuts and Add/Remove entry" install
snapshot >"$work/installed-state.txt"
same "install: the script's files are the archive's files" \
  "$(cd "$work/archive" && ls | LC_ALL=C sort)" \
  "$(sed -n 's/^file "%i\\\\\(.*\)"$/\1/p' "$work/script.txt" | LC_ALL=C sort)"
check "install: UnInstal.exe is the archive's image with the script appended" \
  cmp -s -n 49152 "$work/archive/UnInstal.exe" "$INSTALL_UNIX/UnInstal.exe"
same "install: the script ends the file (0xC000 + 276 header bytes + dataLength)" \
  "$((49152 + 276 + $(od -An -tu4 -j $((49152 + 12)) -N4 "$INSTALL_UNIX/UnInstal.exe" | tr -d ' ')))" \
  "$(stat -c %s "$INSTALL_UNIX/UnInstal.exe")"
check "install: the uninstaller takes its script" eval 'builder check "$INSTALL\\UnInstal.exe" >/dev/null'
same "install: the Add/Remove entry starts the installed uninstaller" \
  "$INSTALL\\UnInstal.exe" \
  "$(reg_cp932 query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Bravik' /v UninstallString | sed -n 's/^ *UninstallString *REG_SZ *//p')"
made=$(added "$before" "$work/installed-state.txt")
for thing in 'file ./Program Files/Bravik/Bravik.exe' 'key HKEY_CLASSES_ROOT\.mak' 'key HKEY_CLASSES_ROOT\mak_bvu_file' \
  'key HKEY_CLASSES_ROOT\.makx' 'key HKEY_CLASSES_ROOT\makx_bvu_file' 'desktop Bravik ﾒｲｸﾂｰﾙ.lnk' \
  'key HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Bravik'; do
  check "install made: $thing" grep -qxF "$thing" <<<"$made"
done
check "install made: the Programs-menu folder with its shortcut" grep -q 'Quibrel Software/Bravik ﾒｲｸﾂｰﾙ.lnk$' <<<"$made"
check "install made: the SendTo shortcut" grep -q 'SendTo/Bravik ﾒｲｸﾂｰﾙ.lnk$' <<<"$made"

# The sample profile opened through the ".mak" association: its title and the
# labels of its "#Bravik" lines, read from the packaged (CP932) file itself.
# Its tour runs where it was installed (a folder with a blank in its name)
# and its warning leads into the installed Bravik.mak.
sample=$(iconv -f CP932 -t UTF-8 "$INSTALL_UNIX/Bravik.mak" | tr -d '\r')
labels=$(sed -n 's/^#Bravik *"[^"]*" *//p' <<<"$sample")
same "the .mak association opens the sample profile in Bravik with its variants" \
  "$(printf 'Bravik.mak - Bravik\n%s' "$labels")" \
  "$(open_with_shell "$INSTALL\\Bravik.mak" tour)"
check "the sample's tour ends normally" grep -qE '^[0-9]+ 秒でMAKEが正常に終了しました\.$' "$work/tour.txt"
same "a double-click on the tour's warning opens the sample in notepad" "Bravik.mak - メモ帳" "$(cat "$work/tour-editor.txt" 2>/dev/null)"
# Each shortcut (Programs menu, desktop, SendTo) starts the installed Bravik.
while IFS= read -r shortcut; do
  where=${shortcut%/*}; where=${where##*/}
  same "the shortcut in $where starts the installed Bravik" "No File - Bravik" \
    "$(open_with_shell "$(printf 'C:\\%s' "${shortcut#"$DRIVE_C/"}" | tr '/' '\\')" | head -1)"
done < <(grep '\.lnk$' "$work/installed.txt")

# Uninstall through the Add/Remove entry's command, all boxes as the script
# ticks them.
uninstaller=$(reg_cp932 query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Bravik' /v UninstallString |
  sed -n 's/^ *UninstallString *REG_SZ *//p')
out=$(drv uninstal-run "$uninstaller" --shots "$(winpath "$work/release-uninstal")")
keep_shots "$work/release-uninstal"
same "uninstall: the dialog shows the script's title, message and ticked boxes" "$(cat <<TEXT
title: Bravikのｱﾝｲﾝｽﾄｰﾙ
message: Bravikのｱﾝｲﾝｽﾄｰﾙを行ないます。ﾌｧｲﾙの削除や設定の解除を行なう時は[OK]ﾎﾞﾀﾝを押します。[ｷｬﾝｾﾙ]なら実行しません。\\n\\nBravik for Windows Version 1.43\\nCopyright (C) 1997-2026 by Quibrel Software
box IDC_ASSOCIATIONS ticked enabled ﾌｧｲﾙの関連付けの解除を行なう。
box IDC_SHORTCUTS ticked enabled ｽﾀｰﾄﾒﾆｭｰ等のｼｮｰﾄｶｯﾄを削除する。
box IDC_ADDREMOVE ticked enabled ｱﾌﾟﾘｹｰｼｮﾝの追加と削除を解除する。
TEXT
)" "$(printf '%s\n' "$out" | head -5)"
check "uninstall: ends without a message" eval '[[ "$out" == *"exit 0"* && "$out" != *msgbox* ]]'
check "uninstall: the batch removes the uninstaller and the installation folder" gone_within "$INSTALL_UNIX"
check "uninstall: the batch deletes itself" gone_within "$BATCH"
snapshot >"$work/after.txt"
same "uninstall: nothing of the installation is left" "" "$(removed "$before" "$work/after.txt")$(added "$before" "$work/after.txt" | grep -v '^key HKEY_CURRENT_USER\\Software\\Quibrel$')"
check "uninstall: Bravik's own settings stay (the script cannot name them)" \
  eval '"$WINE" reg query "$SETTINGS\\Bravik\\Spec" >/dev/null 2>&1'

# --- Second installation: the user keeps a project in the folder. ---
check "second install" install
snapshot >"$work/installed-state.txt"
printf 'all:\r\n\t@echo mine\r\n' >"$INSTALL_UNIX/MyApp.mak"
out=$(drv uninstal-run "$uninstaller" --press cancel)
check "cancel: the uninstaller ends quietly" eval '[[ "$out" == *"exit 0"* && "$out" != *msgbox* ]]'
sleep 1
snapshot >"$work/cancel.txt"
same "cancel: nothing is removed and no batch is written" "file ./Program Files/Bravik/MyApp.mak" \
  "$(removed "$work/installed-state.txt" "$work/cancel.txt")$(added "$work/installed-state.txt" "$work/cancel.txt")"
out=$(drv uninstal-run "$uninstaller" --boxes 111)
check "user's file: the uninstaller ends without a message" eval '[[ "$out" == *"exit 0"* && "$out" != *msgbox* ]]'
check "user's file: the batch removes the uninstaller" gone_within "$INSTALL_UNIX/UnInstal.exe"
check "user's file: the batch deletes itself" gone_within "$BATCH"
snapshot >"$work/after.txt"
same "user's file: only the user's file and its folder are left" \
  "$(printf '%s\n' 'file ./Program Files/Bravik' 'file ./Program Files/Bravik/MyApp.mak')" \
  "$(removed "$before" "$work/after.txt")$(added "$before" "$work/after.txt" | grep -v '^key HKEY_CURRENT_USER\\Software\\Quibrel$')"

finish

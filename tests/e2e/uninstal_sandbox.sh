#!/usr/bin/env bash
# UnInstal end to end under Wine: a sandbox installation (files, folders, a
# help file with its index, a Programs-menu folder with a shortcut, desktop and
# SendTo shortcuts, a file association with two verbs, an Add/Remove key), an
# uninstaller built for it with uninstal-script, driven through its dialog.
# Each check-box combination must remove exactly its group, the batch must
# remove the uninstaller and its folder, and failures must remove nothing more.
# Cancel and the flags that fix the boxes are checked by release_install.sh
# and the Wine dialog tests.
. "$TOP/tests/e2e/lib/uninstal.sh"

TAG=BvuE2E
APP='C:\bvu-e2e\App'
APP_UNIX="$DRIVE_C/bvu-e2e/App"
BATCH="$DRIVE_C/BvDelIns.bat"
work=$(mktemp -d)
trap 'drv sandbox-clean "$APP" $TAG >/dev/null; rmdir "$DRIVE_C/bvu-e2e" 2>/dev/null; rm -f "$BATCH"; rm -rf "$work"' EXIT

for f in "$UNINSTAL" "$DRIVER" "$BUILDER"; do
  [ -f "$f" ] || { not_ok "built: $f"; finish; }
done

# description FLAGS MENULINE: the sandbox's script; the menu folder record
# comes after the files and associations so that a cancelled folder browser
# leaves those done.
description() {
  cat <<DESC
flags $1
product "$TAG"
title "${TAG}のｱﾝｲﾝｽﾄｰﾙ"
message "${TAG}のｱﾝｲﾝｽﾄｰﾙを行ないます。\r\n[OK]で削除します。"
default-dir "%p\\\\Quibrel\\\\$TAG"
file "%i\\\\App.exe"
file "%i\\\\Readme.txt"
file "%i\\\\App.HLP"
file "%i\\\\Data\\\\table.dat"
file "%i\\\\UnInstal.exe"
directory "%i\\\\Data"
directory "%i\\\\Keep"
directory "%i"
association ".bvue2e" "$TAG File" "%i\\\\App.exe %1" "%i\\\\App.exe,0" "open" "" "3"
association ".bvue2e" "$TAG File" "\"%i\\\\App.exe\" /A %1" "%i\\\\App.exe,0" "run" "" "1"
$2
shortcut 0x20 0 "$TAG Tool" "%i\\\\App.exe" "" "%i" "%i\\\\App.exe"
shortcut 0xC3 0 "$TAG Tool" "%i\\\\App.exe" "" "%i" "%i\\\\App.exe"
shortcut 0xC4 0 "$TAG Tool" "%i\\\\App.exe" "" "%i" "%i\\\\App.exe"
uninstall-entry "$TAG (Remove Only)" "%i\\\\UnInstal.exe"
end
DESC
}
MENU_REGISTRY="menu-folder 0x41 \"$TAG Soft\""

# fresh [--keep]: a new sandbox, with an unlisted file in Keep\ when asked.
fresh() {
  drv sandbox-clean "$APP" $TAG >/dev/null
  rm -f "$BATCH"
  [ "$(drv sandbox-create "$APP" $TAG "$@")" = created ]
}
# install DESCRIPTIONFILE [INSTALLDIR]: builds UnInstal.exe into the sandbox.
install() {
  builder build "$(winpath "$1")" "$(winpath "$UNINSTAL")" "$APP\\UnInstal.exe" --install-dir "${2-$APP}" >/dev/null
}
state() { drv sandbox-state "$APP" $TAG --keep; }
has() { [[ "$1" == *"$2"* ]]; }
ended_quietly() { has "$1" "exit 0" && ! has "$1" "msgbox"; }
batch_done() { gone_within "$APP_UNIX/UnInstal.exe" && gone_within "$BATCH"; }

# expected BOXES KEEP SELF: the state after a run. BOXES as the three boxes
# (associations, shortcuts, Add/Remove) were when OK was pressed (1 = ticked); KEEP 1 when Keep\ holds
# an unlisted file; SELF 1 when the batch removed the uninstaller.
expected() {
  local boxes=$1 keep=$2 self=$3 a s r
  a=$([ "${boxes:0:1}" = 1 ] && echo absent || echo present)
  s=$([ "${boxes:1:1}" = 1 ] && echo absent || echo present)
  r=$([ "${boxes:2:1}" = 1 ] && echo absent || echo present)
  local own=$([ "$self" = 1 ] && echo absent || echo present)
  local folder=$([ "$self" = 1 ] && [ "$keep" = 0 ] && echo absent || echo present)
  local kept=$([ "$keep" = 1 ] && echo present || echo absent)
  cat <<STATE
file App.exe absent
file Readme.txt absent
file App.HLP absent
file App.gid absent
file Data\\table.dat absent
folder Data absent
file UnInstal.exe $own
folder install $folder
shortcut programs $s
folder programs $s
shortcut desktop $s
shortcut sendto $s
key extension $a
key class $a
key class-open $a
key class-run $a
key uninstall $r
file Keep\\notes.txt $kept
folder Keep $kept
STATE
}

description 0xE0 "$MENU_REGISTRY" > "$work/all.txt"

# All boxes, none and each alone, all ticked at the start: the groups are
# independent bits, so the pairs add nothing.
for boxes in 111 000 100 010 001; do
  keep=0; [ "$boxes" = 000 ] && keep=1
  if [ $keep = 1 ]; then fresh --keep; else fresh; fi || { not_ok "boxes $boxes: sandbox"; continue; }
  install "$work/all.txt" || { not_ok "boxes $boxes: build the uninstaller"; continue; }
  shots=""; [ $boxes = 111 ] && shots="$(winpath "$work/uninstal-dialog")"
  out=$(drv uninstal-run "$APP\\UnInstal.exe" --boxes $boxes ${shots:+--shots "$shots"})
  check "boxes $boxes: the uninstaller ends without a message" ended_quietly "$out"
  check "boxes $boxes: the batch removes the uninstaller, then itself" batch_done
  [ $keep = 1 ] || check "boxes $boxes: the batch removes the installation folder" gone_within "$APP_UNIX"
  same "boxes $boxes: removes exactly its groups$([ $keep = 1 ] && echo ', keeps the unlisted file and its folder')" \
    "$(expected $boxes $keep 1)" "$(state)"
  if [ $boxes = 111 ]; then
    keep_shots "$work/uninstal-dialog"
    same "dialog texts and boxes" "$(cat <<TEXT
title: ${TAG}のｱﾝｲﾝｽﾄｰﾙ
message: ${TAG}のｱﾝｲﾝｽﾄｰﾙを行ないます。\\n[OK]で削除します。
box IDC_ASSOCIATIONS ticked enabled ﾌｧｲﾙの関連付けの解除を行なう。
box IDC_SHORTCUTS ticked enabled ｽﾀｰﾄﾒﾆｭｰ等のｼｮｰﾄｶｯﾄを削除する。
box IDC_ADDREMOVE ticked enabled ｱﾌﾟﾘｹｰｼｮﾝの追加と削除を解除する。
button ok: OK
button cancel: ｷｬﾝｾﾙ
TEXT
)" "$(printf '%s\n' "$out" | head -7)"
  fi
done

# A read-only uninstaller: the batch's del /f takes it as well.
if fresh && install "$work/all.txt" && chmod a-w "$APP_UNIX/UnInstal.exe"; then
  out=$(drv uninstal-run "$APP\\UnInstal.exe" --boxes 111)
  check "read-only uninstaller: it ends without a message" ended_quietly "$out"
  check "read-only uninstaller: the batch removes it, then itself" batch_done
else
  not_ok "read-only uninstaller: sandbox"
fi

FAILURE="msgbox text: キャンセルまたは異常のためアンインストールを中断します。"

# An empty install directory: the failure message, nothing removed.
fresh && install "$work/all.txt" ""
before=$(state)
out=$(drv uninstal-run "$APP\\UnInstal.exe" --shots "$(winpath "$work/uninstal-failure")")
keep_shots "$work/uninstal-failure"
check "empty install directory: the failure message" has "$out" "$FAILURE"
check "empty install directory: the message has the script's title" has "$out" "msgbox title: ${TAG}のｱﾝｲﾝｽﾄｰﾙ"
sleep 1
check "empty install directory: no batch file" test ! -e "$BATCH"
same "empty install directory: nothing is removed" "$before" "$(state)"

# No script at all (the image as built): an empty dialog, the failure
# message, nothing removed. The reader's other refusals (a script without its
# end record among them) are its Wine test's; they take the same way here.
fresh
cp "$UNINSTAL" "$APP_UNIX/UnInstal.exe"
before=$(state)
out=$(drv uninstal-run "$APP\\UnInstal.exe")
same "script none: empty dialog with cleared, enabled boxes" "$(cat <<TEXT
title: 
message: 
box IDC_ASSOCIATIONS clear enabled
box IDC_SHORTCUTS clear enabled
box IDC_ADDREMOVE clear enabled
TEXT
)" "$(printf '%s\n' "$out" | head -5 | sed 's/ enabled .*/ enabled/')"
check "script none: the failure message" has "$out" "$FAILURE"
same "script none: nothing is removed" "$before" "$(state)"

# The 0x80 location opens a folder browser rooted at the Programs menu.
description 0xE0 "menu-folder 0xC1 \"$TAG Soft\"" > "$work/browse.txt"
fresh && install "$work/browse.txt"
out=$(drv uninstal-run "$APP\\UnInstal.exe" --browser cancel --shots "$(winpath "$work/uninstal-browse")")
keep_shots "$work/uninstal-browse"
check "folder browser: shows its title" has "$out" "browser text: 削除するメニューの場所を選んでください。"
check "folder browser cancelled: the failure message" has "$out" "$FAILURE"
sleep 1
check "folder browser cancelled: no batch file" test ! -e "$BATCH"
# The records before the folder record acted; the uninstaller stays.
same "folder browser cancelled: only the records before it acted" "$(expected 100 0 0)" "$(state)"

description 0xE0 'menu-folder 0xC1 ""' > "$work/pick.txt"
fresh && install "$work/pick.txt"
out=$(drv uninstal-run "$APP\\UnInstal.exe" --browser "pick:$TAG Soft")
check "folder browser: picking a folder there succeeds" ended_quietly "$out"
gone_within "$APP_UNIX" >/dev/null
same "folder browser picked: the picked folder goes with its shortcut, and everything else" "$(expected 111 0 1)" "$(state)"

finish

#!/usr/bin/env bash
# The environment settings dialog of the real Bravik.exe: every field changed
# and confirmed comes back from the registry after a restart; Cancel after
# browsing changes nothing; the folder browser, the environment preview and
# the multiple-selection rule.
. "$TOP/tests/e2e/lib.sh"
data=$(mktemp -d)
cleanup() { rm -rf "$data"; finish; }
trap cleanup EXIT

printf '%b' '#Bravik "V=1" 一番目\n#Bravik "V=2" 二番目\nall:\n' | iconv -f UTF-8 -t CP932 >"$data/profile.mak"
MAK=$(winpath "$data/profile.mak")

open_settings() {  # open_settings MAIN: prints the dialog
  drv command "$1" CMD_SETTINGS >/dev/null
  drv find-visible '#32770' '環境の設定' 5000
}
make_win=$(winpath "$GNUMAKE")
# Field values: control id, value (the environment holds real line breaks).
texts=(
  IDC_MAKEEXE "$make_win"
  IDC_MAKEOPT "-f %s -k"
  IDC_ENVIRONMENT $'INCLUDE=C:\\inc\nLIB=%CURRENTDIRECTORY%\\lib\nTEMP=C:\\一時'
  IDC_CURRENTDIR 'C:\作業\build'
  IDC_EDITOREXE 'C:\Program Files\秀丸\Hidemaru.exe'
  IDC_EDITOROPT '/j%d,1'
)
stored_names=(makeExe makeOptions environment currentDir editorExe editorOptions)

# The driver takes values literally: "\n" and "\t" in a path stay as they are.
odd='Z:\tmp\odd dir\newcomer\tests\日本語 ツリー\make.exe'
drv settings-set makeExe="$odd"
same "a value reaches the record literally" "$odd" "$(drv settings-get makeExe)"
drv delete-settings
drv position-set 40 40 420 320

# --- OK with every field changed ---------------------------------------------
bravik "$MAK"
w=$(main_window)
drv command "$w" CMD_STATUSBAR >/dev/null   # status bar off: stored only because OK follows
d=$(open_settings "$w")
check "settings dialog opens" test -n "$d"
same "first start: nothing in the make executable" "" "$(drv text "$d" IDC_MAKEEXE)"
same "the two editor kinds" "$(printf '未サポートのエディタ\n秀丸エディタ')" "$(drv combo-items "$d" IDC_EDITORKIND)"
same "four toolbar styles offered" "$(printf '小さい標準ツールバー\n大きい標準ツールバー\n小さいフラットツールバー\n大きいフラットツールバー')" \
  "$(drv combo-items "$d" IDC_TOOLBARSTYLE)"
same "22 jump keys offered" "$(printf '[%s]\n' Enter Space Tab Esc Insert Delete Home End PageUp PageDown F{1..12})" \
  "$(drv combo-items "$d" IDC_JUMPKEY)"
for ((i = 0; i < ${#texts[@]}; i += 2)); do
  mapfile -t lines <<<"${texts[i + 1]}"
  drv set-lines "$d" "${texts[i]}" "${lines[@]}"
done
drv combo "$d" IDC_EDITORKIND 1 >/dev/null
drv combo "$d" IDC_TOOLBARSTYLE 3 >/dev/null
drv combo "$d" IDC_JUMPKEY 13 >/dev/null
drv set-check "$d" IDC_USESYSTEMENV 1
drv set-check "$d" IDC_MULTISELECT 1; drv press "$d" IDC_MULTISELECT; sleep 0.3
same "checking 複数選択 checks the close box too" 1 "$(drv check "$d" IDC_CLOSEONSUCCESS)"
drv set-check "$d" IDC_MULTISELECT 0; drv press "$d" IDC_MULTISELECT; sleep 0.3
same "unchecking it leaves the close box checked" 1 "$(drv check "$d" IDC_CLOSEONSUCCESS)"
drv set-check "$d" IDC_MULTISELECT 1; drv press "$d" IDC_MULTISELECT
drv set-check "$d" IDC_HIGHLIGHTERRORS 1
drv set-check "$d" IDC_HIGHLIGHTJUMPABLE 1
sleep 0.3
shot settings-filled "$d"
drv press "$d" IDOK
drv gone "$d" 3000
check "OK closes the dialog" not drv find-visible '#32770' '環境の設定' 300
same "OK brings the list into multiple selection" 8 "$(($(drv style "$w" ID_VARIANTLIST) & 8))"
close_bravik "$w"

for ((i = 0; i < ${#stored_names[@]}; i++)); do
  same "stored ${stored_names[i]}" "${texts[2 * i + 1]}" "$(drv settings-get "${stored_names[i]}")"
done
same "stored word of editorKind and flags (Hidemaru, all five flags)" $((0x3701)) "$(drv settings-get word)"
same "stored toolbarStyle" 3 "$(drv settings-get toolbarStyle)"
same "stored jumpKey" 13 "$(drv settings-get jumpKey)"
same "stored statusBarShown" 0 "$(drv settings-get statusBarShown)"

# --- restart: every field is back --------------------------------------------
# Without a makefile: with useSystemEnv set, reading one without "#BvEnv" lines
# would empty the environment text in memory.
bravik
w=$(main_window)
same "status bar stays hidden after the restart" "" "$(drv item "$w" ID_STATUSBAR)"
tb=$(drv item "$w" ID_TOOLBAR)
check "the large flat toolbar with labels applies from this start" test "$(($(drv button-size "$tb") >> 16))" -gt 27
same "the list box starts in multiple selection" 8 "$(($(drv style "$w" ID_VARIANTLIST) & 8))"
d=$(open_settings "$w")
for ((i = 0; i < ${#texts[@]}; i += 2)); do
  same "control ${texts[i]} back from the registry" "${texts[i + 1]}" "$(drv text "$d" "${texts[i]}" | tr -d '\r')"
done
same "editor kind back" 1 "$(drv combo "$d" IDC_EDITORKIND)"
same "toolbar style back" 3 "$(drv combo "$d" IDC_TOOLBARSTYLE)"
same "jump key back" 13 "$(drv combo "$d" IDC_JUMPKEY)"
same "jump key label" "[F4]" "$(drv combo-items "$d" IDC_JUMPKEY | sed -n 14p)"
for id in IDC_USESYSTEMENV IDC_CLOSEONSUCCESS IDC_MULTISELECT IDC_HIGHLIGHTERRORS IDC_HIGHLIGHTJUMPABLE; do same "check box $id back" 1 "$(drv check "$d" $id)"; done
shot settings-restored "$d"

# --- the environment preview ----------------------------------------------------
drv set-check "$d" IDC_USESYSTEMENV 0
drv set-lines "$d" IDC_ENVIRONMENT 'A=1' 'B=%A%2'
drv press "$d" IDC_SHOWENV
m=$(drv find-visible '#32770' 'ｼｽﾃﾑ環境変数の表示' 5000)
check "環境変数の表示 shows a message box" test -n "$m"
same "it lists the typed lines" "$(printf 'A=1\nB=12')" "$(drv text "$m" MSGBOX_TEXT | tr -d '\r')"
shot settings-environment "$m"
drv command "$m" IDOK; drv gone "$m" 3000

# --- the folder browser for the working directory --------------------------------
drv press "$d" IDC_CURRENTDIR_BROWSE
f=$(drv owned "$d" 5000)
check "参照 of the working directory opens the folder browser" test -n "$f"
if [ -n "$f" ]; then
  shot settings-folder "$f"
  drv command "$f" IDCANCEL; drv gone "$f" 3000
fi
same "a cancelled folder choice keeps the field" 'C:\作業\build' "$(drv text "$d" IDC_CURRENTDIR)"
drv press "$d" IDC_CURRENTDIR_BROWSE
f=$(drv owned "$d" 5000)
same "the folder browser's title line" "パスを選んでください。" "$(drv text "$f" BROWSE_TITLE)"
tree=$(drv item "$f" BROWSE_TREE)
root=$(drv send "$tree" TVM_GETNEXTITEM TVGN_ROOT 0)
drv send "$tree" TVM_EXPAND TVE_EXPAND "$root" >/dev/null
drv send "$tree" TVM_SELECTITEM TVGN_CARET "$(drv send "$tree" TVM_GETNEXTITEM TVGN_CHILD "$root")" >/dev/null  # the first drive
drv command "$f" IDOK; drv gone "$f" 3000
same "the chosen folder fills the field (the first drive under My Computer)" 'C:\' "$(drv text "$d" IDC_CURRENTDIR)"

# --- Cancel after browsing changes nothing ---------------------------------------
drv press "$d" IDC_MAKEEXE_BROWSE
o=$(drv find-visible '#32770' '実行ファイルの指定' 5000)
check "参照 opens 実行ファイルの指定" test -n "$o"
same "its filter" "実行ﾌｧｲﾙ形式(*.exe,*.dll)" "$(drv combo-items "$o" FILE_TYPES)"
shot settings-browse "$o"
drv set-text "$o" FILE_NAME "$(winpath "$RECORDER")"
drv command "$o" IDOK; drv gone "$o" 3000
same "the chosen executable fills the field" "$(winpath "$RECORDER")" "$(drv text "$d" IDC_MAKEEXE)"
same "after the file dialog the main window is still disabled" "visible=1 enabled=0" "$(drv state "$w")"
drv press "$d" IDC_EDITOREXE_BROWSE
o=$(drv find-visible '#32770' '実行ファイルの指定' 5000)
drv command "$o" IDCANCEL; drv gone "$o" 3000
same "a cancelled browse keeps the editor" 'C:\Program Files\秀丸\Hidemaru.exe' "$(drv text "$d" IDC_EDITOREXE)"
drv press "$d" IDCANCEL
drv gone "$d" 3000
close_bravik "$w"
same "Cancel after browsing: makeExe unchanged" "$make_win" "$(drv settings-get makeExe)"
same "Cancel: the environment unchanged" "$(printf 'INCLUDE=C:\\inc\nLIB=%%CURRENTDIRECTORY%%\\lib\nTEMP=C:\\一時')" \
  "$(drv settings-get environment)"
same "Cancel: flags unchanged" $((0x3701)) "$(drv settings-get word)"

# OK on an unchanged dialog still stores the record, with what the makefile set.
printf '#BvEopt\t/x%%d\nall:\n' >"$data/eopt.mak"
bravik "$(winpath "$data/eopt.mak")"
w=$(main_window)
d=$(open_settings "$w")
same "after Cancel the dialog shows the stored make executable" "$make_win" "$(drv text "$d" IDC_MAKEEXE)"
drv press "$d" IDOK
drv gone "$d" 3000
close_bravik "$w"
same "OK on an unchanged dialog stores the makefile's #BvEopt" '/x%d' "$(drv settings-get editorOptions)"

# --- the keyboard: Tab visits every control in reading order, Space toggles -------
bravik
w=$(main_window)
d=$(open_settings "$w")
xdotool search --name '環境の設定' windowfocus --sync 2>/dev/null
order=""
for _ in $(seq 21); do
  id=$(drv focus "$d")
  order+="$id "
  case $id in
    1005 | 1015 | 1016 | 1017 | 1018)
      before=$(drv check "$d" "$id")
      xdotool key space
      sleep 0.3
      same "Space toggles check box $id" $((1 - before)) "$(drv check "$d" "$id")" ;;
  esac
  xdotool key Tab
  sleep 0.2
done
same "Tab order, back to the first control" \
  "1001 1003 1002 1004 1005 1006 1009 1011 1010 1012 1013 1014 1015 1016 1017 1018 1007 1008 1 2 1001 " "$order"
drv press "$d" IDCANCEL
drv gone "$d" 3000
close_bravik "$w"

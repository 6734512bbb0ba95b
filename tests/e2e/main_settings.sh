#!/usr/bin/env bash
# The environment settings dialog of the real Bravik.exe: every field changed
# and confirmed comes back from the registry after a restart; Cancel after
# browsing changes nothing; the folder browser, the environment preview and
# the multiple-selection rule.
. "$TOP/tests/e2e/lib/mainpilot.sh"
data=$(mktemp -d)
cleanup() { rm -rf "$data"; finish; }
trap cleanup EXIT

printf '%b' '#Bravik "V=1" 一番目\n#Bravik "V=2" 二番目\nall:\n' | iconv -f UTF-8 -t CP932 >"$data/profile.mak"
MAK=$(winpath "$data/profile.mak")

open_settings() {  # open_settings MAIN: prints the dialog
  pilot command "$1" 104 >/dev/null
  pilot find-visible '#32770' '環境の設定' 5000
}
make_win=$(winpath "$GNUMAKE")
# Field values: control id, value (the environment holds real line breaks).
texts=(
  1001 "$make_win"
  1002 "-f %s -k"
  1004 $'INCLUDE=C:\\inc\nLIB=%CURRENTDIRECTORY%\\lib\nTEMP=C:\\一時'
  1007 'C:\作業\build'
  1009 'C:\Program Files\秀丸\Hidemaru.exe'
  1010 '/j%d,1'
)
stored_names=(makeExe makeOptions environment currentDir editorExe editorOptions)

# The pilot takes values literally: "\n" and "\t" in a path stay as they are.
odd='Z:\tmp\odd dir\newcomer\tests\日本語 ツリー\make.exe'
pilot settings-set makeExe="$odd"
same "a value reaches the record literally" "$odd" "$(pilot settings-get makeExe)"
pilot delete-settings
pilot position-set 40 40 420 320

# --- OK with every field changed ---------------------------------------------
bravik "$MAK"
w=$(main_window)
pilot command "$w" 105 >/dev/null   # status bar off: stored only because OK follows
d=$(open_settings "$w")
check "settings dialog opens" test -n "$d"
same "first start: nothing in the make executable" "" "$(pilot text "$(pilot item "$d" 1001)")"
same "the two editor kinds" "$(printf '未サポートのエディタ\n秀丸エディタ')" "$(pilot combo-items "$d" 1012)"
same "four toolbar styles offered" "$(printf '小さい標準ツールバー\n大きい標準ツールバー\n小さいフラットツールバー\n大きいフラットツールバー')" \
  "$(pilot combo-items "$d" 1013)"
same "22 jump keys offered" "$(printf '[%s]\n' Enter Space Tab Esc Insert Delete Home End PageUp PageDown F{1..12})" \
  "$(pilot combo-items "$d" 1014)"
for ((i = 0; i < ${#texts[@]}; i += 2)); do
  mapfile -t lines <<<"${texts[i + 1]}"
  pilot set-lines "$(pilot item "$d" "${texts[i]}")" "${lines[@]}"
done
pilot combo "$d" 1012 1 >/dev/null
pilot combo "$d" 1013 3 >/dev/null
pilot combo "$d" 1014 13 >/dev/null
pilot set-check "$d" 1005 1
pilot set-check "$d" 1016 1; pilot click "$d" 1016; sleep 0.3
same "checking 複数選択 checks the close box too" 1 "$(pilot check "$d" 1015)"
pilot set-check "$d" 1016 0; pilot click "$d" 1016; sleep 0.3
same "unchecking it leaves the close box checked" 1 "$(pilot check "$d" 1015)"
pilot set-check "$d" 1016 1; pilot click "$d" 1016
pilot set-check "$d" 1017 1
pilot set-check "$d" 1018 1
sleep 0.3
shot settings-filled "$d"
pilot click "$d" 1
pilot wait-gone "$d" 3000
check "OK closes the dialog" not pilot find-visible '#32770' '環境の設定' 300
same "OK brings the list into multiple selection" 8 "$(($(pilot style "$(pilot item "$w" 3002)") & 8))"
close_bravik "$w"

for ((i = 0; i < ${#stored_names[@]}; i++)); do
  same "stored ${stored_names[i]}" "${texts[2 * i + 1]}" "$(pilot settings-get "${stored_names[i]}")"
done
same "stored word of editorKind and flags (Hidemaru, all five flags)" $((0x3701)) "$(pilot settings-get word)"
same "stored toolbarStyle" 3 "$(pilot settings-get toolbarStyle)"
same "stored jumpKey" 13 "$(pilot settings-get jumpKey)"
same "stored statusBarShown" 0 "$(pilot settings-get statusBarShown)"

# --- restart: every field is back --------------------------------------------
# Without a makefile: with useSystemEnv set, reading one without "#BvEnv" lines
# would empty the environment text in memory.
bravik
w=$(main_window)
same "status bar stays hidden after the restart" "" "$(pilot item "$w" 3001)"
tb=$(pilot item "$w" 3000)
check "the large flat toolbar with labels applies from this start" test "$(($(pilot send "$tb" 0x43A 0 0) >> 16))" -gt 27
same "the list box starts in multiple selection" 8 "$(($(pilot style "$(pilot item "$w" 3002)") & 8))"
d=$(open_settings "$w")
for ((i = 0; i < ${#texts[@]}; i += 2)); do
  same "control ${texts[i]} back from the registry" "${texts[i + 1]}" "$(pilot text "$(pilot item "$d" "${texts[i]}")" | tr -d '\r')"
done
same "editor kind back" 1 "$(pilot combo "$d" 1012)"
same "toolbar style back" 3 "$(pilot combo "$d" 1013)"
same "jump key back" 13 "$(pilot combo "$d" 1014)"
same "jump key label" "[F4]" "$(pilot combo-items "$d" 1014 | sed -n 14p)"
for id in 1005 1015 1016 1017 1018; do same "check box $id back" 1 "$(pilot check "$d" $id)"; done
shot settings-restored "$d"

# --- the environment preview ----------------------------------------------------
pilot set-check "$d" 1005 0
pilot set-lines "$(pilot item "$d" 1004)" 'A=1' 'B=%A%2'
pilot click "$d" 1006
m=$(pilot find-visible '#32770' 'ｼｽﾃﾑ環境変数の表示' 5000)
check "環境変数の表示 shows a message box" test -n "$m"
same "it lists the typed lines" "$(printf 'A=1\nB=12')" "$(pilot text "$(pilot item "$m" 65535)" | tr -d '\r')"
shot settings-environment "$m"
pilot post "$m" 0x111 1 0; pilot wait-gone "$m" 3000

# --- the folder browser for the working directory --------------------------------
pilot click "$d" 1008
f=$(pilot owned "$d" 5000)
check "参照 of the working directory opens the folder browser" test -n "$f"
if [ -n "$f" ]; then
  shot settings-folder "$f"
  pilot post "$f" 0x111 2 0; pilot wait-gone "$f" 3000
fi
same "a cancelled folder choice keeps the field" 'C:\作業\build' "$(pilot text "$(pilot item "$d" 1007)")"
pilot click "$d" 1008
f=$(pilot owned "$d" 5000)
same "the folder browser's title line" "パスを選んでください。" "$(pilot text "$(pilot item "$f" 14146)")"
tree=$(pilot item "$f" 14145)
root=$(pilot send "$tree" 0x110A 0 0)                # TVM_GETNEXTITEM, TVGN_ROOT
pilot send "$tree" 0x1102 2 "$root" >/dev/null        # TVM_EXPAND, TVE_EXPAND
pilot send "$tree" 0x110B 9 "$(pilot send "$tree" 0x110A 4 "$root")" >/dev/null  # select the first child
pilot post "$f" 0x111 1 0; pilot wait-gone "$f" 3000
same "the chosen folder fills the field (the first drive under My Computer)" 'C:\' "$(pilot text "$(pilot item "$d" 1007)")"

# --- Cancel after browsing changes nothing ---------------------------------------
pilot click "$d" 1003
o=$(pilot find-visible '#32770' '実行ファイルの指定' 5000)
check "参照 opens 実行ファイルの指定" test -n "$o"
same "its filter" "実行ﾌｧｲﾙ形式(*.exe,*.dll)" "$(pilot combo-items "$o" 1136)"
shot settings-browse "$o"
pilot set-text "$(pilot item "$o" 1148)" "$(winpath "$RECORDER")"
pilot post "$o" 0x111 1 0; pilot wait-gone "$o" 3000
same "the chosen executable fills the field" "$(winpath "$RECORDER")" "$(pilot text "$(pilot item "$d" 1001)")"
same "after the file dialog the main window is still disabled" "visible=1 enabled=0" "$(pilot state "$w")"
pilot click "$d" 1011
o=$(pilot find-visible '#32770' '実行ファイルの指定' 5000)
pilot post "$o" 0x111 2 0; pilot wait-gone "$o" 3000
same "a cancelled browse keeps the editor" 'C:\Program Files\秀丸\Hidemaru.exe' "$(pilot text "$(pilot item "$d" 1009)")"
pilot click "$d" 2
pilot wait-gone "$d" 3000
close_bravik "$w"
same "Cancel after browsing: makeExe unchanged" "$make_win" "$(pilot settings-get makeExe)"
same "Cancel: the environment unchanged" "$(printf 'INCLUDE=C:\\inc\nLIB=%%CURRENTDIRECTORY%%\\lib\nTEMP=C:\\一時')" \
  "$(pilot settings-get environment)"
same "Cancel: flags unchanged" $((0x3701)) "$(pilot settings-get word)"

# OK on an unchanged dialog still stores the record, with what the makefile set.
printf '#BvEopt\t/x%%d\nall:\n' >"$data/eopt.mak"
bravik "$(winpath "$data/eopt.mak")"
w=$(main_window)
d=$(open_settings "$w")
same "after Cancel the dialog shows the stored make executable" "$make_win" "$(pilot text "$(pilot item "$d" 1001)")"
pilot click "$d" 1
pilot wait-gone "$d" 3000
close_bravik "$w"
same "OK on an unchanged dialog stores the makefile's #BvEopt" '/x%d' "$(pilot settings-get editorOptions)"

# --- the keyboard: Tab visits every control in reading order, Space toggles -------
bravik
w=$(main_window)
d=$(open_settings "$w")
xdotool search --name '環境の設定' windowfocus --sync 2>/dev/null
order=""
for _ in $(seq 21); do
  id=$(pilot focus "$d")
  order+="$id "
  case $id in
    1005 | 1015 | 1016 | 1017 | 1018)
      before=$(pilot check "$d" "$id")
      xdotool key space
      sleep 0.3
      same "Space toggles check box $id" $((1 - before)) "$(pilot check "$d" "$id")" ;;
  esac
  xdotool key Tab
  sleep 0.2
done
same "Tab order, back to the first control" \
  "1001 1003 1002 1004 1005 1006 1009 1011 1010 1012 1013 1014 1015 1016 1017 1018 1007 1008 1 2 1001 " "$order"
pilot click "$d" 2
pilot wait-gone "$d" 3000
close_bravik "$w"

#!/usr/bin/env bash
# The real Bravik.exe's main window: start-up (title, variants, a missing
# makefile, the stored position), the open dialog, edit, batch runs and the
# unattended "/A" start, and the settings dialog's round trip through the
# registry.
. "$TOP/tests/e2e/lib.sh"
data=$(mktemp -d) start="$TOP/tests/data/startup" MAKE_WIN=$(winpath "$GNUMAKE")
at_exit "rm -rf '$data'"
multi() { (($(drv style "$1" ID_VARIANTLIST) & 8)); }
reopen() { [ -z "${w:-}" ] || close_bravik "$w"; bravik "$@"; w=$(main_window); }  # Bravik again, its window in $w
close() { drv post "$w" WM_CLOSE 0 0; wait_exit "$LAST_PID"; local rc=$?; w=; return $rc; }
# Every run appends V<n> to runs.log; RC is a run's exit code, a failonce.txt fails the next run once.
cp932 '#Bravik "V=1" 一番目\n#Bravik "V=2 RC=1" 二番目\n#Bravik "" 三番目\nRC=0\nall:\n\t@echo V$(V)>> runs.log\n\t@if exist failonce.txt (del failonce.txt & exit 1)\n\t@exit $(RC)\n' >"$data/batch.mak"
cp932 '#Bravik "V=1" 一番目\n#Bravik "V=3" 三番目\nall:\n\t@echo V$(V)>> runs.log\n' >"$data/clean.mak"
runs() { tr -d '\r' <"$data/runs.log" 2>/dev/null | tr '\n' ' '; }
run_dialog() { first find '#32770' "" "${1:-20000}"; }  # its title names the list's caret item, not always the variant run
box() { drv send "$(drv item "$1" "$2")" "$3" "${4:-0}" 0; }  # box DIALOG ID MESSAGE [WPARAM]

"$WINE" reg delete 'HKCU\Software\Quibrel' /f >/dev/null 2>&1
reopen "$(winpath "$start/variants.mak")"
same "the title names the makefile" "variants.mak - Bravik" "$(drv text "$w")"
same "the variants in the makefile's order" "$(printf 'リリース版\nデバッグ版\nプロファイル版 (最適化)')" "$(drv items "$w" ID_VARIANTLIST)"
check "a single-selection list by default" not multi "$w"
same "the first start opens 320 x 280" "320 280" "$(drv rect "$w" | cut -d' ' -f3-)"
close
same "closing ends Bravik with code 0 and stores the position" "0 320 280" "$? $(drv position | cut -d' ' -f3-)"
check "but no settings record without the settings dialog" not drv settings-get flags
bravik /A missing.mak
same "a missing makefile is reported" "missing.mak ファイルが見つからないか、既に使用されています。" "$(message 15000)"
w=$(main_window)
same "then the window shows without a file" "No File - Bravik" "$(drv text "$w")"
close_bravik "$w"; w=
drv position 40 30 500 400
reopen "$(winpath "$start/plain.mak")"
same "the window opens at the stored position" "40 30 500 400" "$(drv rect "$w")"
drv post "$w" WM_SYSCOMMAND SC_MAXIMIZE 0; sleep 0.5
left=$(drv rect "$w" | cut -d' ' -f1)
reopen "$(winpath "$start/multi.mak")"
same "maximised: the normal top and size, the maximised left edge are stored" "$left 30 500 400" "$(drv position)"
check "#BvMulti 1 re-creates the list for multiple selection" multi "$w"
close

drv settings-set makeExe="$MAKE_WIN" makeOptions='-f %s' flags=1 editorExe="$(winpath "$RECORDER")"
reopen "$(winpath "$data/batch.mak")"
focus "batch.mak - Bravik"; xdotool key ctrl+o
o=$(dialog 開く)
drv set-text "$o" FILE_NAME "$(winpath "$start/plain.mak")"; drv press "$o" IDOK
check "Ctrl+O: the makefile chosen in the open dialog is read" within 5 eval '[ "$(drv text "$w")" = "plain.mak - Bravik" ]'
: >"$RECORD_LOG"; drv post "$w" WM_COMMAND CMD_EDIT 0
# Wine quotes a program path with a blank that it found by trying the blanks in
# turn; Windows hands the command line over as it was given.
editor=$(winpath "$RECORDER") mak=$(winpath "$start/plain.mak")
[[ $editor == *" "* ]] && editor="\"$editor\""
[[ $mak == *" "* ]] && mak="\"$mak\""
same "編集 starts the editor on the makefile, quoted when it holds a blank" "$editor $mak" "$(wait_record)"

# Several variants in one go, with closeOnSuccess off: a batch forces
# closeOnSuccess (that it puts the whole word back and stops at a dialog that
# stayed open is the core's, tested natively).
drv settings-set flags=4
rm -f "$data/runs.log"
reopen "$(winpath "$data/clean.mak")"
for i in 0 1; do drv send "$(drv item "$w" ID_VARIANTLIST)" LB_SETSEL 1 $i >/dev/null; done
drv post "$w" WM_COMMAND CMD_RUN 0
check "a clean batch runs every variant, each dialog closing itself" within 30 eval '[ "$(runs)" = "V1 V3 " ]'
sleep 1
check "no run dialog left open" not run_dialog 300
close_bravik "$w"; w=
drv delete-settings
drv settings-set makeExe="$MAKE_WIN" makeOptions='-f %s' flags=1
rm -f "$data/runs.log"
bravik /A "$(winpath "$data/clean.mak")"
wait_exit "$LAST_PID" 30
same "/A: a clean run ends Bravik with code 0" "0 V1 " "$? $(runs)"
: >"$data/failonce.txt"
bravik /A "$(winpath "$data/batch.mak")"
d=$(run_dialog)
check "/A: a failed run waits in its dialog" finished "$d"
same "with the main window hidden" "" "$(main_window 300)"
drv press "$d" IDCANCEL; wait_exit "$LAST_PID" 15
same "closing that dialog ends Bravik with code 0" 0 $?
drv settings-set makeExe='C:\nowhere\make.exe'
bravik /A "$(winpath "$data/batch.mak")"
same "a make that cannot start: the whole command line in the message" 'C:\nowhere\make.exe -f batch.mak V=1 が実行できません。' "$(message 20000)"
w=$(main_window)
check "then the main window shows" test -n "$w"
close_bravik "$w"
# The README's PATH line, with a value that has outgrown the platform's limit.
printf '%s\r\n' '#BvSenv 1' '#BvEnv BVLONG=%BVHUGE%;C:\MinGW\bin' '#Bravik "" x' 'all:' >"$data/long.mak"
drv settings-set makeExe="$MAKE_WIN"
BVHUGE=$(printf '%32750s' '' | tr ' ' h) bravik /A "$(winpath "$data/long.mak")"
same "a variable beyond the platform's limit is refused by name" "環境変数 BVLONG の長さが32767文字を超えるため実行できません。" "$(message 20000)"
w=$(main_window)

# The settings dialog: every field changed and confirmed comes back from the
# registry after a restart; Cancel stores nothing.
texts=(makeExe IDC_MAKEEXE 'C:\GnuMake\make.exe' makeOptions IDC_MAKEOPT "-f %s -k" environment IDC_ENVIRONMENT $'INCLUDE=C:\\inc\nTEMP=C:\\一時'
  currentDir IDC_CURRENTDIR 'C:\作業\build' editorExe IDC_EDITOREXE 'C:\Program Files\秀丸\Hidemaru.exe' editorOptions IDC_EDITOROPT '/j%d,1')
choices=(IDC_EDITORKIND 1 IDC_TOOLBARSTYLE 3 IDC_JUMPKEY 13)
checks=(IDC_USESYSTEMENV IDC_CLOSEONSUCCESS IDC_MULTISELECT IDC_HIGHLIGHTERRORS IDC_HIGHLIGHTJUMPABLE)
drv delete-settings
reopen
drv post "$w" WM_COMMAND CMD_STATUSBAR 0
s=$(settings_dialog "$w")
for ((i = 0; i < ${#texts[@]}; i += 3)); do drv set-text "$s" "${texts[i + 1]}" "${texts[i + 2]//$'\n'/$'\r\n'}"; done
for ((i = 0; i < ${#choices[@]}; i += 2)); do box "$s" "${choices[i]}" CB_SETCURSEL "${choices[i + 1]}" >/dev/null; done
for b in "${checks[@]}"; do box "$s" $b BM_SETCHECK 1 >/dev/null; done
shot settings-dialog "$s"  # the README's
drv press "$s" IDC_MAKEEXE_BROWSE
o=$(dialog 実行ファイルの指定)
same "the main window stays disabled under the file dialog" "visible=1 enabled=0" "$(drv state "$w")"
drv press "$o" IDCANCEL; drv gone "$o"
same "a cancelled browse keeps the field" 'C:\GnuMake\make.exe' "$(drv text "$s" IDC_MAKEEXE)"
drv press "$s" IDOK; drv gone "$s"
close_bravik "$w"; w=
for ((i = 0; i < ${#texts[@]}; i += 3)); do same "stored ${texts[i]}" "${texts[i + 2]}" "$(drv settings-get "${texts[i]}")"; done
same "stored editorKind and the five flags, toolbarStyle, jumpKey, the hidden status bar" "$((0x3701)) 3 13 0" \
  "$(drv settings-get word toolbarStyle jumpKey statusBarShown | xargs)"
reopen
same "the status bar stays hidden after a restart" "" "$(drv item "$w" ID_STATUSBAR)"
check "the large flat toolbar with labels" test $(($(drv send "$(drv item "$w" ID_TOOLBAR)" TB_GETBUTTONSIZE 0 0) >> 16)) -gt 27
check "the list in multiple selection" multi "$w"
s=$(settings_dialog "$w")
same "every field back from the registry" "$(for ((i = 2; i < ${#texts[@]}; i += 3)); do echo "${texts[i]}"; done
    printf '%s\n' "${choices[@]}" | sed -n '2~2p'; printf '1\n%.0s' "${checks[@]}")" \
  "$(for ((i = 0; i < ${#texts[@]}; i += 3)); do drv text "$s" "${texts[i + 1]}"; done
    for ((i = 0; i < ${#choices[@]}; i += 2)); do box "$s" "${choices[i]}" CB_GETCURSEL; done
    for b in "${checks[@]}"; do box "$s" $b BM_GETCHECK; done)"
drv set-text "$s" IDC_CURRENTDIR 'C:\'
drv press "$s" IDCANCEL; drv gone "$s"
same "Cancel stores nothing" 'C:\作業\build' "$(drv settings-get currentDir)"
close_bravik "$w"

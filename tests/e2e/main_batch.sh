#!/usr/bin/env bash
# Running several variants in one go with the real GNU make, and the
# unattended "/A" start: which runs happen, when the batch stops, what the
# settings look like afterwards, and how the program ends.
. "$TOP/tests/e2e/lib.sh"
data=$(mktemp -d)
cleanup() { rm -rf "$data"; finish; }
trap cleanup EXIT

# Every run appends V<n> to runs.log in the makefile's folder. RC is the exit
# code of a run; a "failonce" file makes the next run fail once.
printf '%b' '#Bravik "V=1" 一番目\n#Bravik "V=2 RC=1" 二番目 (失敗)\n#Bravik "V=3" 三番目\nRC=0\nall:\n\t@echo V$(V)>> runs.log\n\t@if exist failonce.txt (del failonce.txt & exit 1)\n\t@exit $(RC)\n' |
  iconv -f UTF-8 -t CP932 >"$data/batch.mak"
printf '%b' '#Bravik "V=1" 一番目\n#Bravik "V=2" 二番目\n#Bravik "V=3" 三番目\nall:\n\t@echo V$(V)>> runs.log\n' |
  iconv -f UTF-8 -t CP932 >"$data/clean.mak"
MAKE_WIN=$(winpath "$GNUMAKE")

runs() { tr -d '\r' <"$data/runs.log" 2>/dev/null | tr '\n' ' '; }
wait_runs() {  # wait_runs COUNT: until runs.log has that many lines (30 s at most)
  for _ in $(seq 300); do [ "$(cat "$data/runs.log" 2>/dev/null | wc -l)" -ge "$1" ] && return 0; sleep 0.1; done
  return 1
}
run_dialog() { drv windows | grep -a 'visible=1 "MAKEの実行' | head -1 | cut -d' ' -f1; }
wait_run_dialog() {  # a run dialog that stays open, finished (its button 2 reads 閉じる)
  local d
  for _ in $(seq 300); do
    d=$(run_dialog)
    if [ -n "$d" ] && [ "$(drv text "$d" IDCANCEL)" = "閉じる" ]; then echo "$d"; return 0; fi
    sleep 0.1
  done
  return 1
}
settings_check() {  # settings_check MAIN: prints the close-on-success and multiple-selection boxes and the editor kind
  local d
  drv command "$1" CMD_SETTINGS >/dev/null
  d=$(drv find-visible '#32770' '環境の設定' 5000)
  echo "$(drv check "$d" IDC_CLOSEONSUCCESS) $(drv check "$d" IDC_MULTISELECT) $(drv combo "$d" IDC_EDITORKIND)"
  drv press "$d" IDCANCEL >/dev/null
  drv gone "$d" 3000
}
batch() {  # batch MAKEFILE: starts Bravik on it, selects every variant and runs them
  rm -f "$data/runs.log"
  bravik "$(winpath "$data/$1")"
  w=$(main_window)
  drv list-select "$(drv item "$w" ID_VARIANTLIST)" 0 1 2
  drv command "$w" CMD_RUN
}

drv delete-settings
drv position-set 40 40 420 320
# Several selected items, closeOnSuccess off, the Hidemaru kind: the batch
# forces closeOnSuccess and puts the whole word back afterwards.
drv settings-set makeExe="$MAKE_WIN" makeOptions='-f %s' editorKind=1 flags=4

# --- all clean: all three run ------------------------------------------------------
batch clean.mak
check "three clean runs" wait_runs 3
sleep 1.5
same "each run dialog closed itself, so the batch went through" "V1 V2 V3 " "$(runs)"
same "no run dialog left open" "" "$(run_dialog)"
same "closeOnSuccess is off again, multiSelect and the editor kind kept" "0 1 1" "$(settings_check "$w")"

# --- then a batch whose make cannot start: one message, and it stops ------------------
# The last run above closed itself; that must not carry this batch on.
drv command "$w" CMD_SETTINGS >/dev/null
d=$(drv find-visible '#32770' '環境の設定' 5000)
drv set-text "$d" IDC_MAKEEXE 'C:\no\such\make.exe'
drv press "$d" IDOK
drv gone "$d" 3000
drv list-select "$(drv item "$w" ID_VARIANTLIST)" 0 1 2
drv command "$w" CMD_RUN
m=$(drv find-visible '#32770' Bravik 5000)
contains "a batch whose first start fails reports it" "が実行できません。" "$(drv text "$m" MSGBOX_TEXT)"
drv command "$m" IDOK
drv gone "$m" 3000
check "once: the batch stops there" not drv find-visible '#32770' Bravik 2000
close_bravik "$w"
drv settings-set makeExe="$MAKE_WIN"

# --- the second fails: the batch stops after it --------------------------------------
batch batch.mak
d=$(wait_run_dialog)
check "the failed run's dialog stays open" test -n "$d"
same "first and second ran" "V1 V2 " "$(runs)"
shot main-batch-failed "$d"
drv press "$d" IDCANCEL
drv gone "$d" 3000
sleep 2
same "after closing it the batch stops" "V1 V2 " "$(runs)"
same "the main window is usable again" "visible=1 enabled=1" "$(drv state "$w")"
close_bravik "$w"

# --- recompile in the first: the batch stops after it ---------------------------------
: >"$data/failonce.txt"
batch batch.mak
d=$(wait_run_dialog)
check "the first run fails once" test -n "$d"
drv press "$d" IDC_RECOMPILE
check "the recompiled run succeeds" wait_runs 2
sleep 2.5
same "the recompiled first variant ran twice, then the batch stopped" "V1 V1 " "$(runs)"
same "no run dialog left open" "" "$(run_dialog)"
close_bravik "$w"

# --- the end button in the middle of a batch -----------------------------------------
batch batch.mak
d=$(wait_run_dialog)
same "the second run stopped with its dialog open" "V1 V2 " "$(runs)"
drv press "$d" IDC_QUITBRAVIK
wait_exit "$LAST_PID"
same "Bravikの終了 ends the program mid-batch with code 0" 0 $?
same "the third variant never ran" "V1 V2 " "$(runs)"

# --- "/A": a clean unattended run ends the program -----------------------------------
# Single selection, close on success; no stored position yet.
drv delete-settings
drv settings-set makeExe="$MAKE_WIN" makeOptions='-f %s' flags=1
rm -f "$data/runs.log"
check "no stored position before the run" not drv position-get
bravik /A "$(winpath "$data/clean.mak")"
wait_exit "$LAST_PID" 30
same "/A with a clean run ends with code 0" 0 $?
same "it ran the first variant" "V1 " "$(runs)"
check "and stored the window position" eval 'drv position-get >/dev/null'

# --- "/A": a run that cannot start keeps the window hidden behind its message ---------
drv settings-set makeExe='C:\no\such\make.exe'
bravik /A "$(winpath "$data/clean.mak")"
m=$(drv find-visible '#32770' Bravik 15000)
same "the window is still hidden behind the message" "" "$(main_window 300)"
drv command "$m" IDOK
close_bravik "$(main_window 5000)"

# --- "/A": a run with errors waits for its dialog, then the program ends ----------------
drv settings-set makeExe="$MAKE_WIN"
rm -f "$data/runs.log"
: >"$data/failonce.txt"
bravik /A "$(winpath "$data/batch.mak")"
d=$(wait_run_dialog)
check "/A with errors: the run dialog stays open" test -n "$d"
same "/A with errors: the main window stays hidden" "" "$(main_window 300)"
drv press "$d" IDCANCEL
wait_exit "$LAST_PID" 15
same "closing that dialog ends the unattended run with code 0" 0 $?

#!/usr/bin/env bash
# The real Bravik.exe's main window: the toolbar in each style, the status bar
# and its toggle, the window menu with its variant submenu and menu help,
# tooltips, toolbar buttons and accelerators, edit, help and the about box.
. "$TOP/tests/e2e/lib/mainpilot.sh"
data=$(mktemp -d)
cleanup() { rm -rf "$data"; finish; }
trap cleanup EXIT

# Makefiles are Shift-JIS, as on a Japanese system.
mak() { printf '%b' "$2" | iconv -f UTF-8 -t CP932 >"$data/$1"; }
mak variants.mak '#Bravik "V=1" 一番目のバリエーション\n#Bravik "V=2 DEBUG=1" 二番目 (デバッグ)\n#Bravik "" 三番目\nall:\n\t@echo V$(V)>> runs.log\n'
mak other.mak 'all:\n\t@echo other\n'
MAK=$(winpath "$data/variants.mak")

list_bottom() { pilot rect "$(pilot item "$1" 3002)" | awk '{print $2 + $4}'; }
focus() {  # a click on the status bar or list bottom gives Bravik the keyboard
  local x y w h
  read -r x y w h <<<"$(pilot rect "$1")"
  xdotool mousemove $((x + w / 2)) $((y + h - 6)) click 1
  sleep 0.3
}
button_centre() {  # button_centre TOOLBAR INDEX
  local x y w h
  read -r x y w h <<<"$(pilot toolbar-rect "$1" "$2")"
  echo "$((x + w / 2)) $((y + h / 2))"
}
status_line() { pilot status "$(pilot item "$1" 3001)" | tr '\n' '|'; }

pilot delete-settings
pilot position-set 40 40 420 320

# --- the toolbar in its four styles ---------------------------------------------
for style in 0 1 2 3; do
  pilot settings-set toolbarStyle=$style
  bravik "$MAK"
  w=$(main_window)
  check "style $style: main window shown" test -n "$w"
  tb=$(pilot item "$w" 3000)
  same "style $style: seven buttons and three separators" 10 "$(pilot send "$tb" 0x418 0 0)"
  size=$(pilot send "$tb" 0x43A 0 0)
  bw=$((size & 0xFFFF)); bh=$((size >> 16))
  flat=$(($(pilot style "$tb") & 0x800 ? 1 : 0))
  case $style in
    0) same "style 0: small buttons" 23 "$bw"; same "style 0: not flat" 0 "$flat" ;;
    1) same "style 1: large buttons" 28 "$bw"; same "style 1: not flat" 0 "$flat" ;;
    2) same "style 2: large images" 28 "$bw"; same "style 2: flat" 1 "$flat" ;;
    3) same "style 3: flat" 1 "$flat"; check "style 3: taller buttons carry labels ($bh)" test "$bh" -gt 27 ;;
  esac
  # The toolbar's client height, then a 2-pixel gap (its top edge is the main window's client top).
  same "style $style: list starts 2 pixels under the toolbar" \
    "$(($(pilot client "$w" | awk '{print $2}') + $(pilot client "$tb" | awk '{print $4}') + 2))" \
    "$(pilot rect "$(pilot item "$w" 3002)" | awk '{print $2}')"
  shot "main-toolbar-style$style" "$w"
  close_bravik "$w"
  same "style $style: the exit command ends Bravik with code 0" 0 $?
done
pilot settings-set toolbarStyle=0

# --- status bar -------------------------------------------------------------------
pilot settings-set statusBarShown=0
bravik "$MAK"
w=$(main_window)
check "stored hidden: no status bar" not pilot item "$w" 3001
same "without status bar the list reaches the bottom" "$(pilot client "$w" | awk '{print $2 + $4}')" "$(list_bottom "$w")"
shot main-no-statusbar "$w"
pilot command "$w" 105 && sleep 0.5
sb=$(pilot item "$w" 3001)
check "command 105 shows the status bar" test -n "$sb"
same "the list meets the status bar" "$(pilot rect "$sb" | awk '{print $2}')" "$(list_bottom "$w")"
shot main-statusbar "$w"
close_bravik "$w"
same "a status-bar toggle alone is not stored" 0 "$(pilot settings-get statusBarShown)"
pilot settings-set statusBarShown=1

# --- window menu, variant submenu, menu help -------------------------------------
pilot settings-set makeExe="$(winpath "$GNUMAKE")" makeOptions='-f %s' flags=1
rm -f "$data/runs.log"
bravik "$MAK"
w=$(main_window)
menu() { pilot post "$w" 0x112 0xF100 0x20; sleep 0.7; }   # Alt+Space
key() { pilot post "$w" 0x100 "$1" 0; sleep 0.4; }        # WM_KEYDOWN into the menu loop
menu
key 0x26; key 0x26  # up twice: "Ｍａｋｅの実行(&K)"
eventually "menu help for 102" "simple=1|設定内容に従って選択した条件のＭａｋｅを実行します。|" status_line "$w"
key 0x26
eventually "menu help for 104" "simple=1|環境の設定を行ないます。|" status_line "$w"
key 0x26
eventually "menu help for 105" "simple=1|ステータスバーを表示または消去します。|" status_line "$w"
key 0x1B; key 0x1B
eventually "closing the menu leaves simple mode" "simple=0||" status_line "$w"
menu
key 0x26; key 0x27  # the variant submenu, first item
eventually "variant item shows its macros" "simple=1|V=1|" status_line "$w"
key 0x28
eventually "second variant item" "simple=1|V=2 DEBUG=1|" status_line "$w"
key 0x28
eventually "a variant item without macros shows an empty text" "simple=1||" status_line "$w"
key 0x26
shot main-window-menu
key 0x0D            # run the second variant from the submenu
for _ in $(seq 100); do [ -s "$data/runs.log" ] && break; sleep 0.1; done
sleep 1
same "the submenu item ran make with that variant's macros" "V2" "$(tr -d '\r ' <"$data/runs.log" 2>/dev/null)"
pilot windows | grep -q 'visible=1 "MAKEの実行' && pilot post "$(pilot find-visible '#32770' "" 100)" 0x111 2 0

# --- tooltips -----------------------------------------------------------------------
tb=$(pilot item "$w" 3000)
read -r bx by <<<"$(button_centre "$tb" 1)"
xdotool mousemove "$bx" "$by"; sleep 2
eventually "pointing at 設定 describes it in the status bar" "simple=1|環境の設定を行ないます。|" status_line "$w"
shot main-tooltip "$w"
tip=$(pilot windows | grep -a 'tooltips_class32' | grep -a 'visible=1' | head -1)
contains "the tooltip says 環境の設定" '"環境の設定"' "$tip"
read -r lx ly <<<"$(pilot rect "$(pilot item "$w" 3002)" | awk '{print $1 + 200, $2 + 150}')"
xdotool mousemove "$lx" "$ly"; sleep 1.5
eventually "after the tooltip hides the description stays" "simple=1|環境の設定を行ないます。|" status_line "$w"

# --- toolbar buttons and accelerators ----------------------------------------------
read -r bx by <<<"$(button_centre "$tb" 1)"
xdotool mousemove "$bx" "$by" click 1
e=$(pilot find-visible '#32770' '環境の設定' 5000)
check "the 設定 button opens the settings dialog" test -n "$e"
same "the main window is disabled meanwhile" "visible=1 enabled=0" "$(pilot state "$w")"
pilot post "$e" 0x111 2 0; pilot wait-gone "$e" 3000

focus "$w"
xdotool key ctrl+o
o=$(pilot find-visible '#32770' '開く' 5000)
check "Ctrl+O opens the open-file dialog" test -n "$o"
same "its filter" "$(printf 'Bravikﾌｧｲﾙ形式(*.mak)\nすべてのﾌｧｲﾙ形式(*.*)')" "$(pilot combo-items "$o" 1136)"
pilot set-text "$(pilot item "$o" 1148)" "$(winpath "$data/other.mak")"
pilot post "$o" 0x111 1 0
sleep 1
same "the chosen makefile is read" "other.mak - Bravik" "$(pilot text "$w")"
same "a makefile without variants lists the defaults" "$(printf 'リリース版のコンパイル\nデバッグ版のコンパイル')" \
  "$(pilot list-items "$(pilot item "$w" 3002)")"

for keys in alt+slash alt+shift+slash; do
  focus "$w"
  xdotool key "$keys"
  a=$(pilot find-visible '#32770' 'Bravikのﾊﾞｰｼﾞｮﾝ情報' 5000)
  check "$keys opens the about box" test -n "$a"
  [ -n "$a" ] && { pilot post "$a" 0x111 2 0; pilot wait-gone "$a" 3000; }
done

read -r bx by <<<"$(button_centre "$tb" 7)"
xdotool mousemove "$bx" "$by" click 1
a=$(pilot find-visible '#32770' 'Bravikのﾊﾞｰｼﾞｮﾝ情報' 5000)
check "the 情報 button opens the about box" test -n "$a"
kids=$(pilot children "$a")
for t in "Bravik for Windows" "The Windows Make Utility for Programming." "Version 1.43" \
  "最新版はｳｪﾌﾞからﾀﾞｳﾝﾛｰﾄﾞしてください" "ﾎｰﾑﾍﾟｰｼﾞを表示(&W)..." "お問合せやご要望はﾒｰﾙでお願いします" "ﾒｰﾙを送る(&E)..." OK; do
  check "the about box shows \"$t\"" grep -qxF -- "$t" <<<"$kids"
done
shot main-about "$a"
classes_default 'https\shell\open\command' "\"$(winpath "$RECORDER")\" \"%1\""
classes_default 'mailto\shell\open\command' 'C:\no\such\mailer.exe "%1"'
: >"$RECORD_LOG"
pilot click "$a" 1300
contains "ホームページ opens the home page through the shell" "https://" "$(wait_record)"
pilot click "$a" 1301
m=$(pilot find-visible '#32770' Bravik 5000)
check "a failed mail request is reported" test -n "$m"
same "with its text" "メールの送信ができません。" "$(pilot text "$(pilot item "$m" 65535)")"
shot main-about-mail-failed "$m"
pilot post "$m" 0x111 1 0; pilot wait-gone "$m" 3000
same "the about box stays open after the message" "visible=1 enabled=1" "$(pilot state "$a")"
pilot post "$a" 0x111 1 0; pilot wait-gone "$a" 3000

# --- edit ---------------------------------------------------------------------------
pilot command "$w" 103; wait_exit "$LAST_PID"
pilot settings-set editorExe="$(winpath "$RECORDER")"
: >"$RECORD_LOG"
bravik "$MAK"
w=$(main_window); tb=$(pilot item "$w" 3000)
read -r bx by <<<"$(button_centre "$tb" 4)"
xdotool mousemove "$bx" "$by" click 1
# Wine quotes a program path with a blank that it found by trying the blanks
# in turn; Windows hands the command line over as it was given.
editor=$(winpath "$RECORDER"); [[ $editor == *" "* ]] && editor="\"$editor\""
q=; case $MAK in *" "*) q='"' ;; esac
same "編集 starts the editor with the makefile, quoted only when it holds a blank" "$editor $q$MAK$q" "$(wait_record)"
pilot command "$w" 103; wait_exit "$LAST_PID"

pilot settings-set editorExe=
recording_class BravikE2E.Text
classes_default .txt BravikE2E.Text
: >"$RECORD_LOG"
bravik "$MAK"
w=$(main_window)
pilot command "$w" 106
same "without an editor the .txt program opens the makefile" "\"$(winpath "$RECORDER")\" \"$MAK\"" "$(wait_record)"

# --- help ---------------------------------------------------------------------------
recording_class BravikE2E.Page
classes_default .html BravikE2E.Page
: >"$RECORD_LOG"
focus "$w"
xdotool key F1
same "F1 without Bravik.hlp opens the HTML help beside the program" \
  "\"$(winpath "$RECORDER")\" \"$(winpath "$BUILD/Bravik.html")\"" "$(wait_record)"

# --- exit through the toolbar --------------------------------------------------------
read -r bx by <<<"$(button_centre "$(pilot item "$w" 3000)" 9)"
xdotool mousemove "$bx" "$by" click 1
wait_exit "$LAST_PID"
same "the 終了 button ends Bravik with code 0" 0 $?

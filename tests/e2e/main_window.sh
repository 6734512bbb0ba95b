#!/usr/bin/env bash
# The real Bravik.exe's main window: the toolbar in each style, the status bar
# and its toggle, the window menu with its variant submenu and menu help,
# tooltips, toolbar buttons and accelerators, edit, help and the about box.
. "$TOP/tests/e2e/lib.sh"
data=$(mktemp -d)
cleanup() { rm -rf "$data"; finish; }
trap cleanup EXIT

# Makefiles are Shift-JIS, as on a Japanese system.
mak() { printf '%b' "$2" | iconv -f UTF-8 -t CP932 >"$data/$1"; }
mak variants.mak '#Bravik "V=1" 一番目のバリエーション\n#Bravik "V=2 DEBUG=1" 二番目 (デバッグ)\n#Bravik "" 三番目\nall:\n\t@echo V$(V)>> runs.log\n'
mak other.mak 'all:\n\t@echo other\n'
MAK=$(winpath "$data/variants.mak")

list_bottom() { drv rect "$1" ID_VARIANTLIST | awk '{print $2 + $4}'; }
focus() {  # a click on the status bar or list bottom gives Bravik the keyboard
  local x y w h
  read -r x y w h <<<"$(drv rect "$1")"
  xdotool mousemove $((x + w / 2)) $((y + h - 6)) click 1
  sleep 0.3
}
button_centre() {  # button_centre TOOLBAR INDEX
  local x y w h
  read -r x y w h <<<"$(drv toolbar-rect "$1" "$2")"
  echo "$((x + w / 2)) $((y + h / 2))"
}
status_line() { drv status "$1" ID_STATUSBAR | tr '\n' '|'; }

drv delete-settings
drv position-set 40 40 420 320

# --- the toolbar in its four styles ---------------------------------------------
for style in 0 1 2 3; do
  drv settings-set toolbarStyle=$style
  bravik "$MAK"
  w=$(main_window)
  check "style $style: main window shown" test -n "$w"
  tb=$(drv item "$w" ID_TOOLBAR)
  same "style $style: seven buttons and three separators" 10 "$(drv button-count "$tb")"
  size=$(drv button-size "$tb")
  bw=$((size & 0xFFFF)); bh=$((size >> 16))
  flat=$(($(drv style "$tb") & 0x800 ? 1 : 0))
  case $style in
    0) same "style 0: small buttons" 23 "$bw"; same "style 0: not flat" 0 "$flat" ;;
    1) same "style 1: large buttons" 28 "$bw"; same "style 1: not flat" 0 "$flat" ;;
    2) same "style 2: large images" 28 "$bw"; same "style 2: flat" 1 "$flat" ;;
    3) same "style 3: flat" 1 "$flat"; check "style 3: taller buttons carry labels ($bh)" test "$bh" -gt 27 ;;
  esac
  # The toolbar's client height, then a 2-pixel gap (its top edge is the main window's client top).
  same "style $style: list starts 2 pixels under the toolbar" \
    "$(($(drv client "$w" | awk '{print $2}') + $(drv client "$tb" | awk '{print $4}') + 2))" \
    "$(drv rect "$w" ID_VARIANTLIST | awk '{print $2}')"
  shot "main-toolbar-style$style" "$w"
  close_bravik "$w"
  same "style $style: the exit command ends Bravik with code 0" 0 $?
done
drv settings-set toolbarStyle=0

# --- status bar -------------------------------------------------------------------
drv settings-set statusBarShown=0
bravik "$MAK"
w=$(main_window)
check "stored hidden: no status bar" not drv item "$w" ID_STATUSBAR
same "without status bar the list reaches the bottom" "$(drv client "$w" | awk '{print $2 + $4}')" "$(list_bottom "$w")"
shot main-no-statusbar "$w"
drv command "$w" CMD_STATUSBAR && sleep 0.5
sb=$(drv item "$w" ID_STATUSBAR)
check "CMD_STATUSBAR shows the status bar" test -n "$sb"
same "the list meets the status bar" "$(drv rect "$sb" | awk '{print $2}')" "$(list_bottom "$w")"
shot main-statusbar "$w"
close_bravik "$w"
same "a status-bar toggle alone is not stored" 0 "$(drv settings-get statusBarShown)"
drv settings-set statusBarShown=1

# --- window menu, variant submenu, menu help -------------------------------------
drv settings-set makeExe="$(winpath "$GNUMAKE")" makeOptions='-f %s' flags=1
rm -f "$data/runs.log"
bravik "$MAK"
w=$(main_window)
menu() { drv menu "$w"; sleep 0.7; }     # as Alt+Space opens it
key() { drv key "$w" "VK_$1"; sleep 0.4; }  # a key into the menu loop
menu
key UP; key UP  # up twice: "Ｍａｋｅの実行(&K)"
eventually "menu help for CMD_RUN" "simple=1|設定内容に従って選択した条件のＭａｋｅを実行します。|" status_line "$w"
key UP
eventually "menu help for CMD_SETTINGS" "simple=1|環境の設定を行ないます。|" status_line "$w"
key UP
eventually "menu help for CMD_STATUSBAR" "simple=1|ステータスバーを表示または消去します。|" status_line "$w"
key ESCAPE; key ESCAPE
eventually "closing the menu leaves simple mode" "simple=0||" status_line "$w"
menu
key UP; key RIGHT  # the variant submenu, first item
eventually "variant item shows its macros" "simple=1|V=1|" status_line "$w"
key DOWN
eventually "second variant item" "simple=1|V=2 DEBUG=1|" status_line "$w"
key DOWN
eventually "a variant item without macros shows an empty text" "simple=1||" status_line "$w"
key UP
shot main-window-menu
key RETURN            # run the second variant from the submenu
for _ in $(seq 100); do [ -s "$data/runs.log" ] && break; sleep 0.1; done
sleep 1
same "the submenu item ran make with that variant's macros" "V2" "$(tr -d '\r ' <"$data/runs.log" 2>/dev/null)"
drv windows | grep -q 'visible=1 "MAKEの実行' && drv command "$(drv find-visible '#32770' "" 100)" IDCANCEL

# --- tooltips -----------------------------------------------------------------------
tb=$(drv item "$w" ID_TOOLBAR)
read -r bx by <<<"$(button_centre "$tb" 1)"
xdotool mousemove "$bx" "$by"; sleep 2
eventually "pointing at 設定 describes it in the status bar" "simple=1|環境の設定を行ないます。|" status_line "$w"
shot main-tooltip "$w"
tip=$(drv windows | grep -a 'tooltips_class32' | grep -a 'visible=1' | head -1)
contains "the tooltip says 環境の設定" '"環境の設定"' "$tip"
read -r lx ly <<<"$(drv rect "$w" ID_VARIANTLIST | awk '{print $1 + 200, $2 + 150}')"
xdotool mousemove "$lx" "$ly"; sleep 1.5
eventually "after the tooltip hides the description stays" "simple=1|環境の設定を行ないます。|" status_line "$w"

# --- toolbar buttons and accelerators ----------------------------------------------
read -r bx by <<<"$(button_centre "$tb" 1)"
xdotool mousemove "$bx" "$by" click 1
e=$(drv find-visible '#32770' '環境の設定' 5000)
check "the 設定 button opens the settings dialog" test -n "$e"
same "the main window is disabled meanwhile" "visible=1 enabled=0" "$(drv state "$w")"
drv command "$e" IDCANCEL; drv gone "$e" 3000

focus "$w"
xdotool key ctrl+o
o=$(drv find-visible '#32770' '開く' 5000)
check "Ctrl+O opens the open-file dialog" test -n "$o"
same "its filter" "$(printf 'Bravikﾌｧｲﾙ形式(*.mak)\nすべてのﾌｧｲﾙ形式(*.*)')" "$(drv combo-items "$o" FILE_TYPES)"
drv set-text "$o" FILE_NAME "$(winpath "$data/other.mak")"
drv command "$o" IDOK
sleep 1
same "the chosen makefile is read" "other.mak - Bravik" "$(drv text "$w")"
same "a makefile without variants lists the defaults" "$(printf 'リリース版のコンパイル\nデバッグ版のコンパイル')" \
  "$(drv list-items "$w" ID_VARIANTLIST)"

for keys in alt+slash alt+shift+slash; do
  focus "$w"
  xdotool key "$keys"
  a=$(drv find-visible '#32770' 'Bravikのﾊﾞｰｼﾞｮﾝ情報' 5000)
  check "$keys opens the about box" test -n "$a"
  [ -n "$a" ] && { drv command "$a" IDCANCEL; drv gone "$a" 3000; }
done

read -r bx by <<<"$(button_centre "$tb" 7)"
xdotool mousemove "$bx" "$by" click 1
a=$(drv find-visible '#32770' 'Bravikのﾊﾞｰｼﾞｮﾝ情報' 5000)
check "the 情報 button opens the about box" test -n "$a"
kids=$(drv children "$a")
for t in "Bravik for Windows" "The Windows Make Utility for Programming." "Version 1.43" \
  "最新版はｳｪﾌﾞからﾀﾞｳﾝﾛｰﾄﾞしてください" "ﾎｰﾑﾍﾟｰｼﾞを表示(&W)..." "お問合せやご要望はﾒｰﾙでお願いします" "ﾒｰﾙを送る(&E)..." OK; do
  check "the about box shows \"$t\"" grep -qxF -- "$t" <<<"$kids"
done
shot main-about "$a"
classes_default 'https\shell\open\command' "\"$(winpath "$RECORDER")\" \"%1\""
classes_default 'mailto\shell\open\command' 'C:\no\such\mailer.exe "%1"'
: >"$RECORD_LOG"
drv press "$a" IDC_HOMEPAGE
contains "ホームページ opens the home page through the shell" "https://" "$(wait_record)"
drv press "$a" IDC_SENDMAIL
m=$(drv find-visible '#32770' Bravik 5000)
check "a failed mail request is reported" test -n "$m"
same "with its text" "メールの送信ができません。" "$(drv text "$m" MSGBOX_TEXT)"
shot main-about-mail-failed "$m"
drv command "$m" IDOK; drv gone "$m" 3000
same "the about box stays open after the message" "visible=1 enabled=1" "$(drv state "$a")"
drv command "$a" IDOK; drv gone "$a" 3000

# --- edit ---------------------------------------------------------------------------
drv command "$w" CMD_EXIT; wait_exit "$LAST_PID"
drv settings-set editorExe="$(winpath "$RECORDER")"
: >"$RECORD_LOG"
bravik "$MAK"
w=$(main_window); tb=$(drv item "$w" ID_TOOLBAR)
read -r bx by <<<"$(button_centre "$tb" 4)"
xdotool mousemove "$bx" "$by" click 1
# Wine quotes a program path with a blank that it found by trying the blanks
# in turn; Windows hands the command line over as it was given.
editor=$(winpath "$RECORDER"); [[ $editor == *" "* ]] && editor="\"$editor\""
q=; case $MAK in *" "*) q='"' ;; esac
same "編集 starts the editor with the makefile, quoted only when it holds a blank" "$editor $q$MAK$q" "$(wait_record)"
drv command "$w" CMD_EXIT; wait_exit "$LAST_PID"

drv settings-set editorExe=
recording_class BravikE2E.Text
classes_default .txt BravikE2E.Text
: >"$RECORD_LOG"
bravik "$MAK"
w=$(main_window)
drv command "$w" CMD_EDIT
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
read -r bx by <<<"$(button_centre "$(drv item "$w" ID_TOOLBAR)" 9)"
xdotool mousemove "$bx" "$by" click 1
wait_exit "$LAST_PID"
same "the 終了 button ends Bravik with code 0" 0 $?

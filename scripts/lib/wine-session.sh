# Sourced by scripts/test and scripts/run: a private Wine prefix in the build
# tree, its own Xvfb display (unless one is given) and a persistent wineserver,
# all stopped by wine_session_stop.
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
export WINE
export LC_ALL=ja_JP.UTF-8
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
: "${WINEPREFIX:=$TOP/build/wineprefix}"
export WINEPREFIX

_xvfb_pid=""

# winpath UNIX-PATH: the path as a Windows program under Wine names it (Z: is
# the Unix root), printed as it stands, whatever blanks or characters it holds.
winpath() { printf 'Z:%s' "$1" | tr '/' '\\'; }

wine_session_start() {
  if [ -z "${DISPLAY:-}" ] || [ "${WINE_SESSION_OWN_DISPLAY:-0}" = 1 ]; then
    local n=90
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    _xvfb_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  fi
  mkdir -p "$WINEPREFIX"
  "$WINESERVER" -p
  if [ ! -f "$WINEPREFIX/.bravik-ready" ]; then
    "$WINE" wineboot -i >/dev/null 2>&1 || true
    # Captions drawn by Wine (windows look like Windows in screenshots) and the
    # dialog fonts mapped to the proportional IPA font, as on a Japanese system.
    local reg="$WINEPREFIX/bravik-setup.reg"
    printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n"Decorated"="Y"\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n"ＭＳ Ｐゴシック"="IPAPGothic"\r\n"ＭＳ ゴシック"="IPAGothic"\r\n"MS UI Gothic"="IPAPGothic"\r\n"MS Shell Dlg"="IPAPGothic"\r\n' |
      iconv -f UTF-8 -t UTF-16 > "$reg"
    "$WINE" regedit /s "$reg" >/dev/null 2>&1
    touch "$WINEPREFIX/.bravik-ready"
  fi
  wine_install_caption_font
  wine_install_gnumake
  wine_private_user_folders
}

# Wine links Desktop, Documents and the like of every prefix to the Unix home,
# so shortcuts one prefix's tests make and remove would meet those of another
# run, and the user's own desktop: each prefix gets folders of its own.
wine_private_user_folders() {
  local link
  for link in "$WINEPREFIX"/drive_c/users/*/*; do
    [ -L "$link" ] && [ -d "$link" ] || continue
    rm "$link" && mkdir "$link"
  done
}

# The caption buttons are glyphs of the Marlett font. This Wine does not find
# the fonts of its own data directory (none of them is registered in a new
# prefix), so captions showed the letters "0 1 r" in a fallback font; a font
# in the prefix's Fonts folder is always found.
wine_install_caption_font() {
  local src=/usr/share/wine/fonts/marlett.ttf dst="$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf"
  if [ -f "$src" ] && [ ! -f "$dst" ]; then mkdir -p "$(dirname "$dst")" && cp "$src" "$dst"; fi
}

# GNU make built by setup, at the path the bundled examples name ("#BvExe").
wine_install_gnumake() {
  local src="$TOP/.cache/gnumake/make.exe" dst="$WINEPREFIX/drive_c/GnuMake/make.exe"
  if [ -f "$src" ] && { [ ! -f "$dst" ] || [ "$src" -nt "$dst" ]; }; then
    mkdir -p "$(dirname "$dst")" && cp "$src" "$dst"
  fi
}

wine_session_stop() {
  "$WINESERVER" -k 2>/dev/null || true
  "$WINESERVER" -w 2>/dev/null || true
  if [ -n "$_xvfb_pid" ]; then kill "$_xvfb_pid" 2>/dev/null || true; wait "$_xvfb_pid" 2>/dev/null || true; fi
  _xvfb_pid=""
}

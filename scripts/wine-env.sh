# Sourced by the run and test scripts: prepares a headless display and a
# Wine prefix inside the build tree, never touching the user's own ~/.wine.
#
#   source scripts/wine-env.sh BUILD_DIR
#   wine_start        # X server (if needed), prefix, persistent wineserver
#   wine_run EXE ARGS # runs a Windows program in that prefix
#   wine_stop         # ends the wineserver and the X server we started
#
# The prefix is made once (about 8 s) and then reused; it reports Windows 10,
# since a new prefix says Windows 7 and the program refuses anything before 8.

LW_BUILD=${1:?wine-env.sh needs the build directory}
# Wine names files through the locale's code page: it must be UTF-8.
source "$(dirname "${BASH_SOURCE[0]}")/utf8-locale.sh"
LW_WINE_DIR="$LW_BUILD/wine"
export WINEPREFIX="$LW_WINE_DIR/prefix"
export WINEDEBUG=-all
# No debugger on a crash: Wine's would wait, invisible, for someone to
# attach, and a crashing test suite would sit until its time limit instead of
# failing at once.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
# A HOME of our own holds the null ALSA device, so Wine has one wave device
# and never touches the real user's configuration.
export HOME="$LW_WINE_DIR/home"

LW_WINE=$(command -v wine64 || true)
[[ -n "$LW_WINE" ]] || LW_WINE=/usr/lib/wine/wine64
LW_WINESERVER=$(command -v wineserver || true)
[[ -n "$LW_WINESERVER" ]] || LW_WINESERVER=/usr/lib/wine/wineserver64
LW_XVFB_PID=

wine_reg() {  # wine_reg KEY NAME VALUE  (REG_SZ)
  "$LW_WINE" reg add "$1" /v "$2" /t REG_SZ /d "$3" /f >/dev/null 2>&1
}

wine_make_prefix() {
  [[ -f "$WINEPREFIX/.lorewell-ready" ]] && return 0
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX" "$HOME"
  echo "wine-env: creating the Wine prefix in $WINEPREFIX" >&2
  "$LW_WINE" wineboot -i >/dev/null 2>&1
  wine_reg 'HKCU\Software\Wine' Version win10
  # A virtual desktop starts programs in a fraction of the time it takes to
  # wait for a window manager that Xvfb does not have.
  wine_reg 'HKCU\Software\Wine\Explorer' Desktop Default
  wine_reg 'HKCU\Software\Wine\Explorer\Desktops' Default 1280x1000
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  mkdir -p "$fonts"
  for f in tahoma tahomabd marlett symbol; do
    [[ -f /usr/share/wine/fonts/$f.ttf ]] && cp /usr/share/wine/fonts/$f.ttf "$fonts/"
  done
  "$LW_WINESERVER" -w
  touch "$WINEPREFIX/.lorewell-ready"
}

wine_start() {
  mkdir -p "$HOME"
  printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' > "$HOME/.asoundrc"
  if [[ -z "${DISPLAY:-}" || -n "${LOREWELL_HEADLESS:-}" ]]; then
    local n=77
    while [[ -e /tmp/.X$n-lock ]]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    LW_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$n ]] && break; sleep 0.1; done
  fi
  wine_make_prefix
  "$LW_WINESERVER" -p   # persistent server: later starts take 0.1 s, not 2.5 s
}

wine_run() {
  "$LW_WINE" "$@"
}

wine_stop() {
  "$LW_WINESERVER" -k >/dev/null 2>&1 || true
  if [[ -n "$LW_XVFB_PID" ]]; then
    kill "$LW_XVFB_PID" 2>/dev/null || true
    wait "$LW_XVFB_PID" 2>/dev/null || true
  fi
}

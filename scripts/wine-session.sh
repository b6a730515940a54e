# Sourced by the test and run scripts: a private wine prefix, an X display and a
# persistent wineserver, all stopped again by wine_session_stop.
#
#   wine_session_start <build-dir>     sets WINEPREFIX, DISPLAY, HOME and friends
#   wine_session_stop

wine_session_start() {
  local dir
  dir=$(mkdir -p "$1" && cd "$1" && pwd)
  local template=$dir/wineprefix-template
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="winemenubuilder.exe=d;winhlp32.exe=d;mscoree=d;mshtml=d"
  export WINEARCH=win64
  # Keep wine away from the real home folder: desktop links and documents land in the sandbox.
  export HOME=$dir/home XDG_CONFIG_HOME=$dir/home/.config XDG_DATA_HOME=$dir/home/.local/share \
         XDG_CACHE_HOME=$dir/home/.cache XDG_DESKTOP_DIR=$dir/home/Desktop
  mkdir -p "$HOME"
  export LC_ALL=${ZOLAN_LC_ALL:-C.UTF-8}

  _wine_session_display

  # Bump the stamp when the template's preparation changes, so old build trees remake it.
  local stamp=$template/.complete-2
  if [ ! -f "$stamp" ]; then
    rm -rf "$template"
    echo "Creating the wine prefix template (once per build tree)..."
    WINEPREFIX=$template wineboot -i >/dev/null 2>&1 || true
    WINEPREFIX=$template wineserver -k 2>/dev/null || true
    WINEPREFIX=$template wineserver -w 2>/dev/null || true
    # A fresh prefix links the user folders to $HOME; make them real folders of the prefix.
    local u
    for u in "$template"/drive_c/users/*/; do
      local f
      for f in Desktop Documents Downloads Music Pictures Videos Templates; do
        if [ -L "$u$f" ]; then rm -f "$u$f"; mkdir -p "$u$f"; fi
      done
    done
    # Without a window manager, wine waits about two seconds for each managed window to go
    # away; unmanaged windows close at once.
    WINEPREFIX=$template wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
      >/dev/null 2>&1 </dev/null || true
    WINEPREFIX=$template wineserver -k 2>/dev/null || true
    WINEPREFIX=$template wineserver -w 2>/dev/null || true
    touch "$stamp"
  fi
  # Every run starts from a fresh copy of the template, so no run sees what another left.
  export WINEPREFIX=$dir/wineprefix
  rm -rf "$WINEPREFIX"
  cp -a "$template" "$WINEPREFIX"
  rm -f "$WINEPREFIX"/.complete*
  wineserver -p >/dev/null 2>&1 </dev/null
  # The first program in a prefix starts wine's background services; start them here with
  # no pipes attached, or they would hold a caller's output pipe open until the session ends.
  wine cmd /c exit >/dev/null 2>&1 </dev/null || true
  _WINE_SESSION_DIR=$dir
}

_wine_session_display() {
  _WINE_SESSION_XVFB=""
  if [ -n "${ZOLAN_DISPLAY:-}" ]; then
    export DISPLAY=$ZOLAN_DISPLAY
    return
  fi
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  _WINE_SESSION_XVFB=$!
  local n
  read -r n <"$fifo"
  rm -f "$fifo"
  export DISPLAY=:$n
}

wine_session_stop() {
  if [ -n "${WINEPREFIX:-}" ]; then
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
  fi
  if [ -n "${_WINE_SESSION_XVFB:-}" ]; then
    kill "$_WINE_SESSION_XVFB" 2>/dev/null || true
    wait "$_WINE_SESSION_XVFB" 2>/dev/null || true
    _WINE_SESSION_XVFB=""
  fi
}

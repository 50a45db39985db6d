#!/usr/bin/env bash
# Installs what is missing, builds what running Tidvex needs (the program, its
# three libraries, Splash.spl and the icon; not the tests), installs it into a
# Wine prefix of its own (libraries registered there; no Z: drive, user folders
# and Recycle Bin kept inside the prefix) and starts it. Arguments (/tray,
# /clean) pass through.
#
# Without an X display it starts Xvfb and asks Wine for its own window frames
# (there is no window manager); tools/picture.sh takes a picture of it. A run
# while another one lives uses the same prefix and display, so the second
# Tidvex's "already running" message shows beside the first window; no run ever
# ends a Tidvex it did not start.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$top/tools/wine-lib.sh"
. "$top/tools/x11-lib.sh"
"$top/tools/setup-deps.sh"

build=$top/build/x64
mkdir -p "$build"
log=$build/run-tidvex-build.log
printf 'Building Tidvex.exe, Velmora.dll, Fraxil.dll, Quenza.dll, Splash.spl and the icon (x86_64; log: %s) ...' \
  "${log#"$top"/}"
if ! TIDVEX_TARGETS="Tidvex Velmora Fraxil Quenza tidvex_splash" "$top/tools/build.sh" x86_64 >"$log" 2>&1; then
  echo " failed:"
  tail -n 30 "$log"
  exit 1
fi
echo " done."

prefix=$build/wine/tidvex
if [ ! -f "$prefix/.tidvex-installed" ]; then
  tidvex_wine_template "$build/wine/template"
  tidvex_wine_copy "$build/wine/template" "$prefix"
fi
tidvex_wine_env "$prefix"

# The display: the caller's own, or the Xvfb that a run still living started,
# or a new Xvfb that this run owns and stops when every program of the prefix
# has ended.
display_file=$(tidvex_run_display_file "$top")
xvfb_pid=
exec 8>"$display_file.lock"
flock 8
if [ -z "${DISPLAY:-}" ]; then
  if [ -f "$display_file" ] && read -r shared shared_pid <"$display_file" && kill -0 "$shared_pid" 2>/dev/null; then
    export DISPLAY=$shared
    echo "Tidvex runs on the X display $DISPLAY (Xvfb) that an earlier run started."
  else
    for n in $(seq 90 120); do [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] || break; done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=:$n
    echo "$DISPLAY $xvfb_pid" >"$display_file"
    echo "No X display: Tidvex runs under Xvfb on $DISPLAY (stop it with Ctrl+C)."
    sleep 1
  fi
  echo "To see the window: tools/picture.sh [file.png]"
  xvfb=1
else
  xvfb=
fi
flock -u 8

tidvex_pid=
cleanup() {
  [ -z "$tidvex_pid" ] || kill "$tidvex_pid" 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then
    # Another run's Tidvex may still show on this display: it is left to end.
    if ! WINEPREFIX=$prefix timeout 10 "$TIDVEX_WINESERVER" -w >/dev/null 2>&1; then
      echo "Waiting for the other programs of the prefix (another run's Tidvex on $DISPLAY) to end ..."
      WINEPREFIX=$prefix "$TIDVEX_WINESERVER" -w >/dev/null 2>&1 || true
    fi
    kill "$xvfb_pid" 2>/dev/null || true
    rm -f "$display_file"
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A real window needs the X11 driver rather than the test prefixes' null
# driver; under Xvfb it needs Wine's own frames, elsewhere the desktop's.
"$TIDVEX_WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f >/dev/null 2>&1
if [ -n "$xvfb" ]; then
  "$TIDVEX_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
else
  "$TIDVEX_WINE" reg delete 'HKCU\Software\Wine\X11 Driver' /v Decorated /f >/dev/null 2>&1 || true
fi
tidvex_install "$prefix" "$build/bin"
touch "$prefix/.tidvex-installed"

cd "$prefix/drive_c/Program Files/Tidvex"
"$TIDVEX_WINE" "C:\\Program Files\\Tidvex\\Tidvex.exe" "$@" &
tidvex_pid=$!
status=0
wait "$tidvex_pid" || status=$?
tidvex_pid=
exit "$status"

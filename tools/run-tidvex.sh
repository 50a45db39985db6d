#!/usr/bin/env bash
# Installs what is missing, builds Tidvex, installs it into a Wine prefix of its
# own (libraries registered there; no Z: drive, user folders and Recycle Bin kept
# inside the prefix) and starts it. Arguments (/tray, /clean) pass through.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$top/tools/wine-lib.sh"
"$top/tools/setup-deps.sh"
"$top/tools/build.sh" x86_64

build=$top/build/x64
prefix=$build/wine/tidvex
if [ ! -f "$prefix/.tidvex-installed" ]; then
  tidvex_wine_template "$build/wine/template"
  tidvex_wine_copy "$build/wine/template" "$prefix"
fi
tidvex_wine_env "$prefix"

xvfb_pid=
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 120); do [ -e /tmp/.X11-unix/X$n ] || break; done
  echo "No X display: starting Tidvex under Xvfb on :$n (stop it with Ctrl+C)."
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=:$n
  sleep 1
fi
cleanup() {
  WINEPREFIX=$prefix "$TIDVEX_WINESERVER" -k >/dev/null 2>&1 || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

# A real window needs the X11 driver rather than the test prefixes' null driver.
"$TIDVEX_WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f >/dev/null 2>&1
install_dir="$prefix/drive_c/Program Files/Tidvex"
mkdir -p "$install_dir"
cp "$build/bin/Tidvex.exe" "$build/bin/Splash.spl" "$build/bin/Velmora.dll" "$build/bin/Fraxil.dll" \
   "$build/bin/Quenza.dll" "$install_dir/"
# The folders the libraries look in for their language and message files.
mkdir -p "$install_dir/Lang" "$install_dir/skin"
cd "$install_dir"
for dll in Velmora Fraxil Quenza; do
  "$TIDVEX_WINE" regsvr32 /s "C:\\Program Files\\Tidvex\\$dll.dll"
done
touch "$prefix/.tidvex-installed"
"$TIDVEX_WINE" "C:\\Program Files\\Tidvex\\Tidvex.exe" "$@"

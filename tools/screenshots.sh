#!/usr/bin/env bash
# Pictures of the window's controls for review: builds the gallery program, runs
# each of its scenes under Xvfb with Wine's X11 driver in a prefix of its own and
# saves one PNG per scene in build/x64/screenshots/. Not part of the tests.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$top/tools/wine-lib.sh"
"$top/tools/setup-deps.sh"
for tool in xwd convert; do
  command -v "$tool" >/dev/null || {
    echo "Installing x11-apps and imagemagick (xwd, convert)"
    sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends x11-apps imagemagick
    break
  }
done
"$top/tools/build.sh" x86_64

build=$top/build/x64
out=$build/screenshots
prefix=$build/wine/gallery
mkdir -p "$out"
tidvex_wine_template "$build/wine/template"
tidvex_wine_copy "$build/wine/template" "$prefix"
tidvex_wine_env "$prefix"

for n in $(seq 90 120); do [ -e /tmp/.X11-unix/X$n ] || break; done
Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=:$n
cleanup() {
  WINEPREFIX=$prefix "$TIDVEX_WINESERVER" -k >/dev/null 2>&1 || true
  kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
sleep 1

# The X11 driver, and Wine's own window frames (there is no window manager).
"$TIDVEX_WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f >/dev/null 2>&1
"$TIDVEX_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
cp "$build/bin/tidvex_gallery.exe" "$prefix/drive_c/"

for scene in controls progress question notice registry splash tray menu; do
  "$TIDVEX_WINE" 'C:\tidvex_gallery.exe' "$scene" 7 >/dev/null 2>&1 &
  gallery=$!
  sleep 5
  xwd -root -silent | convert xwd:- "$out/$scene.png"
  wait "$gallery" || true
  echo "$out/$scene.png"
done

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
cp "$build/bin/tidvex_gallery.exe" "$build/bin/tidvex_press.exe" "$prefix/drive_c/"

for scene in controls progress question notice registry splash tray menu; do
  "$TIDVEX_WINE" 'C:\tidvex_gallery.exe' "$scene" 7 >/dev/null 2>&1 &
  gallery=$!
  sleep 5
  xwd -root -silent | convert xwd:- "$out/$scene.png"
  wait "$gallery" || true
  echo "$out/$scene.png"
done

# The main window: every page and the clean-settings panel, pressed the way a
# click does. Tidvex runs installed with its libraries registered.
install_dir="$prefix/drive_c/Program Files/Tidvex"
mkdir -p "$install_dir/Lang" "$install_dir/skin"
cp "$build/bin/Tidvex.exe" "$build/bin/Splash.spl" "$build/bin/Velmora.dll" "$build/bin/Fraxil.dll" \
   "$build/bin/Quenza.dll" "$install_dir/"
for dll in Velmora Fraxil Quenza; do
  "$TIDVEX_WINE" regsvr32 /s "C:\\Program Files\\Tidvex\\$dll.dll"
done
"$TIDVEX_WINE" "C:\\Program Files\\Tidvex\\Tidvex.exe" >/dev/null 2>&1 &
tidvex=$!
sleep 8
press() { "$TIDVEX_WINE" 'C:\tidvex_press.exe' "$@" >/dev/null 2>&1 || echo "could not press $*"; sleep 2; }
shot() { xwd -root -silent | convert xwd:- "$out/$1.png"; echo "$out/$1.png"; }
shot page-main
for page in Cleaner Shredder Optimizer Tools Options; do
  press "$page"
  shot "page-$(echo "$page" | tr 'A-Z' 'a-z')"
done
press Cleaner
press "Change Clean Settings"
shot clean-settings
for include in Chat Windows "Hard Drive" MRU Registry; do
  press "$include" "Clean Settings"
  shot "clean-settings-$(echo "$include" | tr 'A-Z ' 'a-z-')"
done
WINEPREFIX=$prefix "$TIDVEX_WINESERVER" -k >/dev/null 2>&1 || true
wait "$tidvex" 2>/dev/null || true

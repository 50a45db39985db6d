#!/usr/bin/env bash
# Pictures of the window for review: builds Tidvex, its libraries, the gallery
# program and the presser, shows each scene of the gallery and then drives
# Tidvex through its pages, sub-pages, dialogs, a cleaning, a shredding and the
# tray under Xvfb with Wine's X11 driver and frames, in a prefix of its own, and
# saves one PNG per scene in build/x64/screenshots/. Each picture is composed
# from the visible windows (tools/x11-lib.sh), so pop-ups show what they hold.
# Not part of the tests.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$top/tools/wine-lib.sh"
. "$top/tools/x11-lib.sh"
"$top/tools/setup-deps.sh"
tidvex_x_tools
echo "Building Tidvex, its libraries, the gallery and the presser (build/x64/screenshots-build.log)"
mkdir -p "$top/build/x64"
TIDVEX_TARGETS="Tidvex Velmora Fraxil Quenza tidvex_splash tidvex_gallery tidvex_press" \
  "$top/tools/build.sh" x86_64 >"$top/build/x64/screenshots-build.log" 2>&1 ||
  { tail -n 30 "$top/build/x64/screenshots-build.log"; exit 1; }

build=$top/build/x64
out=$build/screenshots
prefix=$build/wine/gallery
rm -rf "$out"
mkdir -p "$out"
tidvex_wine_template "$build/wine/template"
tidvex_wine_copy "$build/wine/template" "$prefix"
tidvex_wine_env "$prefix"

# A drive of the prefix's own for the shredding, mapped before Wine starts so
# that the drive lists offer it: a folder inside the prefix as T:, holding one
# file made for it.
shred_drive=$prefix/shred-drive
mkdir -p "$shred_drive"
head -c $((128 * 1024 * 1024)) /dev/zero >"$shred_drive/old-report.doc"
tidvex_wine_map "$prefix" t "$shred_drive"
# Work for the cleaning: temporary files in the prefix's own temp folder.
for temp in "$prefix"/drive_c/users/*/Temp; do
  [ -d "$temp" ] || continue
  for i in $(seq 1 2000); do : >"$temp/junk-$i.tmp"; done
done

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

shot() { if tidvex_x_picture "$out/$1.png"; then echo "$out/$1.png"; else echo "no picture of $1"; fi; }

for scene in controls progress question notice registry tray menu; do
  "$TIDVEX_WINE" 'C:\tidvex_gallery.exe' "$scene" 7 >/dev/null 2>&1 &
  gallery=$!
  sleep 5
  shot "$scene"
  wait "$gallery" || true
done

# The main window: every page, sub-page and dialog, pressed the way a click
# does. Tidvex runs installed with its libraries registered.
tidvex_install "$prefix" "$build/bin"
"$TIDVEX_WINE" "C:\\Program Files\\Tidvex\\Tidvex.exe" >/dev/null 2>&1 &
tidvex=$!
# The program's own splash shows for a moment while it starts (measured: about
# 0.2 s), the main window only once it has started: as soon as the splash is on
# the screen, Tidvex is held still for the picture, then let go. The window can
# be on the screen before its picture has reached it: then Tidvex runs on a
# little and is held again.
viewable() { xwininfo -id "$1" 2>/dev/null | grep -q "Map State: IsViewable"; }
drawn() {
  local mean
  mean=$(xwd -silent -id "$1" 2>/dev/null | convert xwd:- -format '%[fx:mean]' info: 2>/dev/null) || return 1
  awk -v m="${mean:-0}" 'BEGIN { exit !(m > 0.05) }'
}
splash_seen=
for try in $(seq 1 1000); do
  for id in $(xwininfo -root -children 2>/dev/null | awk '$2 == "\"Tidvex\":" {print $1}'); do
    viewable "$id" || continue
    for hold in $(seq 1 20); do
      kill -STOP "$tidvex"
      if drawn "$id"; then
        shot splash
        splash_seen=1
      fi
      kill -CONT "$tidvex"
      [ -z "$splash_seen" ] || break
      sleep 0.02
      viewable "$id" || break
    done
    break 2
  done
done
[ -n "$splash_seen" ] || echo "no picture of splash: it was not seen drawn while Tidvex started"
sleep 6
tidvex_press() { "$TIDVEX_WINE" 'C:\tidvex_press.exe' "$@" >/dev/null 2>&1; }
press_now() { tidvex_press "$@" || echo "could not press $*"; }
press() { press_now "$@"; sleep 2; }
wait_for() { tidvex_press --wait "$@" || echo "waited in vain for $1"; }
name() { echo "$1" | tr 'A-Z' 'a-z' | tr -cs 'a-z0-9' '-' | sed 's/-$//'; }

shot page-main
for page in Cleaner Shredder Optimizer Tools Options; do
  press "$page"
  shot "page-$(name "$page")"
done
press Cleaner
press "Change Clean Settings"
shot clean-settings
for include in Chat Windows "Hard Drive" MRU Registry; do
  press "$include" "Clean Settings"
  shot "clean-settings-$(name "$include")"
done

press Shredder
for mode in "Shred Empty Space" "Shred Recycle Bin" "Shred Files/Folders"; do
  press "$mode"
  shot "shredder-$(name "$mode")"
done
press --drop "Quick Shred"
shot shredder-algorithm-list
press --undrop "Quick Shred"
# Seven passes, so that the shredding lasts long enough to be seen.
press --choose "German: VSITR" "Quick Shred"
press "Add File(s)"
press --type 'T:\old-report.doc' "Please Select a file or group of files"
shot shredder-add-files
press Open "Please Select a file or group of files"
shot shredder-file-listed
press_now "Start Shredding Files/Folders"
# Once the bars show progress, while the shredding goes on.
tidvex_press --progress 1 30 || echo "waited in vain for the shredding's progress"
shot shredding
wait_for "Start Shredding Files/Folders" 120
shot shredding-done

press Optimizer
for section in "Internet Connection" System "Windows Explorer" Privacy; do
  press "$section"
  shot "optimizer-$(name "$section")"
done
press "Apply All"
shot optimizer-applied-message
press Ok

press Tools
for tool in "StartUp Manager" "Uninstall Manager"; do
  press "$tool"
  shot "tools-$(name "$tool")"
done

press Options
for sub in Settings "Safe List" "Black list" "Safe Cookies" Schedule About; do
  press "$sub"
  shot "options-$(name "$sub")"
done
press "Safe List"
press "Add Registry Key"
shot options-registry-key-dialog
press Cancel "Add Registry Key"

press Cleaner
press_now "Start Cleaning"
wait_for "Stop Cleaning" 10
shot cleaning
wait_for "Start Cleaning" 300
shot cleaning-done

# The tray: the first minimise shows the balloon, the right button the menu.
press --minimize
shot tray-balloon
press --tray 517
shot tray-menu
press --escape
# Back from the tray by a double-click, once the balloon has timed out.
sleep 6
press --tray 515
shot page-after-tray

WINEPREFIX=$prefix "$TIDVEX_WINESERVER" -k >/dev/null 2>&1 || true
wait "$tidvex" 2>/dev/null || true
rm -rf "$shred_drive"

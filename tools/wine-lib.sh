# Shared shell functions for running the build's Windows programs under Wine in a
# sandbox: a prefix that cannot see the host file system (no Z: drive), whose user
# folders and Recycle Bin stay inside it, and whose windows need no X server.
# Sourced by tools/wine-run, tools/run-tidvex.sh and tools/screenshots.sh.

TIDVEX_WINE=${TIDVEX_WINE:-/usr/lib/wine/wine64}
TIDVEX_WINESERVER=${TIDVEX_WINESERVER:-/usr/lib/wine/wineserver}

# Environment for a Wine process in prefix $1. HOME and XDG_* must point inside the
# prefix before wineboot runs, or Wine links the user folders to the real home and
# the Recycle Bin functions act on the host's trash.
tidvex_wine_env() {
  local prefix=$1
  export WINEPREFIX=$prefix
  export HOME=$prefix/home
  export XDG_DATA_HOME=$HOME/.local/share
  export XDG_CONFIG_HOME=$HOME/.config
  export XDG_CACHE_HOME=$HOME/.cache
  export XDG_RUNTIME_DIR=$HOME/.run
  unset XDG_DATA_DIRS XDG_CONFIG_DIRS XDG_DESKTOP_DIR
  export WINEDEBUG=${TIDVEX_WINEDEBUG:--all}
  # No Mono/Gecko prompts, no menu entries on the host, and a crash ends the
  # process instead of waiting in the debugger until the test times out.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe,winedbg.exe=d"
  mkdir -p "$XDG_DATA_HOME/Trash" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
}

# Cuts every link from prefix $1 to the host: the Z: drive and the user folders
# that wineboot links to the home folder.
tidvex_wine_seal() {
  local prefix=$1 l
  rm -f "$prefix/dosdevices/z:" "$prefix/dosdevices/z::"
  while IFS= read -r -d '' l; do
    rm -f "$l" && mkdir -p "$l"
  done < <(find "$prefix/drive_c/users" -type l -print0)
}

# Builds the prefix template in $1 once (serialised with a lock so that parallel
# test runs share one wineboot).
tidvex_wine_template() {
  local template=$1
  mkdir -p "$(dirname "$template")"
  (
    flock 9
    if [ ! -f "$template/.tidvex-ready" ]; then
      rm -rf "$template"
      mkdir -p "$template"
      (
        tidvex_wine_env "$template"
        unset DISPLAY WAYLAND_DISPLAY
        "$TIDVEX_WINE" wineboot -i >/dev/null 2>&1 || true
        "$TIDVEX_WINESERVER" -w
        tidvex_wine_seal "$template"
        "$TIDVEX_WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
        "$TIDVEX_WINESERVER" -w
      )
      if [ ! -f "$template/system.reg" ] || [ -e "$template/dosdevices/z:" ]; then
        echo "wine-lib: could not build the Wine prefix template in $template" >&2
        exit 1
      fi
      touch "$template/.tidvex-ready"
    fi
  ) 9>"$template.lock"
}

# Makes prefix $2 a fresh copy of template $1. The big folders of Wine's own DLLs
# are hard-linked (nothing writes them in place); everything else is copied, so a
# test can change its prefix freely without touching the template.
tidvex_wine_copy() {
  local template=$1 prefix=$2 item
  tidvex_wine_kill "$prefix"
  rm -rf "$prefix"
  mkdir -p "$prefix/drive_c/windows"
  for item in "$template"/* "$template"/.update-timestamp; do
    [ -e "$item" ] || continue
    case "$(basename "$item")" in
      drive_c) ;;
      *) cp -a "$item" "$prefix/" ;;
    esac
  done
  for item in "$template"/drive_c/*; do
    [ "$(basename "$item")" = windows ] || cp -a "$item" "$prefix/drive_c/"
  done
  for item in "$template"/drive_c/windows/*; do
    case "$(basename "$item")" in
      system32|syswow64|winsxs|globalization|resources) cp -al "$item" "$prefix/drive_c/windows/" ;;
      *) cp -a "$item" "$prefix/drive_c/windows/" ;;
    esac
  done
  rm -f "$prefix/.tidvex-ready"
}

# Ends the wineserver of prefix $1, if one runs.
tidvex_wine_kill() {
  local prefix=$1
  [ -d "$prefix" ] || return 0
  ( WINEPREFIX=$prefix "$TIDVEX_WINESERVER" -k >/dev/null 2>&1 || true
    WINEPREFIX=$prefix "$TIDVEX_WINESERVER" -w >/dev/null 2>&1 || true )
}

# Maps drive letter $2 (a-y) of prefix $1 to the folder $3.
tidvex_wine_map() {
  local prefix=$1 letter=${2,,} target=$3
  case "$letter" in c|z) echo "wine-lib: drive $letter: is reserved" >&2; return 1 ;; esac
  rm -f "$prefix/dosdevices/$letter:"
  ln -s "$target" "$prefix/dosdevices/$letter:"
}

# Installs Tidvex from the build's bin folder $2 into prefix $1 under
# "C:\Program Files\Tidvex", its libraries registered there. Each file is
# replaced by a new one (never rewritten in place), so a Tidvex that runs from
# there keeps the files it has mapped. Needs the prefix's environment.
tidvex_install() {
  local prefix=$1 bin=$2 file dll
  local dir="$prefix/drive_c/Program Files/Tidvex"
  # The folders the libraries look in for their language and message files.
  mkdir -p "$dir/Lang" "$dir/skin"
  for file in Tidvex.exe Splash.spl Velmora.dll Fraxil.dll Quenza.dll; do
    cmp -s "$bin/$file" "$dir/$file" && continue
    cp "$bin/$file" "$dir/$file.new"
    mv -f "$dir/$file.new" "$dir/$file"
  done
  # From the program's folder: Wine starts in the Unix working folder when it can.
  ( cd "$dir" && for dll in Velmora Fraxil Quenza; do
      "$TIDVEX_WINE" regsvr32 /s "C:\\Program Files\\Tidvex\\$dll.dll"
    done )
}

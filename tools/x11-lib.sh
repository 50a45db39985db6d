# Shared shell functions for pictures of an X display (Xvfb): sourced by
# tools/screenshots.sh and tools/picture.sh.

# Installs what taking pictures needs, when missing: xwd (x11-apps), xwininfo
# (x11-utils) and ImageMagick's convert.
tidvex_x_tools() {
  local missing=() p
  for p in x11-apps x11-utils imagemagick; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing ${missing[*]} (for pictures of windows)"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Saves a picture of display $DISPLAY as the PNG file $1, as a user sees it.
# A capture of the whole screen shows pop-ups that Wine maps with save-under
# (menus, drop-down lists, a dialog over its owner) as black boxes under Xvfb,
# while a capture of each window shows its content; so the picture is the
# screen with every visible top-level window laid over it in its own capture,
# bottom to top, each at its place. A window that reaches past the screen's
# edge cannot be captured alone and keeps what the screen shows. A window that
# goes while the picture is taken (a dialog closing) spoils that try; the
# picture is taken again. A picture that cannot be had is told with the reason.
tidvex_x_picture() {
  local try
  tidvex_x_why=
  for try in 1 2 3; do
    tidvex_x_picture_once "$1" && return 0
    sleep 1
  done
  echo "No picture $1: ${tidvex_x_why:-the windows kept changing while it was taken}" >&2
  return 1
}

# The first line a failed tool wrote to the file $1, or else $2.
tidvex_x_first_line() {
  local line
  line=$(head -n 1 "$1" 2>/dev/null)
  echo "${line:-$2}"
}

tidvex_x_picture_once() {
  local out=$1 dir id info x y w h n=0 ok=0
  local -a ids layers
  dir=$(mktemp -d) || { tidvex_x_why="no temporary folder"; return 1; }
  if ! xwd -root -silent >"$dir/screen.xwd" 2>"$dir/error"; then
    tidvex_x_why="the display ${DISPLAY:-(none)} cannot be read ($(tidvex_x_first_line "$dir/error" "xwd failed"))"
    rm -rf "$dir"
    return 1
  fi
  layers=("xwd:$dir/screen.xwd")
  # xwininfo lists the root's children top first.
  mapfile -t ids < <(xwininfo -root -children 2>/dev/null | awk '$1 ~ /^0x[0-9a-f]+$/ {print $1}' | tac)
  for id in "${ids[@]}"; do
    info=$(xwininfo -id "$id" 2>/dev/null) || continue
    grep -q "Map State: IsViewable" <<<"$info" || continue
    read -r x y w h < <(awk -F: '/Absolute upper-left X/ {x=$2} /Absolute upper-left Y/ {y=$2}
                                 /^ *Width/ {w=$2} /^ *Height/ {h=$2} END {print x+0, y+0, w+0, h+0}' <<<"$info")
    [ "$w" -gt 1 ] && [ "$h" -gt 1 ] || continue
    xwd -silent -id "$id" >"$dir/$n.xwd" 2>/dev/null || continue
    layers+=("xwd:$dir/$n.xwd" -geometry "$(printf '%+d%+d' "$x" "$y")" -composite)
    n=$((n + 1))
  done
  if convert "${layers[@]}" "$out" 2>"$dir/error"; then
    ok=1
  else
    tidvex_x_why="$out cannot be written ($(tidvex_x_first_line "$dir/error" "convert failed"))"
  fi
  rm -rf "$dir"
  [ $ok -eq 1 ]
}

# The file in which tools/run-tidvex.sh of the tree $1 records the Xvfb it
# started: "<display> <process id>".
tidvex_run_display_file() {
  echo "$1/build/x64/wine/tidvex.display"
}

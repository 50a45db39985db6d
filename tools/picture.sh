#!/usr/bin/env bash
# A picture of the X display where Tidvex runs, as a user would see it there:
#   tools/picture.sh [file.png]      (default build/x64/tidvex.png)
# The display is $DISPLAY, or else the Xvfb that tools/run-tidvex.sh started.
# The file's folder is made when missing; a picture that cannot be taken is
# told with the reason.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$top/tools/x11-lib.sh"
out=${1:-$top/build/x64/tidvex.png}
folder=$(dirname -- "$out")
if ! mkdir -p -- "$folder" 2>/dev/null; then
  echo "No picture: the folder $folder cannot be made." >&2
  exit 1
fi
if [ -z "${DISPLAY:-}" ]; then
  display_file=$(tidvex_run_display_file "$top")
  if ! { [ -f "$display_file" ] && read -r display pid <"$display_file" && kill -0 "$pid" 2>/dev/null; }; then
    echo "No display to take a picture of: start Tidvex with tools/run-tidvex.sh first." >&2
    exit 1
  fi
  export DISPLAY=$display
fi
tidvex_x_tools
tidvex_x_picture "$out" || exit 1
echo "$out"

# What the benchmark scripts share: a loop-mounted ext4 image as Wine's drive
# E:, a sandbox prefix that sees the build's programs as Y:, and timing.
# Needs root (loop mount).

. "$(dirname "${BASH_SOURCE[0]}")/../tools/wine-lib.sh"

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.6f", b - a }'; }

# Makes the work folder $1 afresh with an ext4 image of $2 (a truncate size)
# mounted on $1/mnt; further arguments go to mkfs.ext4. Sets work, img, mnt and
# prefix, and unmounts and removes all on exit.
bench_image() {
  work=$1
  local size=$2
  shift 2
  rm -rf "$work"
  mkdir -p "$work/mnt"
  img=$work/bench.img
  mnt=$work/mnt
  prefix=$work/prefix
  trap bench_cleanup EXIT
  truncate -s "$size" "$img"
  mkfs.ext4 -q -m 0 -F "$@" "$img"
  mount -o loop "$img" "$mnt"
}

bench_cleanup() {
  tidvex_wine_kill "$prefix"
  mountpoint -q "$mnt" && umount "$mnt"
  rm -f "$img"
}

# A prefix of its own in which Y: is the build's bin folder ($1) and E: the
# image; Wine's server and services are started before anything is timed (and
# outside any pipe of the script, which they would hold open). Leaves the
# script in the bin folder, where Wine can see its current folder.
bench_wine() {
  local bin=$1
  tidvex_wine_template "$bin/../wine/template"
  tidvex_wine_copy "$bin/../wine/template" "$prefix"
  tidvex_wine_env "$prefix"
  unset DISPLAY WAYLAND_DISPLAY
  tidvex_wine_map "$prefix" y "$bin"
  tidvex_wine_map "$prefix" e "$mnt"
  "$TIDVEX_WINESERVER" -p >/dev/null 2>&1
  cd "$bin"
  "$TIDVEX_WINE" cmd /c exit 0 </dev/null >/dev/null 2>&1
}

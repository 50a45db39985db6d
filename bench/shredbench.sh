#!/usr/bin/env bash
# Shredding throughput of Fraxil next to GNU shred, on one loop-mounted ext4 image.
#
#   bench/shredbench.sh [build dir]        (root; builds nothing: run tools/build.sh x86_64 first)
#
# Files of 1 MB, 64 MB and 512 MB are shredded with the wiping methods 0 (one zero
# pass), 1 (three passes) and 4 (seven passes) through the registered
# Fraxil.Shredder (bench/shredbench.exe under Wine, the image mapped as drive E:),
# and with GNU shred doing the same number of passes on the same image. dd gives
# the device's write bandwidth twice: with oflag=direct (each 1 MB block waits for
# the device) and buffered with one fsync at the end (what a shredder that flushes
# once per pass can reach). Rates are bytes overwritten (size x passes) per
# second, in MB/s (MB = 2^20 bytes).
#
# Then, on the same image, a folder of 2,000 files of 4-64 KB goes through one
# folder session of Fraxil and through GNU shred -u at the same passes (files
# per second), and the drive's free space is filled once by a free-space session
# with Quick Shred and once by dd if=/dev/zero of=fill bs=1M conv=fsync (MB/s of
# the free space). Fraxil's sessions have a sink connected to their events, as
# the program has.
#
# Environment: BENCH_SIZES="1 64 512", BENCH_METHODS="0 1 4", BENCH_FILES=2000,
# BENCH_FOLDER_METHODS="0 1", BENCH_DIR=<work folder>, BENCH_NO_SINK=1 (no sink connected).
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$top/build/x64}
build=$(cd "$build" && pwd)
. "$top/bench/bench-lib.sh"

sizes=${BENCH_SIZES:-1 64 512}
methods=${BENCH_METHODS:-0 1 4}
file_count=${BENCH_FILES:-2000}
folder_methods=${BENCH_FOLDER_METHODS:-0 1}
[ "$(id -u)" -eq 0 ] || { echo "shredbench: needs root (loop mount)" >&2; exit 1; }
[ -f "$build/bin/shredbench.exe" ] && [ -f "$build/bin/Fraxil.dll" ] ||
  { echo "shredbench: $build/bin has no shredbench.exe / Fraxil.dll; run tools/build.sh x86_64" >&2; exit 1; }
command -v shred >/dev/null || { echo "shredbench: GNU shred is missing" >&2; exit 1; }

largest=0
for s in $sizes; do [ "$s" -gt "$largest" ] && largest=$s; done
bench_image "${BENCH_DIR:-$build/bench}" $((largest * 2 + 256))M
bench_wine "$build/bin"
"$TIDVEX_WINE" regsvr32 /s 'Y:\Fraxil.dll'

passes_of() { case $1 in 0) echo 1 ;; 1) echo 3 ;; 2|3) echo 3 ;; 4) echo 7 ;; esac; }
rate() { awk -v b="$1" -v s="$2" 'BEGIN { if (s <= 0) print "inf"; else printf "%.1f", b / 1048576 / s }'; }

# A file of random content that is on the device before it is shredded.
make_file() {
  head -c "$(($1 * 1048576))" /dev/urandom >"$2"
  sync "$2"
}

# Seconds dd takes to write $1 MB with the options $2...
dd_seconds() {
  local count=$1 t0 t1; shift
  t0=$(now)
  dd if=/dev/zero of="$mnt/dd.bin" bs=1M count="$count" "$@" status=none
  t1=$(now)
  rm -f "$mnt/dd.bin"; sync
  elapsed "$t0" "$t1"
}

printf '%-7s %-6s %-6s %12s %12s %8s %14s %12s\n' "size" "method" "passes" "Fraxil MB/s" "shred MB/s" "ratio" \
  "dd direct MB/s" "dd sync MB/s"
for size in $sizes; do
  bytes=$((size * 1048576))
  dd_direct=$(rate "$bytes" "$(dd_seconds "$size" oflag=direct conv=fsync)")
  dd_sync=$(rate "$bytes" "$(dd_seconds "$size" conv=fsync)")
  for method in $methods; do
    passes=$(passes_of "$method")
    make_file "$size" "$mnt/fraxil.bin"
    out=$("$TIDVEX_WINE" 'Y:\shredbench.exe' "$method" 'E:\fraxil.bin' 2>&1 | tr -d '\r' || true)
    fraxil_s=$(echo "$out" | awk '/^E:/ { print $3 }')
    via=$(echo "$out" | awk '/^E:/ { print $4 }')
    [ -n "$fraxil_s" ] || { echo "shredbench: Fraxil failed: $out" >&2; exit 1; }
    [ ! -e "$mnt/fraxil.bin" ] || { echo "shredbench: Fraxil left the file: $out" >&2; exit 1; }

    make_file "$size" "$mnt/shred.bin"
    if [ "$method" -eq 0 ]; then args=(-n 0 -z -u); else args=(-n "$passes" -u); fi
    t0=$(now); shred "${args[@]}" "$mnt/shred.bin"; t1=$(now)
    shred_s=$(elapsed "$t0" "$t1")

    total=$((bytes * passes))
    f_rate=$(rate "$total" "$fraxil_s")
    s_rate=$(rate "$total" "$shred_s")
    ratio=$(awk -v f="$f_rate" -v s="$s_rate" 'BEGIN { if (s == 0) print "-"; else printf "%.2f", f / s }')
    printf '%-7s %-6s %-6s %12s %12s %8s %14s %12s\n' "${size}MB" "$method" "$passes" "$f_rate" "$s_rate" "$ratio" \
      "$dd_direct" "$dd_sync"
  done
done
echo "Fraxil driven through: ${via:-?} (session = StartSession of the registered object)"

# $1 files of 4-64 KB of random content in the folder $2, on the device.
make_folder() {
  mkdir -p "$2"
  python3 - "$1" "$2" <<'PY'
import os, random, sys
count, folder = int(sys.argv[1]), sys.argv[2]
random.seed(13)
for i in range(count):
    with open(os.path.join(folder, "f%05d.dat" % i), "wb") as f:
        f.write(os.urandom(random.randint(4, 64) * 1024))
PY
  sync
}

echo
printf '%-7s %-6s %-6s %14s %14s %8s
' "files" "method" "passes" "Fraxil files/s" "shred files/s" "ratio"
for method in $folder_methods; do
  passes=$(passes_of "$method")
  make_folder "$file_count" "$mnt/folder"
  out=$("$TIDVEX_WINE" 'Y:\shredbench.exe' folder "$method" 'E:\folder' 2>&1 | tr -d '\r' || true)
  fraxil_s=$(echo "$out" | awk '/^folder/ { print $3 }')
  [ -n "$fraxil_s" ] && [ ! -e "$mnt/folder" ] || { echo "shredbench: the folder session failed: $out" >&2; exit 1; }

  make_folder "$file_count" "$mnt/folder"
  if [ "$method" -eq 0 ]; then args=(-n 0 -z -u); else args=(-n "$passes" -u); fi
  t0=$(now); shred "${args[@]}" "$mnt"/folder/*; t1=$(now)
  shred_s=$(elapsed "$t0" "$t1")
  rm -rf "$mnt/folder"; sync

  f_rate=$(awk -v n="$file_count" -v s="$fraxil_s" 'BEGIN { printf "%.1f", n / s }')
  s_rate=$(awk -v n="$file_count" -v s="$shred_s" 'BEGIN { printf "%.1f", n / s }')
  ratio=$(awk -v f="$f_rate" -v s="$s_rate" 'BEGIN { printf "%.2f", f / s }')
  printf '%-7s %-6s %-6s %14s %14s %8s\n' "$file_count" "$method" "$passes" "$f_rate" "$s_rate" "$ratio"
done

echo
sync
free_bytes=$(df -B1 --output=avail "$mnt" | tail -1 | tr -d ' ')
out=$("$TIDVEX_WINE" 'Y:\shredbench.exe' freespace 0 'E:\' 2>&1 | tr -d '\r' || true)
fraxil_s=$(echo "$out" | awk '/^freespace/ { print $3 }')
[ -n "$fraxil_s" ] && [ ! -e "$mnt/SHREDTMP.\$\$\$" ] || { echo "shredbench: the free-space session failed: $out" >&2; exit 1; }
sync
t0=$(now)
dd if=/dev/zero of="$mnt/fill" bs=1M conv=fsync status=none 2>/dev/null || true
t1=$(now)
dd_s=$(elapsed "$t0" "$t1")
dd_bytes=$(stat -c %s "$mnt/fill")
rm -f "$mnt/fill"; sync
f_rate=$(rate "$free_bytes" "$fraxil_s")
d_rate=$(rate "$dd_bytes" "$dd_s")
printf '%-12s %14s %12s %14s %8s\n' "free space" "MB" "Fraxil MB/s" "dd fill MB/s" "ratio"
printf '%-12s %14s %12s %14s %8s\n' "Quick Shred" "$((free_bytes / 1048576))" "$f_rate" "$d_rate" \
  "$(awk -v f="$f_rate" -v d="$d_rate" 'BEGIN { printf "%.2f", f / d }')"

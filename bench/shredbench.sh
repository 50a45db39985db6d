#!/usr/bin/env bash
# Shredding throughput of Fraxil next to GNU shred and dd, on one loop-mounted ext4 image.
#
#   bench/shredbench.sh [build dir]        (root; builds nothing: run tools/build.sh x86_64 first)
#
# Files of 1 MB, 64 MB and 256 MB are shredded with the wiping methods 0 (one zero
# pass) and 1 (three passes) through the registered Fraxil.Shredder
# (bench/shredbench.exe under Wine, the image mapped as drive E:), once with a
# sink connected to its events (as the program's window has one) and once
# without, and by GNU shred doing the same number of passes on the same image.
# dd gives the device's write bandwidth: with oflag=direct (each 1 MB block waits
# for the device) and buffered with one fsync at the end. Rates are bytes
# overwritten (size x passes) per second, in MB/s (MB = 2^20 bytes).
#
# Then a folder of 2,000 files of 4-64 KB goes through one folder session of
# Fraxil (with and without a sink) and through GNU shred -u at the same passes
# (files per second), and the drive's free space is filled by a free-space
# session with Quick Shred (with and without a sink) and by dd if=/dev/zero
# bs=1M conv=fsync (MB/s of the free space).
#
# Every contender runs each case BENCH_RUNS times, the contenders taking turns;
# before each run the test data is made afresh and on the device, and the page
# cache is written and dropped. The table gives the best and the median rate,
# and the ratios of the medians: Fraxil with a sink against GNU shred (or dd)
# and against Fraxil without a sink. The machine's load is printed with it.
#
# Environment: BENCH_SIZES="1 64 256", BENCH_METHODS="0 1", BENCH_FILES=2000,
# BENCH_FOLDER_METHODS="0 1", BENCH_RUNS=3, BENCH_DIR=<work folder>.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$top/build/x64}
build=$(cd "$build" && pwd)
. "$top/bench/bench-lib.sh"

sizes=${BENCH_SIZES:-1 64 256}
methods=${BENCH_METHODS:-0 1}
file_count=${BENCH_FILES:-2000}
folder_methods=${BENCH_FOLDER_METHODS:-0 1}
runs=${BENCH_RUNS:-3}
[ "$(id -u)" -eq 0 ] || { echo "shredbench: needs root (loop mount, dropping the page cache)" >&2; exit 1; }
[ -f "$build/bin/shredbench.exe" ] && [ -f "$build/bin/Fraxil.dll" ] ||
  { echo "shredbench: $build/bin has no shredbench.exe / Fraxil.dll; run tools/build.sh x86_64" >&2; exit 1; }
command -v shred >/dev/null || { echo "shredbench: GNU shred is missing" >&2; exit 1; }

largest=0
for s in $sizes; do [ "$s" -gt "$largest" ] && largest=$s; done
bench_image "${BENCH_DIR:-$build/bench}" $((largest * 2 + 256))M
bench_wine "$build/bin"
"$TIDVEX_WINE" regsvr32 /s 'Y:\Fraxil.dll'

passes_of() { case $1 in 0) echo 1 ;; 1) echo 3 ;; 2|3) echo 3 ;; 4) echo 7 ;; esac; }
shred_args() { if [ "$1" -eq 0 ]; then echo "-n 0 -z -u"; else echo "-n $(passes_of "$1") -u"; fi; }
load() { cut -d' ' -f1-3 /proc/loadavg; }

# Nothing of the last run waits in the page cache, and nothing of the next run's data is in it.
fresh() {
  sync
  echo 3 >/proc/sys/vm/drop_caches
}

# A file of $1 MB of random content at $2, on the device.
make_file() {
  head -c "$(($1 * 1048576))" /dev/urandom >"$2"
  sync "$2"
}

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

# Seconds the command takes, the page cache fresh before it.
timed() {
  local t0 t1
  fresh
  t0=$(now)
  "$@"
  t1=$(now)
  elapsed "$t0" "$t1"
}

# Seconds of one Fraxil session as shredbench.exe reports them (field 3 of the line
# that begins with $1); $2 is "sink" or "nosink", the rest its arguments.
fraxil_seconds() {
  local tag=$1 sink=$2 out s
  shift 2
  fresh
  if [ "$sink" = nosink ]; then
    out=$(BENCH_NO_SINK=1 "$TIDVEX_WINE" 'Y:\shredbench.exe' "$@" 2>&1 | tr -d '\r' || true)
  else
    out=$("$TIDVEX_WINE" 'Y:\shredbench.exe' "$@" 2>&1 | tr -d '\r' || true)
  fi
  s=$(echo "$out" | T=$tag awk 'index($0, ENVIRON["T"]) == 1 { print $3 }')
  [ -n "$s" ] || { echo "shredbench: the Fraxil session failed ($sink): $out" >&2; exit 1; }
  echo "$s"
}

# "best median" rates of $1 units (a number of bytes counts in MB) done in each of the seconds that follow.
rates() {
  local amount=$1
  shift
  printf '%s\n' "$@" | sort -g | awk -v a="$amount" '
    { s[NR] = $1 }
    END { m = (NR % 2) ? s[(NR + 1) / 2] : (s[NR / 2] + s[NR / 2 + 1]) / 2
          printf "%.1f %.1f", (s[1] > 0 ? a / s[1] : 0), (m > 0 ? a / m : 0) }'
}
median_of() { echo "$1" | cut -d' ' -f2; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b == 0) print "-"; else printf "%.2f", a / b }'; }

echo "load average (1, 5, 15 min) at the start: $(load) on $(nproc) processors; $runs runs of each case"
echo
printf '%-6s %-6s %-6s | %15s | %15s | %15s | %10s %10s | %9s %9s\n' "" "" "" "Fraxil+sink" "Fraxil no sink" \
  "GNU shred" "sink/shred" "sink/none" "dd direct" "dd sync"
printf '%-6s %-6s %-6s | %7s %7s | %7s %7s | %7s %7s | %10s %10s | %9s %9s\n' "size" "method" "passes" \
  "best" "median" "best" "median" "best" "median" "(medians)" "(medians)" "median" "median"
for size in $sizes; do
  direct=() buffered=()
  for r in $(seq "$runs"); do
    direct+=("$(timed dd if=/dev/zero of="$mnt/dd.bin" bs=1M count="$size" oflag=direct conv=fsync status=none)")
    rm -f "$mnt/dd.bin"
    buffered+=("$(timed dd if=/dev/zero of="$mnt/dd.bin" bs=1M count="$size" conv=fsync status=none)")
    rm -f "$mnt/dd.bin"
  done
  dd_direct=$(median_of "$(rates "$size" "${direct[@]}")")
  dd_sync=$(median_of "$(rates "$size" "${buffered[@]}")")
  for method in $methods; do
    passes=$(passes_of "$method")
    sink=() none=() gnu=()
    for r in $(seq "$runs"); do
      for contender in sink nosink; do
        make_file "$size" "$mnt/fraxil.bin"
        s=$(fraxil_seconds 'E:\fraxil.bin' "$contender" "$method" 'E:\fraxil.bin')
        [ ! -e "$mnt/fraxil.bin" ] || { echo "shredbench: Fraxil left the file" >&2; exit 1; }
        if [ "$contender" = sink ]; then sink+=("$s"); else none+=("$s"); fi
      done
      make_file "$size" "$mnt/shred.bin"
      # shellcheck disable=SC2046
      gnu+=("$(timed shred $(shred_args "$method") "$mnt/shred.bin")")
    done
    total=$((size * passes))
    s=$(rates "$total" "${sink[@]}") n=$(rates "$total" "${none[@]}") g=$(rates "$total" "${gnu[@]}")
    printf '%-6s %-6s %-6s | %7s %7s | %7s %7s | %7s %7s | %10s %10s | %9s %9s\n' "${size}MB" "$method" "$passes" \
      $s $n $g "$(ratio "$(median_of "$s")" "$(median_of "$g")")" "$(ratio "$(median_of "$s")" "$(median_of "$n")")" \
      "$dd_direct" "$dd_sync"
  done
done
echo "(MB/s of bytes overwritten; Fraxil timed from StartSession to SessionCompleted)"

echo
printf '%-6s %-6s %-6s | %15s | %15s | %15s | %10s %10s\n' "" "" "" "Fraxil+sink" "Fraxil no sink" "GNU shred" \
  "sink/shred" "sink/none"
printf '%-6s %-6s %-6s | %7s %7s | %7s %7s | %7s %7s | %10s %10s\n' "files" "method" "passes" \
  "best" "median" "best" "median" "best" "median" "(medians)" "(medians)"
for method in $folder_methods; do
  passes=$(passes_of "$method")
  sink=() none=() gnu=()
  for r in $(seq "$runs"); do
    for contender in sink nosink; do
      make_folder "$file_count" "$mnt/folder"
      s=$(fraxil_seconds folder "$contender" folder "$method" 'E:\folder')
      [ ! -e "$mnt/folder" ] || { echo "shredbench: the folder session left $mnt/folder" >&2; exit 1; }
      if [ "$contender" = sink ]; then sink+=("$s"); else none+=("$s"); fi
    done
    make_folder "$file_count" "$mnt/folder"
    # shellcheck disable=SC2046
    gnu+=("$(timed shred $(shred_args "$method") "$mnt"/folder/*)")
    rm -rf "$mnt/folder"
  done
  s=$(rates "$file_count" "${sink[@]}") n=$(rates "$file_count" "${none[@]}") g=$(rates "$file_count" "${gnu[@]}")
  printf '%-6s %-6s %-6s | %7s %7s | %7s %7s | %7s %7s | %10s %10s\n' "$file_count" "$method" "$passes" $s $n $g \
    "$(ratio "$(median_of "$s")" "$(median_of "$g")")" "$(ratio "$(median_of "$s")" "$(median_of "$n")")"
done
echo "(files per second)"

echo
fresh
free_bytes=$(df -B1 --output=avail "$mnt" | tail -1 | tr -d ' ')
sink=() none=() fill=()
for r in $(seq "$runs"); do
  for contender in sink nosink; do
    s=$(fraxil_seconds freespace "$contender" freespace 0 'E:\')
    [ ! -e "$mnt/SHREDTMP.\$\$\$" ] || { echo "shredbench: the free-space session left its folder" >&2; exit 1; }
    if [ "$contender" = sink ]; then sink+=("$s"); else none+=("$s"); fi
  done
  d=$(timed dd if=/dev/zero of="$mnt/fill" bs=1M conv=fsync status=none 2>/dev/null || true)
  # What dd wrote, as a share of the free space, so that its rate is of the same bytes.
  fill+=("$(awk -v s="$d" -v w="$(stat -c %s "$mnt/fill")" -v f="$free_bytes" 'BEGIN { printf "%.6f", s * f / w }')")
  rm -f "$mnt/fill"
  sync
done
free_mb=$(awk -v b="$free_bytes" 'BEGIN { printf "%.3f", b / 1048576 }')
s=$(rates "$free_mb" "${sink[@]}") n=$(rates "$free_mb" "${none[@]}") d=$(rates "$free_mb" "${fill[@]}")
printf '%-12s %6s | %15s | %15s | %15s | %10s %10s\n' "" "" "Fraxil+sink" "Fraxil no sink" "dd fill" "sink/dd" \
  "sink/none"
printf '%-12s %6s | %7s %7s | %7s %7s | %7s %7s | %10s %10s\n' "free space" "MB" "best" "median" "best" "median" \
  "best" "median" "(medians)" "(medians)"
printf '%-12s %6s | %7s %7s | %7s %7s | %7s %7s | %10s %10s\n' "Quick Shred" "$((free_bytes / 1048576))" $s $n $d \
  "$(ratio "$(median_of "$s")" "$(median_of "$d")")" "$(ratio "$(median_of "$s")" "$(median_of "$n")")"
echo "(MB/s of the free space)"
echo
echo "load average (1, 5, 15 min) at the end: $(load)"

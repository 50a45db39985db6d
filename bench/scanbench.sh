#!/usr/bin/env bash
# Speed of the hard-disk cleaner's scan next to find and to a plain FindFirstFile
# walk, over one generated tree on a loop-mounted ext4 image.
#
#   bench/scanbench.sh [build dir]        (root; builds nothing: run tools/build.sh x86_64 first)
#
# The tree: BENCH_FILES files (100,000) in BENCH_FOLDERS folders (5,000), 50 top
# folders each holding the others in equal shares, the files spread evenly.
# BENCH_JUNK percent of them (3.5) match a category of the cleaner (.tmp, .log,
# .chk, ._mp, .$$$); the rest have common extensions or none. Files hold 0 to 2 KB (real
# blocks: the scan's progress compares the bytes it has seen with the drive's
# used bytes, and the driver takes the first progress at the end of the scan's
# share for the end of the scan).
#
# Each contender runs BENCH_RUNS times (5), in rounds, on the warm tree; the
# table gives the fastest and the median run:
#   find   GNU find -type f -printf '%s' over the mounted folder (names and sizes)
#   walk   bench/scanbench.exe walk E:\ under Wine: recursive FindFirstFileA/
#          FindNextFileA, counting files, folders and bytes
#   scan   bench/scanbench.exe scan E: under Wine: clsHDCleaner::StartClean with
#          every category on, timed to the progress event that ends its scan,
#          from which it is stopped (nothing is deleted)
#
# Environment: BENCH_FILES, BENCH_FOLDERS, BENCH_JUNK, BENCH_RUNS, BENCH_DIR=<work folder>.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$top/build/x64}
build=$(cd "$build" && pwd)
. "$top/bench/bench-lib.sh"

files=${BENCH_FILES:-100000}
folders=${BENCH_FOLDERS:-5000}
junk=${BENCH_JUNK:-3.5}
runs=${BENCH_RUNS:-5}
[ "$(id -u)" -eq 0 ] || { echo "scanbench: needs root (loop mount)" >&2; exit 1; }
[ -f "$build/bin/scanbench.exe" ] || { echo "scanbench: $build/bin has no scanbench.exe; run tools/build.sh x86_64" >&2; exit 1; }
command -v python3 >/dev/null || { echo "scanbench: python3 is missing (it generates the tree)" >&2; exit 1; }

bench_image "${BENCH_DIR:-$build/bench-scan}" 1G -N $((files + folders + 16384))

python3 - "$mnt" "$files" "$folders" "$junk" <<'EOF'
import os, random, sys
root, files, folders, junkShare = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), float(sys.argv[4]) / 100
rng = random.Random(1)
top = min(50, folders)
paths = [os.path.join(root, "d%02d" % t) for t in range(top)]
for i in range(folders - top):
    paths.append(os.path.join(paths[i % top], "s%04d" % i))
for p in paths:
    os.mkdir(p)
common = ["txt", "dat", "dll", "exe", "jpg", "png", "html", "xml", "ini", "cfg", "doc", "mp3", ""]
junk = ["tmp", "log", "chk", "_mp", "$$$"]
for n in range(files):
    ext = rng.choice(junk) if rng.random() < junkShare else rng.choice(common)
    name = "f%06d" % n + ("." + ext if ext else "")
    with open(os.path.join(paths[n % len(paths)], name), "wb") as f:
        f.write(bytes(rng.randint(0, 2048)))
EOF
sync

bench_wine "$build/bin"

# "<seconds> <files> <folders> <matches>" of one run of contender $1.
run_once() {
  local t0 t1 out
  case $1 in
    find)
      t0=$(now)
      out=$(find "$mnt" -mindepth 1 -printf '%y %s\n' |
        awk '$1 == "f" { f++ } $1 == "d" { d++ } END { print f + 0, d + 1, "-" }')
      t1=$(now)
      echo "$(elapsed "$t0" "$t1") $out" ;;
    walk|scan)
      local arg='E:\'
      [ "$1" = scan ] && arg='E:'
      "$TIDVEX_WINE" 'Y:\scanbench.exe' "$1" "$arg" </dev/null >"$work/run.txt" 2>&1 || true
      out=$(tr -d "\r" <"$work/run.txt")
      echo "$out" | awk -v m="$1" '$1 == m { print $2, $3, $4, (m == "scan" ? $5 : "-"); found = 1 } END { exit !found }' ||
        { echo "scanbench: $1 failed: $out" >&2; exit 1; } ;;
  esac
}

# Fastest and median of the runs.
summary() { sort -n | awk '{ t[NR] = $1 } END { printf "%.3f %.3f\n", t[1], t[int((NR + 1) / 2)] }'; }

printf '%-6s %8s %8s %8s %9s %9s %8s\n' "what" "files" "folders" "matches" "best s" "median s" "vs walk"
declare -A times best median count dirs hits
# Rounds of one run each, so that the machine's other work weighs on all alike.
for ((r = 0; r < runs; r++)); do
  for what in find walk scan; do
    read -r secs n d m < <(run_once "$what")
    times[$what]+="$secs "
    count[$what]=$n dirs[$what]=$d hits[$what]=$m
  done
done
for what in find walk scan; do
  read -r best[$what] median[$what] < <(printf '%s\n' ${times[$what]} | summary)
done
for what in find walk scan; do
  ratio=$(awk -v a="${best[$what]}" -v b="${best[walk]}" 'BEGIN { if (b <= 0) print "-"; else printf "%.2f", a / b }')
  printf '%-6s %8s %8s %8s %9s %9s %8s\n' "$what" "${count[$what]}" "${dirs[$what]}" "${hits[$what]}" \
    "${best[$what]}" "${median[$what]}" "$ratio"
done
echo "tree: $files files ($junk % junk) in $folders folders (and the root) on a loop-mounted ext4 image, $runs runs each;"
echo "the scan counts files to the hundred (its progress events) and lists the matching files it collected"

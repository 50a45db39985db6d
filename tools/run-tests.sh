#!/usr/bin/env bash
# Installs what is missing, builds Tidvex and its libraries for both Windows
# targets (warnings are errors), and runs every test under Wine (x86_64).
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$top/tools/setup-deps.sh"
"$top/tools/build.sh" x86_64 -DTIDVEX_WERROR=ON
"$top/tools/build.sh" i686 -DTIDVEX_WERROR=ON
ctest --test-dir "$top/build/x64" --output-on-failure -j "$(nproc)" "$@"

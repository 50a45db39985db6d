#!/usr/bin/env bash
# Configures and builds one architecture: tools/build.sh x86_64|i686 [extra cmake args]
# With TIDVEX_TARGETS set (names split by blanks), builds only those targets and
# what they need; otherwise everything, the tests included.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
arch=${1:-x86_64}; shift || true
case $arch in x86_64) dir=$top/build/x64 ;; i686) dir=$top/build/i686 ;; *) echo "unknown arch $arch" >&2; exit 2 ;; esac
cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-toolchain.cmake" \
      -DTIDVEX_ARCH="$arch" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
if [ -n "${TIDVEX_TARGETS:-}" ]; then
  # shellcheck disable=SC2086  # the names are split on purpose
  cmake --build "$dir" --target $TIDVEX_TARGETS
else
  cmake --build "$dir"
fi

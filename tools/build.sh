#!/usr/bin/env bash
# Builds both targets: build/i686 (the shipped SETUP.EXE) and build/x86_64
# (the same sources, hardened, with the test programs).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}
jobs=$(nproc)
cmake -S "$top" -B "$build/i686" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-i686.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build/i686" -j "$jobs"
cmake -S "$top" -B "$build/x86_64" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSETUP_BUILD_TESTS=ON -DSETUP_HARDENED=ON \
      -DSETUP_I686_EXE="$build/i686/SETUP.EXE" >/dev/null
cmake --build "$build/x86_64" -j "$jobs"

#!/usr/bin/env bash
# Configures and builds the Windows program, its tests and tools into the
# folder given (default build/win), with curl.exe beside the program and the
# installer in bin/package.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
OUT="${1:-$ROOT/build/win}"
source "$ROOT/tools/debian-pins.sh"
cmake -S "$ROOT" -B "$OUT" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" -DPELLWICK_CURL_EXE="$CURL_CACHE_DIR/curl.exe" \
  -DPELLWICK_SQLITE_DIR="$SQLITE_CACHE_DIR" >/dev/null
cmake --build "$OUT" -j "$(nproc)"

#!/usr/bin/env bash
# What the hand-run tools need, built without chatter: the packages, the
# native stand-in service and the Windows build. Used by bench.sh and proof.sh.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${PELLWICK_BUILD:-$ROOT/build}"
"$ROOT/tools/bootstrap.sh" >/dev/null
cmake -S "$ROOT" -B "$BUILD/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$BUILD/native" --target fmd_standin pack_code_bench pack_code_drops >/dev/null
"$ROOT/tools/build-windows.sh" "$BUILD/win" >/dev/null

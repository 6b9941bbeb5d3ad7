#!/usr/bin/env bash
# The long fuzzing run (not in CI): every libFuzzer target for RUNS
# executions (default 10 million), starting from the repository's corpus;
# afterwards the inputs that reach new code are merged into that corpus, to
# be committed. Fails when a fuzzer finds a crash. Usage: tools/fuzz-long.sh [RUNS]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${PELLWICK_BUILD:-$ROOT/build}"
RUNS="${1:-10000000}"
"$ROOT/tools/bootstrap.sh" >/dev/null
cmake -S "$ROOT" -B "$BUILD/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$BUILD/native" --target reply_escape_fuzz >/dev/null
corpus="$ROOT/tests/fuzz/corpus"
work="$(mktemp -d /tmp/pellwick-fuzz-XXXXXX)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/found"
cd "$work"
"$BUILD/native/reply_escape_fuzz" -runs="$RUNS" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  "$work/found" "$corpus" 2>&1 | grep -E "stat::|Done|ERROR|SUMMARY" || true
test "${PIPESTATUS[0]}" -eq 0
"$BUILD/native/reply_escape_fuzz" -merge=1 "$corpus" "$work/found" 2>&1 | grep -E "MERGE-OUTER: [0-9]+ new files" || true
echo "fuzz-long: $RUNS runs, corpus now $(ls "$corpus" | wc -l) files"

#!/usr/bin/env bash
# The long fuzzing run (not in CI): every libFuzzer target for RUNS
# executions (default 10 million), starting from the repository's corpus;
# afterwards the inputs that reach new code are merged into that corpus, to
# be committed. Fails when a fuzzer finds a crash.
# Usage: tools/fuzz-long.sh [RUNS [MAX_LEN]]
# MAX_LEN (default 256 bytes) bounds the inputs: longer ones only repeat the
# structures a short one already has, and cost five times the time per run.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${PELLWICK_BUILD:-$ROOT/build}"
RUNS="${1:-10000000}"
MAX_LEN="${2:-256}"
"$ROOT/tools/bootstrap.sh" >/dev/null
# An optimised build of its own (still with the sanitizers): seven times the
# executions per second of the test build's.
cmake -S "$ROOT" -B "$BUILD/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
# Each target with the repository's corpus it starts from.
targets=(reply_escape_fuzz:corpus pack_code_fuzz:pack_code_corpus)
cmake --build "$BUILD/fuzz" --target "${targets[@]%%:*}" >/dev/null
work="${PELLWICK_FUZZ_WORK:-$(mktemp -d /tmp/pellwick-fuzz-XXXXXX)}"
[ -n "${PELLWICK_FUZZ_WORK:-}" ] || trap 'rm -rf "$work"' EXIT
cd "$work"
for target in "${targets[@]}"; do
  fuzzer="$BUILD/fuzz/${target%%:*}" corpus="$ROOT/tests/fuzz/${target#*:}" found="$work/${target%%:*}"
  mkdir -p "$found"
  echo "== ${target%%:*}"
  status=0
  "$fuzzer" -runs="$RUNS" -max_len="$MAX_LEN" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    "$found" "$corpus" >"$found.log" 2>&1 || status=$?
  grep -E "stat::|Done|ERROR|SUMMARY" "$found.log" || true
  [ "$status" -eq 0 ] || { tail -40 "$found.log"; exit "$status"; }
  "$fuzzer" -merge=1 "$corpus" "$found" >"$found.merge.log" 2>&1
  grep -E "MERGE-OUTER: [0-9]+ new files" "$found.merge.log" || true
  echo "fuzz-long: $RUNS runs, corpus now $(ls "$corpus" | wc -l) files"
done

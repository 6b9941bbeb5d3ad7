#!/usr/bin/env bash
# Runs a libFuzzer target for a bounded time: fuzzer, repository corpus,
# working corpus folder, seconds. Fails when the fuzzer finds a crash.
set -euo pipefail
fuzzer="$1" corpus="$2" work="$3" seconds="$4"
mkdir -p "$work"
cd "$work"
exec "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 "$work" "$corpus"

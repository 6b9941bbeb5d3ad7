#!/usr/bin/env bash
# tools/wine-test.sh: a process that ends without a test result is told and
# run once more, noted as retried; a case with a result is run once.
# Usage: tests/case_retry_test.sh BIN_DIR
set -uo pipefail
runner="$(dirname "$0")/../tools/wine-test.sh"
export PELLWICK_RETRIED="$(mktemp)"
trap 'rm -f "$PELLWICK_RETRIED"' EXIT
status=0
fail() { echo "FAIL: $*"; status=1; }

out="$("$runner" cmd /c exit 3 2>&1)"
[ $? -eq 3 ] || fail "the retried run's exit status is not kept"
[ "$(grep -c 'ended without a test result: exit status 3' <<<"$out")" -eq 1 ] || fail "no reason told: $out"
[ "$(wc -l <"$PELLWICK_RETRIED")" -eq 1 ] || fail "not noted once as retried"

: >"$PELLWICK_RETRIED"
out="$("$runner" "$1/file_ops_tests.exe" --gtest_filter=ReadWholeFile.* 2>&1)" || fail "a passing case failed: $out"
! grep -q "retried" <<<"$out" && [ ! -s "$PELLWICK_RETRIED" ] || fail "a case with a result was retried"
exit $status

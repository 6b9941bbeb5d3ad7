#!/usr/bin/env bash
# Runs one Windows test case under Wine (tools/wine-run.sh). A case whose
# process ends without writing GoogleTest's result ended before or outside
# its test: the run prints why (Wine's exit status, the last lines of its
# error output) and runs the case once more, noting it in PELLWICK_RETRIED.
set -uo pipefail
HERE="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d /tmp/pellwick-case-XXXXXX)"
trap 'rm -rf "$work"' EXIT
# GoogleTest writes its report only after the last test has ended.
export GTEST_OUTPUT="xml:Z:${work//\//\\}\\result.xml"

run_case() {
  rm -f "$work/result.xml"
  "$HERE/wine-run.sh" "$@" 2> >(tee "$work/errors" >&2)
  local status=$?
  wait  # for tee to have written everything
  return $status
}

run_case "$@"
status=$?
[ -s "$work/result.xml" ] && exit $status

echo "== the test process ended without a test result: exit status $status"
echo "== the last lines of its error output:"
tail -n 20 "$work/errors" | sed 's/^/   /'
echo "== retried once"
[ -z "${PELLWICK_RETRIED:-}" ] || echo "$* (exit status $status)" >>"$PELLWICK_RETRIED"
run_case "$@"
status=$?
[ -s "$work/result.xml" ] || echo "== no test result again: exit status $status"
exit $status

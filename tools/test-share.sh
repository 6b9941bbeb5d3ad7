#!/usr/bin/env bash
# Prints the share of test lines: lines under tests/ against all code lines
# under src/, tests/, tools/ and cmake/ (.cpp .h .sh .cmake .py .rc files).
set -euo pipefail
cd "$(dirname "$0")/.."
lines() {
  find "$@" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.sh' -o -name '*.cmake' -o -name '*.py' \
    -o -name '*.rc' \) -print0 | xargs -0 cat | wc -l
}
tests=$(lines tests)
all=$(lines src tests tools cmake)
tenths=$((1000 * tests / all))
echo "test share: $((tenths / 10)).$((tenths % 10)) % ($tests test lines of $all code lines)"

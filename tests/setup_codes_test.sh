#!/usr/bin/env bash
# The set-up pictures the build drew carry real QR codes: each decodes to the
# code line of its text file under res/scanner-codes.
# Usage: tests/setup_codes_test.sh BITMAP_DIR
set -uo pipefail
bitmaps="$1"
codes="$(cd "$(dirname "$0")/../res/scanner-codes" && pwd)"
status=0
for pair in symbol-setup-code:symbol-setup symbol-web-code:symbol-web cipherlab-setup:cipherlab-setup \
            cipherlab-web:cipherlab-web; do
  picture="$bitmaps/${pair%%:*}.bmp"
  want="$(grep -v '^#' "$codes/${pair#*:}.txt" | grep -v '^[[:space:]]*$' | head -n1)"
  got="$(zbarimg --quiet --raw "$picture" 2>/dev/null)"
  if [ "$got" != "$want" ]; then
    echo "FAIL ${picture##*/}: decodes to \"$got\", expected \"$want\""
    status=1
  fi
done
exit $status

#!/usr/bin/env bash
# Makes a Wine prefix trust the tests' certificate authority (the stand-in's
# certificate is signed by it), once per authority: a marker in the prefix
# names the authority's digest.
#   trust-test-ca.sh PREFIX CA.pem TRUST_CA_EXE
set -euo pipefail
prefix="${1:?usage: trust-test-ca.sh PREFIX CA.pem TRUST_CA_EXE}" ca="${2:?}" tool="${3:?}"
digest="$(sha256sum "$ca" | cut -c1-16)"
marker="$prefix/.trusts-test-ca-$digest"
[ -e "$marker" ] && exit 0
(
  flock 9
  [ -e "$marker" ] && exit 0
  WINEPREFIX="$prefix" WINEDEBUG=-all wine "$tool" "Z:${ca//\//\\}" || {
    echo "trust-test-ca: the prefix $prefix does not trust $ca" >&2
    exit 1
  }
  rm -f "$prefix"/.trusts-test-ca-*
  touch "$marker"
) 9>"$prefix.ca-lock"

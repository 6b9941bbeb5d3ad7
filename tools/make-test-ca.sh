#!/usr/bin/env bash
# Makes the tests' certificate authority and the stand-in's server
# certificate (for 127.0.0.1 and localhost) signed by it, in the folder given:
# test-ca.pem (the authority, for the Wine prefixes' root store),
# standin-cert.pem and standin-key.pem. Nothing is made when they exist.
set -euo pipefail
out="${1:?usage: make-test-ca.sh FOLDER}"
mkdir -p "$out"
cd "$out"
[ -s test-ca.pem ] && [ -s standin-cert.pem ] && [ -s standin-key.pem ] && exit 0
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 3650 -subj "/CN=Pellwick test CA" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
  -keyout "$work/ca-key.pem" -out "$work/test-ca.pem" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -sha256 -subj "/CN=localhost" \
  -keyout "$work/standin-key.pem" -out "$work/standin.csr" 2>/dev/null
printf 'subjectAltName=IP:127.0.0.1,DNS:localhost\nextendedKeyUsage=serverAuth\nbasicConstraints=CA:FALSE\n' >"$work/ext"
openssl x509 -req -in "$work/standin.csr" -CA "$work/test-ca.pem" -CAkey "$work/ca-key.pem" -CAcreateserial \
  -days 825 -sha256 -extfile "$work/ext" -out "$work/standin-cert.pem" 2>/dev/null
# The authority's key is not kept: nothing else is ever signed with it.
mv "$work/test-ca.pem" "$work/standin-cert.pem" "$work/standin-key.pem" .

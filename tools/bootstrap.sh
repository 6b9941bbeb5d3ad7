#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need, from Debian's
# packages only, and builds a Windows curl.exe from Debian's curl source.
# Idempotent: when everything is present it returns within a second or two.
set -euo pipefail

PACKAGES=(
  cmake ninja-build make pkg-config
  g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth x11-utils imagemagick socat
  googletest clang libclang-rt-14-dev
  libcpp-httplib-dev nlohmann-json3-dev
  dpkg-dev qrencode zbar-tools python3 python3-cryptography nsis
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "bootstrap: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# mingw's default g++ alternative is the win32-threads one; the program needs
# std::thread and std::mutex, so pin the posix variant.
for tool in gcc g++; do
  if [ -x "/usr/bin/x86_64-w64-mingw32-$tool-posix" ]; then
    $SUDO update-alternatives --set "x86_64-w64-mingw32-$tool" "/usr/bin/x86_64-w64-mingw32-$tool-posix" >/dev/null 2>&1 || true
  fi
done

# Windows curl.exe, built once from Debian's source package and cached outside
# the work tree.
CACHE="${QUORVIX_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quorvix}"
CURL_EXE="$CACHE/curl/curl.exe"
if [ ! -s "$CURL_EXE" ]; then
  echo "bootstrap: building curl.exe for Windows (about two minutes)"
  work="$CACHE/curl-build"
  rm -rf "$work"; mkdir -p "$work/lists/partial" "$CACHE/curl"
  echo "deb-src http://deb.debian.org/debian bookworm main" > "$work/sources.list"
  APT=(apt-get -o Dir::Etc::SourceList="$work/sources.list" -o Dir::Etc::SourceParts=/dev/null
       -o Dir::State::Lists="$work/lists" -o Debug::NoLocking=1 -o APT::Sandbox::User=root)
  "${APT[@]}" update -qq
  (cd "$work" && "${APT[@]}" source --download-only -qq curl)
  tarball=$(ls "$work"/curl_*.orig.tar.gz | head -n1)
  tar -xzf "$tarball" -C "$work"
  src=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'curl-*' | head -n1)
  (cd "$src" && ./configure -q --host=x86_64-w64-mingw32 --with-schannel --disable-shared --enable-static \
      --without-zlib --without-brotli --without-zstd --without-libpsl --disable-ldap --disable-ldaps \
      --without-libidn2 --without-nghttp2 --disable-manual --disable-docs --disable-threaded-resolver \
      LDFLAGS=-static >/dev/null && make -s -j"$(nproc)" >/dev/null)
  cp "$src/src/curl.exe" "$CURL_EXE.tmp" && mv "$CURL_EXE.tmp" "$CURL_EXE"
  rm -rf "$work"
fi
echo "bootstrap: ready (curl.exe at $CURL_EXE)"

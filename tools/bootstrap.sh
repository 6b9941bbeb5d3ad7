#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need, from Debian's
# packages only, builds a Windows curl.exe from Debian's curl source and a
# Windows SQLite library from Debian's sqlite3 source (pinned by its hash).
# Idempotent: when everything is present it returns within a second or two.
set -euo pipefail

PACKAGES=(
  cmake ninja-build make pkg-config
  g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth x11-utils imagemagick socat
  googletest clang libclang-rt-14-dev
  libcpp-httplib-dev nlohmann-json3-dev
  dpkg-dev qrencode zbar-tools python3 python3-cryptography nsis
  tcl libsqlite3-dev
  zint python3-pylibdmtx
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

# Downloads Debian's source package $2 into a new folder $1, through a list of
# sources of its own: the machine's apt set-up may have no deb-src line.
fetch_debian_source() {
  local work="$1"
  rm -rf "$work"; mkdir -p "$work/lists/partial"
  echo "deb-src http://deb.debian.org/debian bookworm main" > "$work/sources.list"
  local apt=(apt-get -o Dir::Etc::SourceList="$work/sources.list" -o Dir::Etc::SourceParts=/dev/null
             -o Dir::State::Lists="$work/lists" -o Debug::NoLocking=1 -o APT::Sandbox::User=root)
  "${apt[@]}" update -qq
  (cd "$work" && "${apt[@]}" source --download-only -qq "$2")
}
CURL_EXE="$CACHE/curl/curl.exe"
if [ ! -s "$CURL_EXE" ]; then
  echo "bootstrap: building curl.exe for Windows (about two minutes)"
  work="$CACHE/curl-build"
  mkdir -p "$CACHE/curl"
  fetch_debian_source "$work" curl
  # Pinned: only this upstream release, checked by its hash, is ever built.
  tarball="$work/curl_7.88.1.orig.tar.gz"
  echo "cdb38b72e36bc5d33d5b8810f8018ece1baa29a8f215b4495e495ded82bbf3c7  $tarball" | sha256sum -c --quiet -
  tar -xzf "$tarball" -C "$work"
  src=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'curl-*' | head -n1)
  (cd "$src" && ./configure -q --host=x86_64-w64-mingw32 --with-schannel --disable-shared --enable-static \
      --without-zlib --without-brotli --without-zstd --without-libpsl --disable-ldap --disable-ldaps \
      --without-libidn2 --without-nghttp2 --disable-manual --disable-docs --disable-threaded-resolver \
      LDFLAGS=-static >/dev/null && make -s -j"$(nproc)" >/dev/null)
  cp "$src/src/curl.exe" "$CURL_EXE.tmp" && mv "$CURL_EXE.tmp" "$CURL_EXE"
  rm -rf "$work"
fi

# SQLite for the Windows program: the amalgamation made from Debian's source
# tree of the pinned version, compiled once into a static library.
SQLITE_VERSION=3.40.1
SQLITE_SHA256=aaa776260ab4dc976db34aa7891819484c8676b5b2783123ebc6301e2ca5d655
SQLITE_DIR="$CACHE/sqlite-$SQLITE_VERSION"
if [ ! -s "$SQLITE_DIR/libsqlite3.a" ] || [ ! -s "$SQLITE_DIR/sqlite3.h" ]; then
  echo "bootstrap: building SQLite $SQLITE_VERSION for Windows (about half a minute)"
  work="$CACHE/sqlite-build"
  mkdir -p "$SQLITE_DIR"
  fetch_debian_source "$work" sqlite3
  tarball="$work/sqlite3_$SQLITE_VERSION.orig.tar.xz"
  if [ ! -f "$tarball" ]; then
    echo "bootstrap: Debian's sqlite3 source is no longer $SQLITE_VERSION: update the pin" >&2; exit 1
  fi
  echo "$SQLITE_SHA256  $tarball" | sha256sum -c --quiet -
  tar -xJf "$tarball" -C "$work"
  src=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'sqlite*' | head -n1)
  (cd "$src" && ./configure -q >/dev/null && make -s sqlite3.c >/dev/null)
  x86_64-w64-mingw32-gcc -O2 -DSQLITE_THREADSAFE=1 -DSQLITE_DEFAULT_WAL_SYNCHRONOUS=1 \
      -DSQLITE_OMIT_LOAD_EXTENSION -DSQLITE_DQS=0 -c "$src/sqlite3.c" -o "$work/sqlite3.o"
  x86_64-w64-mingw32-ar rcs "$work/libsqlite3.a" "$work/sqlite3.o"
  cp "$src/sqlite3.h" "$SQLITE_DIR/sqlite3.h"
  mv "$work/libsqlite3.a" "$SQLITE_DIR/libsqlite3.a"
  rm -rf "$work"
fi
echo "bootstrap: ready (curl.exe at $CURL_EXE, SQLite in $SQLITE_DIR)"

#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need, from Debian's
# packages only, and builds a Windows curl.exe and a Windows SQLite library
# from Debian's curl and sqlite3 source packages, patches applied (pinned in
# tools/debian-pins.sh).
# Idempotent: when everything is present it returns within a second or two.
set -euo pipefail

PACKAGES=(
  cmake ninja-build make pkg-config
  g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth x11-utils imagemagick socat
  googletest clang libclang-rt-14-dev
  libcpp-httplib-dev nlohmann-json3-dev libssl-dev openssl
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

# curl.exe and SQLite for Windows, each built once from Debian's source
# package of the pinned revision, with Debian's patches (its security fixes)
# applied, and cached outside the work tree.
source "$(dirname "$0")/debian-pins.sh"

# Unpacks Debian's source package $2 at revision $3 into the folder $1/src,
# through a list of sources of its own (the machine's apt set-up may have no
# deb-src line). Every file is checked against the pins in $4 before
# dpkg-source reads it; dpkg-source applies debian/patches.
unpack_debian_source() {
  local work="$1" package="$2" version="$3" pins="$4"
  rm -rf "$work"; mkdir -p "$work/lists/partial"
  echo "deb-src http://deb.debian.org/debian $DEBIAN_SOURCE_SUITE main" > "$work/sources.list"
  local apt=(apt-get -o Dir::Etc::SourceList="$work/sources.list" -o Dir::Etc::SourceParts=/dev/null
             -o Dir::State::Lists="$work/lists" -o Debug::NoLocking=1 -o APT::Sandbox::User=root)
  "${apt[@]}" update -qq
  if ! (cd "$work" && "${apt[@]}" source --download-only -qq "$package=$version"); then
    echo "bootstrap: Debian no longer ships $package $version: move the pin in tools/debian-pins.sh (README)" >&2
    exit 1
  fi
  (cd "$work" && grep . <<<"$pins" | sha256sum -c --strict --quiet -)
  local dsc
  dsc="$(grep -o '[^ ]*\.dsc$' <<<"$pins")"
  # Its signature cannot be checked here (no Debian keyring): the pins stand for it.
  if ! (cd "$work" && dpkg-source --require-strong-checksums -x "$dsc" src >"$work/unpack.log" 2>&1); then
    cat "$work/unpack.log" >&2
    exit 1
  fi
}

CURL_EXE="$CURL_CACHE_DIR/curl.exe"
if [ ! -s "$CURL_EXE" ]; then
  echo "bootstrap: building curl.exe $CURL_DEBIAN_VERSION for Windows (about two minutes)"
  work="$QUORVIX_CACHE_DIR/curl-build-$CURL_DEBIAN_VERSION"
  unpack_debian_source "$work" curl "$CURL_DEBIAN_VERSION" "$CURL_DEBIAN_FILES"
  src="$work/src"
  # Debian's own build takes the last two patches off again: they rename the
  # library for its GnuTLS and NSS variants.
  for variant in 99_nss 90_gnutls; do
    if grep -qx "$variant.patch" "$src/debian/patches/series"; then
      patch -d "$src" -R -p1 -s < "$src/debian/patches/$variant.patch"
    fi
  done
  # The patches that touch configure.ac or Makefile.am concern LDAP,
  # Kerberos and zsh, none of which this build has: configure as shipped.
  (cd "$src" && ./configure -q --host=x86_64-w64-mingw32 --with-schannel --disable-shared --enable-static \
      --without-zlib --without-brotli --without-zstd --without-libpsl --disable-ldap --disable-ldaps \
      --without-libidn2 --without-nghttp2 --disable-manual --disable-docs --disable-threaded-resolver \
      LDFLAGS=-static >/dev/null && make -s -j"$(nproc)" >/dev/null)
  mkdir -p "$CURL_CACHE_DIR"
  cp "$src/src/curl.exe" "$CURL_EXE.tmp" && mv "$CURL_EXE.tmp" "$CURL_EXE"
  rm -rf "$work"
fi

# SQLite: the amalgamation made from Debian's patched source tree, compiled
# into a static library.
if [ ! -s "$SQLITE_CACHE_DIR/libsqlite3.a" ] || [ ! -s "$SQLITE_CACHE_DIR/sqlite3.h" ]; then
  echo "bootstrap: building SQLite $SQLITE_DEBIAN_VERSION for Windows (about a minute)"
  work="$QUORVIX_CACHE_DIR/sqlite-build-$SQLITE_DEBIAN_VERSION"
  unpack_debian_source "$work" sqlite3 "$SQLITE_DEBIAN_VERSION" "$SQLITE_DEBIAN_FILES"
  src="$work/src"
  (cd "$src" && ./configure -q >/dev/null && make -s sqlite3.c >/dev/null)
  x86_64-w64-mingw32-gcc -O2 -DSQLITE_THREADSAFE=1 -DSQLITE_DEFAULT_WAL_SYNCHRONOUS=1 \
      -DSQLITE_OMIT_LOAD_EXTENSION -DSQLITE_DQS=0 -c "$src/sqlite3.c" -o "$work/sqlite3.o"
  x86_64-w64-mingw32-ar rcs "$work/libsqlite3.a" "$work/sqlite3.o"
  mkdir -p "$SQLITE_CACHE_DIR"
  cp "$src/sqlite3.h" "$SQLITE_CACHE_DIR/sqlite3.h"
  mv "$work/libsqlite3.a" "$SQLITE_CACHE_DIR/libsqlite3.a"
  rm -rf "$work"
fi
echo "bootstrap: ready (curl.exe at $CURL_EXE, SQLite in $SQLITE_CACHE_DIR)"

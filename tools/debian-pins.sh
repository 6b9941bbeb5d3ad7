# The Debian source packages that curl.exe and SQLite are built from, pinned
# to one revision and its files' SHA-256, and the cache folders they are built
# into. Sourced by tools/bootstrap.sh and tools/build-windows.sh; the README
# says how to move a pin.

DEBIAN_SOURCE_SUITE="bookworm"

CURL_DEBIAN_VERSION="7.88.1-10+deb12u15"
CURL_DEBIAN_FILES="
2744f12e3aef161c0361743fa1b318296b122e566e47f381e4a63320fbcc23f4  curl_7.88.1-10+deb12u15.dsc
cdb38b72e36bc5d33d5b8810f8018ece1baa29a8f215b4495e495ded82bbf3c7  curl_7.88.1.orig.tar.gz
961b78bc48492c5693e4decb352ddd176f343260a8956f48b2887874048ef23b  curl_7.88.1-10+deb12u15.debian.tar.xz
"

SQLITE_DEBIAN_VERSION="3.40.1-2+deb12u2"
SQLITE_DEBIAN_FILES="
ee3459ae9d00939741c7708fc1b8ce1bde12d8c3fb1dfa005bbbc8651d884e23  sqlite3_3.40.1-2+deb12u2.dsc
aaa776260ab4dc976db34aa7891819484c8676b5b2783123ebc6301e2ca5d655  sqlite3_3.40.1.orig.tar.xz
a5e95a18d1b59729278860559ded78751b9163ffb5bb906c5cd24c015f71d5fd  sqlite3_3.40.1.orig-www.tar.xz
0843bc12e4364076477935ce313a6d0796fd899a989ff18ebb6545540e10e4ca  sqlite3_3.40.1-2+deb12u2.debian.tar.xz
"

# A folder per Debian revision: a build of another revision never reads a
# cache made from this one.
QUORVIX_CACHE_DIR="${QUORVIX_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quorvix}"
CURL_CACHE_DIR="$QUORVIX_CACHE_DIR/curl-$CURL_DEBIAN_VERSION"
SQLITE_CACHE_DIR="$QUORVIX_CACHE_DIR/sqlite-$SQLITE_DEBIAN_VERSION"

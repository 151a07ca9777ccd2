#!/usr/bin/env bash
# Installs everything the build and the tests need; a warm machine pays nothing.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
DEPS="$ROOT/.deps"
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi

PKGS="cmake g++ make libpng-dev zlib1g-dev googletest libgtest-dev libbenchmark-dev \
g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix libz-mingw-w64-dev \
wine64 xvfb x11-utils fonts-liberation dpkg-dev binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 \
libsndfile1-dev \
bubblewrap debootstrap qemu-user-static qemu-system-x86 cpio libc6-dev"

missing=""
for p in $PKGS; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done
if [ -n "$missing" ]; then
  echo "setup: installing$missing"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
fi

# libpng for the mingw targets: cross-built from Debian's source package, cached in .deps.
need_png=0
for t in x86_64-w64-mingw32 i686-w64-mingw32; do
  [ -f "$DEPS/$t/lib/libpng16.a" ] || need_png=1
done
if [ "$need_png" = 1 ]; then
  SRCLIST=/etc/apt/sources.list.d/debian-src.sources
  if ! grep -rqs "deb-src" /etc/apt/sources.list.d/ /etc/apt/sources.list 2>/dev/null; then
    # the source packages come from the mirror the machine's packages come from
    source "$ROOT/tools/apt-mirror.sh"
    corvane_apt_mirror || exit 1
    echo "setup: adding a deb-src entry for $CORVANE_MIRROR ($CORVANE_MIRROR_SUITES)"
    $SUDO tee "$SRCLIST" >/dev/null <<SRC
Types: deb-src
URIs: $CORVANE_MIRROR
Suites: $CORVANE_MIRROR_SUITES
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    $SUDO apt-get update -qq
  fi
  mkdir -p "$DEPS/src"
  if ! ls -d "$DEPS"/src/libpng1.6-*/ >/dev/null 2>&1; then
    (cd "$DEPS/src" && apt-get source -qq libpng1.6 >/dev/null)
  fi
  PNGSRC="$(ls -d "$DEPS"/src/libpng1.6-*/ | head -1)"
  for t in x86_64-w64-mingw32 i686-w64-mingw32; do
    [ -f "$DEPS/$t/lib/libpng16.a" ] && continue
    echo "setup: building libpng for $t"
    extra=""
    [ "$t" = i686-w64-mingw32 ] && extra="-msse2 -mfpmath=sse"
    cmake -S "$PNGSRC" -B "$DEPS/build-png-$t" -G "Unix Makefiles" \
      -DCMAKE_SYSTEM_NAME=Windows \
      -DCMAKE_C_COMPILER="$t-gcc-posix" \
      -DCMAKE_RC_COMPILER="$t-windres" \
      -DCMAKE_FIND_ROOT_PATH="/usr/$t" \
      -DCMAKE_FIND_ROOT_PATH_MODE_LIBRARY=ONLY -DCMAKE_FIND_ROOT_PATH_MODE_INCLUDE=ONLY \
      -DCMAKE_FIND_ROOT_PATH_MODE_PROGRAM=NEVER \
      -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS="-O2 $extra" \
      -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -DPNG_TOOLS=OFF \
      -DZLIB_LIBRARY="/usr/$t/lib/libz.a" -DZLIB_INCLUDE_DIR="/usr/$t/include" \
      -DCMAKE_INSTALL_PREFIX="$DEPS/$t" >/dev/null
    cmake --build "$DEPS/build-png-$t" -j"$(nproc)" >/dev/null
    cmake --install "$DEPS/build-png-$t" >/dev/null
    # the static archive name differs between libpng versions; keep one stable name
    if [ ! -f "$DEPS/$t/lib/libpng16.a" ]; then
      a="$(ls "$DEPS/$t"/lib/libpng*.a | head -1)"; cp "$a" "$DEPS/$t/lib/libpng16.a"
    fi
  done
fi
# The x86 tests' machine: an i386 Debian root with 32-bit Wine, and a kernel to run it on.
$SUDO "$ROOT/tools/x86vm/setup.sh"
echo "setup: done"

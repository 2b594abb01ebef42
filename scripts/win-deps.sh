#!/usr/bin/env bash
# Builds the Windows x64 libraries the DLL links against, from Debian bookworm
# source packages, with the mingw-w64 cross compilers:
#
#   iconv.dll      win_iconv (from glib2.0's sources), iconv on the Win32 code-page API
#   libintl-8.dll  gettext-runtime/intl
#   libpq.dll      postgresql-15 (client library only, no TLS: Debian has no mingw OpenSSL)
#   libgmp.a, libmpfr.a   static, linked into the DLL
#
#   win-deps.sh [prefix]      prints the prefix on its last line
#
# The prefix defaults to $OCICOMPAT_WIN_DEPS or ~/.cache/ocicompat-win/deps-<key>,
# <key> naming the source versions, so it stays outside the clone. A finished
# prefix carries the marker file .complete and a second run returns at once;
# each library also has its own marker, so an interrupted run resumes.
# Needs: g++-mingw-w64-x86-64 gcc-mingw-w64-x86-64 mingw-w64-tools (the -posix
# compilers), make, m4, and network access to the Debian archive.
set -euo pipefail

HOST=x86_64-w64-mingw32
KEY=bookworm-pg15-1
PREFIX=${1:-${OCICOMPAT_WIN_DEPS:-${XDG_CACHE_HOME:-$HOME/.cache}/ocicompat-win/deps-$KEY}}
JOBS=${OCICOMPAT_JOBS:-2}

log() { printf 'win-deps: %s\n' "$*" >&2; }
die() { log "$*"; exit 1; }

if [ -f "$PREFIX/.complete" ]; then
  log "complete: $PREFIX"
  echo "$PREFIX"
  exit 0
fi

for tool in $HOST-gcc-posix $HOST-g++-posix $HOST-dlltool make m4; do
  command -v "$tool" >/dev/null || die "missing $tool (apt-get install g++-mingw-w64-x86-64 gcc-mingw-w64-x86-64 mingw-w64-tools make m4)"
done

mkdir -p "$PREFIX"/{bin,lib,include}
PREFIX=$(cd "$PREFIX" && pwd)
WORK="$PREFIX/.work"
mkdir -p "$WORK"

export CC=$HOST-gcc-posix CXX=$HOST-g++-posix
export AR=$HOST-ar RANLIB=$HOST-ranlib STRIP=$HOST-strip
export DLLTOOL=$HOST-dlltool WINDRES=$HOST-windres

# --- sources: one private apt configuration holding the bookworm main deb-src line
APT="$WORK/apt"
apt_source() {   # apt_source <package> : downloads its source files into $WORK/src
  if [ ! -f "$APT/.updated" ]; then
    local uri
    uri=$(sed -n 's/^URIs:[[:space:]]*//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n 1)
    [ -n "$uri" ] || uri=$(sed -n 's/^deb[[:space:]]\+\(http[^[:space:]]*\)[[:space:]]\+bookworm[[:space:]].*/\1/p' /etc/apt/sources.list 2>/dev/null | head -n 1)
    [ -n "$uri" ] || uri=http://deb.debian.org/debian
    mkdir -p "$APT/parts" "$APT/lists/partial" "$APT/archives/partial"
    printf 'deb-src %s bookworm main\n' "$uri" >"$APT/parts/src.list"
    apt-get -q -o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$APT/parts" \
      -o Dir::State::Lists="$APT/lists" -o APT::Sandbox::User=root update >&2
    : >"$APT/.updated"
  fi
  mkdir -p "$WORK/src"
  (cd "$WORK/src" && apt-get -q -o Dir::Etc::SourceList=/dev/null \
     -o Dir::Etc::SourceParts="$APT/parts" -o Dir::State::Lists="$APT/lists" \
     -o APT::Sandbox::User=root source --download-only "$1" >&2)
}

unpack() {   # unpack <package> <orig tarball glob> : prints the unpacked directory
  local pkg=$1 pattern=$2 tarball dir
  tarball=$(ls "$WORK"/src/$pattern 2>/dev/null | head -n 1 || true)
  if [ -z "$tarball" ]; then
    apt_source "$pkg"
    tarball=$(ls "$WORK"/src/$pattern | head -n 1)
  fi
  dir="$WORK/build/$pkg"
  rm -rf "$dir"
  mkdir -p "$dir"
  tar -xf "$tarball" -C "$dir" --strip-components=1
  echo "$dir"
}

step() {   # step <name> <function>
  local t0=$SECONDS
  if [ -f "$PREFIX/.done-$1" ]; then
    log "$1: present"
    return 0
  fi
  log "$1: building"
  "$2"
  : >"$PREFIX/.done-$1"
  log "$1: done in $((SECONDS - t0)) s"
}

build_iconv() {
  local d
  d=$(unpack glib2.0 'glib2.0_*.orig.tar.*')
  cd "$d/glib"
  # win_iconv.c is public domain; built with its own export list.
  $CC -O2 -DMAKE_DLL -shared win_iconv.c -o "$PREFIX/bin/iconv.dll" \
    -Wl,--out-implib,"$PREFIX/lib/libiconv.dll.a"
  cp "$PREFIX/lib/libiconv.dll.a" "$PREFIX/lib/libiconv.a"
  cat >"$PREFIX/include/iconv.h" <<'H'
#ifndef ICONV_H
#define ICONV_H
#include <stddef.h>
#ifdef __cplusplus
extern "C" {
#endif
typedef void *iconv_t;
__declspec(dllimport) iconv_t iconv_open(const char *tocode, const char *fromcode);
__declspec(dllimport) int iconv_close(iconv_t cd);
__declspec(dllimport) size_t iconv(iconv_t cd, char **inbuf, size_t *inbytesleft,
                                   char **outbuf, size_t *outbytesleft);
#ifdef __cplusplus
}
#endif
#endif
H
  rm -rf "$d"
}

build_intl() {
  local d
  d=$(unpack gettext 'gettext_*.orig.tar.*')
  cd "$d/gettext-runtime"
  ./configure -q --host=$HOST --prefix="$PREFIX" --enable-shared --disable-static \
    --disable-java --disable-csharp --disable-libasprintf --disable-openmp \
    --disable-rpath \
    CPPFLAGS="-I$PREFIX/include" LDFLAGS="-L$PREFIX/lib" >&2
  # direct.h declares _wgetcwd, which intl otherwise calls undeclared.
  make -s -j"$JOBS" -C intl CFLAGS="-O2 -include direct.h" >&2
  make -s -C intl install >&2
  [ -f "$PREFIX/lib/libintl.dll.a" ] && cp "$PREFIX/lib/libintl.dll.a" "$PREFIX/lib/libintl.a"
  rm -rf "$d"
}

build_gmp() {
  local d
  d=$(unpack gmp 'gmp_*.orig.tar.*')
  cd "$d"
  # Debian's tarball leaves out the manual; an empty doc directory stands in.
  if [ ! -f doc/Makefile.in ]; then
    mkdir -p doc
    printf 'all:\n.DEFAULT:\n\t@:\n' >doc/Makefile.in
  fi
  ./configure -q --host=$HOST --prefix="$PREFIX" --enable-static --disable-shared >&2
  make -s -j"$JOBS" >&2
  make -s install >&2
  rm -rf "$d"
}

build_mpfr() {
  local d
  d=$(unpack mpfr4 'mpfr4_*.orig.tar.*')
  cd "$d"
  ./configure -q --host=$HOST --prefix="$PREFIX" --enable-static --disable-shared \
    --with-gmp="$PREFIX" >&2
  make -s -j"$JOBS" -C src >&2
  make -s -C src install >&2
  make -s install-pkgconfigDATA install-nodist_includeHEADERS >&2 2>/dev/null || true
  rm -rf "$d"
}

build_libpq() {
  local d
  d=$(unpack postgresql-15 'postgresql-15_*.orig.tar.*')
  cd "$d"
  ./configure -q --host=$HOST --prefix="$PREFIX" --without-readline --without-zlib \
    --without-icu --without-openssl >&2
  make -s -j"$JOBS" -C src/interfaces/libpq >&2
  make -s -C src/include install >&2
  make -s -C src/interfaces/libpq install >&2
  rm -rf "$d"
}

step iconv build_iconv
step intl build_intl
step gmp build_gmp
step mpfr build_mpfr
step libpq build_libpq

rm -rf "$WORK"
echo "$KEY" >"$PREFIX/.complete"
log "complete: $PREFIX"
echo "$PREFIX"

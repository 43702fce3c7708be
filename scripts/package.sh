#!/usr/bin/env bash
# Builds the 32-bit release (build-win32) and writes the download package
# dist/corvana-1.2a-win32.zip: Corvana.exe, cv_help.chm, readme.txt (Japanese
# and English) and runtime-licenses.txt, the licence notices of the runtime
# libraries linked into the program (GCC's libstdc++ and libgcc, winpthreads),
# taken from the installed mingw-w64 packages.
#
#   scripts/package.sh
#
# Two runs from the same commit give the same bytes: the program and the help
# file are built without time stamps (cmake/windows.cmake), every file in the
# archive has the commit's date, and the archive holds no extra attributes.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
JOBS=${JOBS:-2}
BUILD="$ROOT/build-win32"
DIST="$ROOT/dist"
ZIP="$DIST/corvana-1.2a-win32.zip"
DOC=/usr/share/doc

# shellcheck source=scripts/windows-env.sh
. "$ROOT/scripts/windows-env.sh"
corvana_install_packages

echo "Building the 32-bit release in $BUILD"
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD" -j "$JOBS" --target Corvana corvana_help >/dev/null
[ -f "$BUILD/cv_help.chm" ] || { echo "package: no cv_help.chm was built" >&2; exit 1; }

STAGE="$BUILD/package"
rm -rf "$STAGE"
mkdir -p "$STAGE" "$DIST"
cp "$BUILD/Corvana.exe" "$BUILD/cv_help.chm" "$STAGE/"

# Text files for Windows: CRLF line ends; the read-me with a UTF-8 byte
# order mark so that Notepad shows its Japanese on any Windows.
crlf() { sed 's/$/\r/'; }
{ printf '\357\273\277'; crlf <"$ROOT/docs/package-readme.txt"; } >"$STAGE/readme.txt"

# Prints the lines of FILE from the first line matching FROM up to the first
# later line matching TO; fails when either is missing.
section() {
  awk -v from="$2" -v to="$3" '
    !on && $0 ~ from { on = 1; print; next }
    on { print }
    on && $0 ~ to { done = 1; exit }
    END { exit !done }' "$1" || {
    echo "package: no '$2' ... '$3' in $1" >&2
    return 1
  }
}

# Prints the paragraphs of FILE whose first line is FIRST and that have
# more lines than that one (a licence text, not a mention of its name).
paragraph() {
  awk -v first="$2" '
    BEGIN { RS = "" }
    { split($0, line, "\n") }
    line[1] == first && index($0, "\n") { print; print ""; n++ }
    END { exit !n }' "$1" || {
    echo "package: no paragraph '$2' in $1" >&2
    return 1
  }
}

gcc_copyright="$DOC/gcc-mingw-w64-base/copyright"
mingw_copyright="$DOC/mingw-w64-common/copyright"
gcc_version=$(dpkg-query -W -f='${Version}' gcc-mingw-w64-base)
mingw_version=$(dpkg-query -W -f='${Version}' mingw-w64-common)
{
  cat <<EOF
Runtime libraries in Corvana.exe
================================

Corvana.exe is linked statically with these runtime libraries of the
mingw-w64 compiler (GCC $gcc_version, mingw-w64 $mingw_version):

- libstdc++ and libgcc, the C++ and support runtime of GCC: GNU General
  Public License, version 3 or later, with the GCC Runtime Library
  Exception, version 3.1 (below). The text of the GPL version 3 is at
  https://www.gnu.org/licenses/gpl-3.0.html
- winpthreads, the POSIX threads library of mingw-w64: the licences below.

The notices are those of the Debian packages gcc-mingw-w64-base and
mingw-w64-common ($gcc_copyright and $mingw_copyright).


1. libstdc++ and libgcc
-----------------------

EOF
  section "$gcc_copyright" '^The following runtime libraries are licensed' '^ - libgfortran'
  echo
  section "$gcc_copyright" '^GCC RUNTIME LIBRARY EXCEPTION' 'requirements of the license of GCC\.'
  cat <<EOF


2. winpthreads
--------------

EOF
  paragraph "$mingw_copyright" 'Files: mingw-w64-libraries/winpthreads/*'
  paragraph "$mingw_copyright" 'Files: mingw-w64-libraries/winpthreads/include/pthread.h'
  paragraph "$mingw_copyright" 'Files: mingw-w64-libraries/winpthreads/src/clock.c'
  paragraph "$mingw_copyright" 'Files: mingw-w64-libraries/winpthreads/src/libgcc/dll_math.c'
  paragraph "$mingw_copyright" 'License: expat'
  paragraph "$mingw_copyright" 'License: BSD-3-clause'
} | crlf >"$STAGE/runtime-licenses.txt"

# Fixed dates: the commit's time, in UTC; the names in sorted order; no extra
# attributes (-X) and no folder entries (-D).
stamp=${SOURCE_DATE_EPOCH:-$(git -C "$ROOT" log -1 --format=%ct)}
export TZ=UTC
export LC_ALL=C
touch -d "@$stamp" "$STAGE"/*
chmod 644 "$STAGE"/*
rm -f "$ZIP"
(cd "$STAGE" && printf '%s\n' * | sort | zip -q -X -D "$ZIP" -@)
echo "Package: $ZIP ($(stat -c %s "$ZIP") bytes, sha256 $(sha256sum "$ZIP" | cut -c1-64))"

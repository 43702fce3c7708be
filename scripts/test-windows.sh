#!/usr/bin/env bash
# The Windows side of the tests: builds Corvana for i686 (the release) and
# x86_64, and on a virtual display runs the GoogleTest suite of the real
# window and the end-to-end script on both, each under its own Wine (32-bit,
# 64-bit); then makes the download package and tests it. Where this machine
# does not run 32-bit programs (or CORVANA_NO_32BIT=1), the runs of the i686
# program are skipped with a line that says why. Exits non-zero on any failure.
#
#   scripts/test-windows.sh [--update-docs]
#
# --update-docs copies the 64-bit end-to-end run's screenshots into docs/.
# Build folders: build-win32, build-win64. Wine prefix: CORVANA_WINEPREFIX,
# by default ~/.cache/corvana-wine (made once, with the Japanese locale).
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
JOBS=${JOBS:-2}
UPDATE_DOCS=0
[ "${1:-}" = "--update-docs" ] && UPDATE_DOCS=1

# shellcheck source=scripts/windows-env.sh
. "$ROOT/scripts/windows-env.sh"
CORVANA_32BIT=0
corvana_runs_32bit && CORVANA_32BIT=1
corvana_install_packages
[ $CORVANA_32BIT -eq 1 ] || echo "test-windows: the 32-bit run is skipped: $CORVANA_NO_32BIT_REASON"
corvana_make_locale

export CORVANA_WINEPREFIX=${CORVANA_WINEPREFIX:-$HOME/.cache/corvana-wine}
export WINEPREFIX=$CORVANA_WINEPREFIX
mkdir -p "$(dirname "$WINEPREFIX")"

build() {
  local arch=$1 dir=$2
  cmake -S "$ROOT" -B "$ROOT/$dir" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  if ! cmake --build "$ROOT/$dir" -j "$JOBS" >"$ROOT/$dir/build.log" 2>&1; then
    tail -30 "$ROOT/$dir/build.log" >&2
    echo "test-windows: the $arch build failed" >&2
    return 1
  fi
  if grep -E "warning:|error:" "$ROOT/$dir/build.log" >&2; then
    echo "test-windows: the $arch build has warnings (see $dir/build.log)" >&2
    return 1
  fi
}

echo "== Building for i686 and x86_64"
build i686 build-win32
build x86_64 build-win64

corvana_start_xvfb
cleanup() {
  wineserver -k 2>/dev/null || true
  kill "$CORVANA_XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT
# Keeps one Wine server for all the test programs, 32-bit and 64-bit; the
# first start also makes the prefix (wine-run).
"$ROOT/cmake/wine-run" cmd /c exit >/dev/null 2>&1 || true
wineserver -p 60 || true

# A test of the window that fails is run once more: keys posted into a
# menu loop under Wine are timing-dependent, and a real fault fails twice.
window_tests() {  # build folder, name
  echo "== Tests of the real window, $2, under Wine (display $DISPLAY)"
  local start
  start=$(date +%s)
  (cd "$ROOT/$1" && ctest --output-on-failure -j "$JOBS" --timeout 600 --repeat until-pass:2)
  echo "   ($(($(date +%s) - start)) s)"
}

end_to_end() {  # build folder, name
  echo "== End to end, $2"
  local start
  start=$(date +%s)
  "$ROOT/tests/e2e/run-e2e.sh" "$ROOT/$1" "$ROOT/$1/e2e"
  echo "   ($(($(date +%s) - start)) s)"
}

window_tests build-win64 x86_64
end_to_end build-win64 x86_64
if [ $CORVANA_32BIT -eq 1 ]; then
  window_tests build-win32 "i686 (the release)"
  end_to_end build-win32 "i686 (the release)"
fi

echo "== The download package"
start=$(date +%s)
"$ROOT/scripts/package.sh"
echo "   ($(($(date +%s) - start)) s)"
if [ $CORVANA_32BIT -eq 1 ]; then
  start=$(date +%s)
  "$ROOT/tests/e2e/run-package.sh" "$ROOT/dist/corvana-1.2a-win32.zip" "$ROOT/build-win32/package-test"
  echo "   ($(($(date +%s) - start)) s)"
else
  echo "test-windows: the package test is skipped: $CORVANA_NO_32BIT_REASON"
fi

if [ $UPDATE_DOCS -eq 1 ]; then
  cp "$ROOT"/build-win64/e2e/board-*.png "$ROOT/docs/"
  echo "Screenshots copied to docs/"
fi
echo "test-windows: all passed"

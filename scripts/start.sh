#!/usr/bin/env bash
# Builds Corvana and starts it under Wine with the Japanese locale: the 32-bit
# release (build-win32) where this machine runs 32-bit programs, the 64-bit
# build (build-win64) otherwise (or with CORVANA_NO_32BIT=1); it says which.
# On a desktop it opens on your display. Without a display (no DISPLAY), it
# starts on a virtual display, saves a screenshot of the window, says where,
# and ends the program.
#
#   scripts/start.sh
#
# Installs what it needs with apt-get (mingw-w64, wine, wine64, and wine32
# where 32-bit programs run, Xvfb, the IPA Gothic font, fp-utils for the help
# file). Wine prefix: CORVANA_USER_PREFIX, by default
# ~/.local/share/corvana/wine.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/windows-env.sh
. "$ROOT/scripts/windows-env.sh"
CORVANA_32BIT=0
corvana_runs_32bit && CORVANA_32BIT=1
corvana_install_packages
corvana_make_locale

if [ $CORVANA_32BIT -eq 1 ]; then
  BUILD="$ROOT/build-win32"
  TOOLCHAIN="$ROOT/cmake/mingw-i686.cmake"
  WINE=/usr/lib/wine/wine
  WHICH="the 32-bit release (build-win32)"
else
  BUILD="$ROOT/build-win64"
  TOOLCHAIN="$ROOT/cmake/mingw-x86_64.cmake"
  WINE=/usr/lib/wine/wine64
  WHICH="the 64-bit build (build-win64), as the 32-bit release cannot run: $CORVANA_NO_32BIT_REASON"
fi
[ -x "$WINE" ] || WINE=wine
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD" -j 2 --target Corvana corvana_help >/dev/null

export WINEPREFIX=${CORVANA_USER_PREFIX:-$HOME/.local/share/corvana/wine}
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all
export LC_ALL=ja_JP.UTF-8
if [ ! -d "$WINEPREFIX" ]; then
  # Wine makes the prefix folder itself, but not its parents.
  mkdir -p "$(dirname "$WINEPREFIX")"
  echo "Making the Wine prefix $WINEPREFIX (once)"
  wineboot -i >/dev/null 2>&1
  wineserver -w
elif [ $CORVANA_32BIT -eq 1 ] && [ ! -e "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
  echo "Adding the 32-bit half to the Wine prefix $WINEPREFIX (once)"
  wineboot -u >/dev/null 2>&1
  wineserver -w
fi
echo "Starting $WHICH"

if [ -n "${DISPLAY:-}" ]; then
  cd "$BUILD"
  exec "$WINE" ./Corvana.exe
fi

# No display: a virtual one, a screenshot, and the end.
corvana_start_xvfb
cd "$BUILD"
"$WINE" ./Corvana.exe >/dev/null 2>&1 &
corvana_pid=$!
window=$(corvana_find_window 150)
status=0
if [ -n "$window" ]; then
  sleep 1
  shot="$BUILD/corvana-screenshot.png"
  eval "$(xdotool getwindowgeometry --shell "$window")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$shot"
  echo "No display: Corvana ran on the virtual display $DISPLAY; screenshot saved to $shot"
else
  echo "Corvana's window did not appear" >&2
  status=1
fi
kill "$corvana_pid" 2>/dev/null || true
wineserver -k 2>/dev/null || true
kill "$CORVANA_XVFB_PID" 2>/dev/null || true
exit $status

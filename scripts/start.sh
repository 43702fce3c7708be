#!/usr/bin/env bash
# Builds Corvana (x86_64) and starts it under Wine with the Japanese locale.
# On a desktop it opens on your display. Without a display (no DISPLAY), it
# starts on a virtual display, saves a screenshot of the window, says where,
# and ends the program.
#
#   scripts/start.sh
#
# Installs what it needs with apt-get (mingw-w64, wine, wine64, Xvfb, the
# IPA Gothic font, fp-utils for the help file); never wine32. Wine prefix:
# CORVANA_USER_PREFIX, by default ~/.local/share/corvana/wine.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/windows-env.sh
. "$ROOT/scripts/windows-env.sh"
corvana_install_packages
corvana_make_locale

BUILD="$ROOT/build-win64"
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j 2 --target Corvana corvana_help >/dev/null

export WINEPREFIX=${CORVANA_USER_PREFIX:-$HOME/.local/share/corvana/wine}
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all
export LC_ALL=ja_JP.UTF-8
WINE=wine
[ -x /usr/lib/wine/wine64 ] && WINE=/usr/lib/wine/wine64
if [ ! -d "$WINEPREFIX" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  echo "Making the Wine prefix $WINEPREFIX (once)"
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi

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

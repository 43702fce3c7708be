#!/bin/sh
# Runs the random user (corvana_random_user.exe, beside Corvana.exe in the
# build folder) under Wine on the X display; skipped with a line saying why
# where there is no Wine or no display. Seed and length: see random_user.cpp.
#
#   run.sh WINE_RUN DRIVER [ARGUMENTS...]
wine_run=$1
shift
if ! command -v wine >/dev/null 2>&1; then
  echo "random-user: skipped: Wine is not installed (scripts/test-windows.sh installs it)"
  exit 77
fi
if [ -z "${DISPLAY:-}" ] || ! xdotool getdisplaygeometry >/dev/null 2>&1; then
  echo "random-user: skipped: no X display (scripts/test-windows.sh runs it on Xvfb)"
  exit 77
fi
exec "$wine_run" "$@"

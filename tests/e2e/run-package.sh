#!/usr/bin/env bash
# The download package as a user meets it: unpacks the zip into a folder whose
# path holds spaces and Japanese characters, starts Corvana.exe from there
# under Wine with the Japanese locale, types a puzzle, solves it through the
# menu, saves its clues beside the program through the save dialog, clears
# the board, loads the file back through the open dialog, and opens the help
# with F1.
#
# Usage: run-package.sh ZIP WORK_DIR   (DISPLAY must name a display that has
# no window manager, such as a fresh Xvfb; the program's Wine must be able to
# run it: for the 32-bit release, wine32)
set -euo pipefail

ZIP=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
WORK=$2
HERE=$(cd "$(dirname "$0")" && pwd)
WINE_RUN="$HERE/../../cmake/wine-run"
# shellcheck source=scripts/windows-env.sh
. "$HERE/../../scripts/windows-env.sh"

fail() {
  echo "package test: FAIL: $*" >&2
  exit 1
}

# top95 #1, a puzzle with one solution, and that solution.
PUZZLE=$(awk '/^= top95 #1 /{ getline; print; exit }' "$HERE/../data/corpus.txt")
read -r -a SOLUTION <<<"$(awk '/^= top95 #1 /{ getline; getline; print; exit }' "$HERE/../data/corpus.txt")"
[ ${#PUZZLE} -eq 81 ] && [ ${#SOLUTION[@]} -eq 81 ] || fail "top95 #1 not found in tests/data/corpus.txt"

rm -rf "$WORK"
APP="$WORK/Corvana 1.2a テスト/数独 ソルバー"
mkdir -p "$APP"
unzip -q "$ZIP" -d "$APP"
listed=$(cd "$APP" && find . -type f | sort | tr '\n' ' ')
[ "$listed" = "./Corvana.exe ./cv_help.chm ./readme.txt ./runtime-licenses.txt " ] ||
  fail "the package holds: $listed"
grep -q 'キー操作' "$APP/readme.txt" && grep -q '^Keys' "$APP/readme.txt" ||
  fail "readme.txt lacks the Japanese or the English key list"
grep -q 'GCC RUNTIME LIBRARY EXCEPTION' "$APP/runtime-licenses.txt" &&
  grep -q 'winpthreads' "$APP/runtime-licenses.txt" ||
  fail "runtime-licenses.txt lacks the GCC runtime exception or winpthreads"

SHOT="$WORK/screen.png"
CELLS="$WORK/cells.txt"
pixel() { convert "$SHOT" -crop "1x1+$1+$2" -format '%[hex:p{0,0}]' info: | cut -c1-6; }

# Takes a screenshot and reads each cell of the 9 x 9 board (160 pixels in
# from the client area's corner) from the cell's square, the 17 x 17 pixels
# within its grid lines: "x y RRGGBB count" for each colour there, and
# "x y glyph SHAPE", the places of the pixels that are neither white nor the
# grey of the selected cell, which is the same for the same digit whatever
# its colour.
shot() {
  import -window root "$SHOT"
  [ -n "${CX:-}" ] || return 0
  convert "$SHOT" -crop "180x180+$((CX + 170))+$((CY + 170))" +repage -depth 8 txt:- |
    awk -F'[,: ]+' '/^[0-9]/ {
      x = $1 % 20; y = $2 % 20
      if (x < 2 || x > 18 || y < 2 || y > 18) next
      cell = int($1 / 20) " " int($2 / 20)
      for (i = 3; i <= NF; i++) if ($i ~ /^#[0-9A-F]+$/) {
        colour = substr($i, 2, 6)
        n[cell " " colour]++
        if (colour != "FFFFFF" && colour != "D5D5D5") shape[cell] = shape[cell] x "," y ";"
        break
      }
    }
    END {
      for (k in n) print k, n[k]
      for (k in shape) print k, "glyph", shape[k]
    }' >"$CELLS"
}

# The shape of the digit in cell (x, y) of the last screenshot.
glyph() { awk -v x="$1" -v y="$2" '$1 == x && $2 == y && $3 == "glyph" { print $4 }' "$CELLS"; }

# Number of cells that show a digit of colour RRGGBB in the last screenshot.
cells_with() { awk -v c="$1" '$3 == c && $4 > 3 { n++ } END { print n + 0 }' "$CELLS"; }

type_keys() {
  xdotool key --delay 30 "$@"
  sleep 0.3
}

# Visible windows other than Corvana's main window.
other_windows() { xdotool search --onlyvisible --name '.' 2>/dev/null | grep -vx "$WINDOW" || true; }

# Waits for a file dialog, types NAME into it and confirms; fails when no
# dialog appears or it does not close.
answer_dialog() {
  local dialog=""
  for _ in $(seq 1 50); do
    dialog=$(other_windows | head -1)
    [ -n "$dialog" ] && break
    sleep 0.2
  done
  [ -n "$dialog" ] || fail "no file dialog appeared for $1"
  sleep 0.5
  xdotool type --delay 40 "$1"
  type_keys Return
  for _ in $(seq 1 50); do
    [ -z "$(other_windows)" ] && return 0
    sleep 0.2
  done
  fail "the file dialog for $1 did not close"
}

# As for a user who has not run Corvana before: the file dialogs remember
# the folder Corvana.exe last used (the other test runs share this prefix),
# and here they must open in the folder the program starts from.
"$WINE_RUN" reg delete 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\ComDlg32\LastVisitedMRU' \
  /f >/dev/null 2>&1 || true

# Started from its own folder, as a double click in Explorer does.
(cd "$APP" && exec "$WINE_RUN" ./Corvana.exe) >"$WORK/corvana.log" 2>&1 &
CORVANA_PID=$!
HELP_PID=""
trap 'kill $CORVANA_PID $HELP_PID 2>/dev/null || true' EXIT

WINDOW=$(corvana_find_window 150)
[ -n "$WINDOW" ] || fail "the Corvana window did not appear"
sleep 1
eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
shot
# The client area starts with its light-blue frame line (right of the
# caption icon, which has the colour too).
CY=""
for row in $(seq 0 80); do
  if [ "$(pixel $((X + 100)) $((Y + row)))" = "DFDFFF" ]; then CY=$((Y + row)); break; fi
done
CX=""
for col in $(seq 0 20); do
  if [ -n "$CY" ] && [ "$(pixel $((X + col)) $((CY + 5)))" = "DFDFFF" ]; then CX=$((X + col)); break; fi
done
[ -n "$CX" ] && [ -n "$CY" ] || fail "no client area found"

# The puzzle, typed from the first cell (selected at start) with the right
# arrow, which walks on to the next row at the end of one.
keys=()
clues=0
for i in $(seq 0 80); do
  c=${PUZZLE:i:1}
  if [ "$c" = . ]; then keys+=(space); else keys+=("$c"); clues=$((clues + 1)); fi
  keys+=(Right)
done
type_keys "${keys[@]}"
shot
[ "$(cells_with FF0000)" -eq $clues ] || fail "$clues red clues expected, $(cells_with FF0000) shown"

# 検索(&R) → 検索開始 (&A): every empty cell gets a blue or black digit.
type_keys alt+r a
solved=0
for _ in $(seq 1 60); do
  sleep 0.5
  shot
  if [ $(($(cells_with 0000FF) + $(cells_with 000000))) -eq $((81 - clues)) ]; then
    solved=1
    break
  fi
done
[ $solved -eq 1 ] || fail "the puzzle was not solved: $(cells_with 0000FF) blue, $(cells_with 000000) black"
[ "$(cells_with FF0000)" -eq $clues ] || fail "the clues lost their red after solving"
# Each digit shown is the solution's: its shape is the shape of that digit in
# a clue, or, for a digit no clue has, one shape shared by all its cells and
# unlike every clue's.
declare -A shape_of
for i in $(seq 0 80); do
  c=${PUZZLE:i:1}
  [ "$c" = . ] || shape_of[$c]=$(glyph $((i % 9)) $((i / 9)))
done
declare -A clue_shapes
for d in "${!shape_of[@]}"; do clue_shapes[${shape_of[$d]}]=$d; done
for i in $(seq 0 80); do
  d=${SOLUTION[i]}
  got=$(glyph $((i % 9)) $((i / 9)))
  [ -n "$got" ] || fail "cell ($((i % 9)), $((i / 9))) shows no digit"
  if [ -z "${shape_of[$d]:-}" ]; then
    [ -z "${clue_shapes[$got]:-}" ] ||
      fail "cell ($((i % 9)), $((i / 9))) shows ${clue_shapes[$got]}, the solution has $d"
    shape_of[$d]=$got
  fi
  [ "$got" = "${shape_of[$d]}" ] || fail "cell ($((i % 9)), $((i / 9))) does not show $d, the solution's digit"
done

# システム (&S) → 入力データセーブ(&S), into the program's folder.
type_keys alt+s s
answer_dialog puzzle.cvn
saved="$APP/puzzle.cvn"
[ -f "$saved" ] || fail "no puzzle.cvn beside Corvana.exe"
# The file: a four-byte header ending in the size, then the clue digits only.
[ "$(stat -c %s "$saved")" -eq 85 ] || fail "puzzle.cvn has $(stat -c %s "$saved") bytes, not 85"
read -r -a bytes <<<"$(od -An -tu1 -v "$saved" | tr -s ' \n' '  ')"
[ "${bytes[3]}" -eq 9 ] || fail "puzzle.cvn is not for a 9 x 9 board"
for i in $(seq 0 80); do
  c=${PUZZLE:i:1}
  [ "$c" = . ] && c=0
  [ "${bytes[4 + i]}" -eq "$c" ] || fail "puzzle.cvn cell $i holds ${bytes[4 + i]}, the clue is $c"
done

# クリア(&C) → 全面クリア (&A), then システム → 入力データロード(&L).
type_keys alt+c a
shot
[ $(($(cells_with FF0000) + $(cells_with 0000FF) + $(cells_with 000000))) -eq 0 ] ||
  fail "the board was not cleared"
type_keys alt+s l
answer_dialog puzzle.cvn
sleep 0.5
shot
[ "$(cells_with FF0000)" -eq $clues ] || fail "$clues red clues expected after loading, $(cells_with FF0000) shown"
[ $(($(cells_with 0000FF) + $(cells_with 000000))) -eq 0 ] || fail "loading brought back solved digits"

# F1: the help file beside the program opens in the help viewer, whose
# title begins with the help file's title.
type_keys F1
help_window=$(corvana_find_window 75 '^Corvana ' "$WINDOW")
[ -n "$help_window" ] || fail "F1 opened no help window"
HELP_PID=$(xdotool getwindowpid "$help_window" 2>/dev/null || true)

rm -f "$SHOT"
echo "package test: passed in $APP"

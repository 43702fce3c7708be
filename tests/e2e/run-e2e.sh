#!/usr/bin/env bash
# End to end: starts Corvana.exe itself under Wine on an X display, enters a
# 9 x 9 puzzle with mouse clicks and digit keys, solves it through the menu by
# its keyboard mnemonics (Alt+R, A), steps to the next solution the same way,
# and checks the screen's pixels at each step. Then it shows the 16 x 16 and
# 25 x 25 boards, solves a 16 x 16 one, pastes a hard 25 x 25 puzzle through
# the X clipboard, solves it and copies it back out, and leaves screenshots of
# each in the output folder.
#
# Usage: run-e2e.sh BUILD_DIR OUTPUT_DIR   (DISPLAY must name a display that
# has no window manager, such as a fresh Xvfb)
set -euo pipefail

BUILD_DIR=$(cd "$1" && pwd)
OUT_DIR=$2
HERE=$(cd "$(dirname "$0")" && pwd)
WINE_RUN="$HERE/../../cmake/wine-run"
# shellcheck source=scripts/windows-env.sh
. "$HERE/../../scripts/windows-env.sh"
mkdir -p "$OUT_DIR"
SHOT="$OUT_DIR/screen.png"

fail() {
  echo "e2e: FAIL: $*" >&2
  exit 1
}

shot() { import -window root "$SHOT"; }

# Colour of a screen pixel as RRGGBB, from the last screenshot.
pixel() {
  convert "$SHOT" -crop "1x1+$1+$2" -format '%[hex:p{0,0}]' info: | cut -c1-6
}

# Client pixel (x, y) of the Corvana window.
client_pixel() { pixel $((CX + $1)) $((CY + $2)); }

expect_pixel() {
  local got
  got=$(client_pixel "$1" "$2")
  [ "$got" = "$3" ] || fail "$4: client pixel ($1, $2) is $got, expected $3"
}

# Count of pixels of one colour (RRGGBB) in the square of a cell of a board
# with offset OFF, from the last screenshot: the colour's line of the
# square's histogram, 0 when the colour is not there.
count_in_cell() {
  local off=$1 x=$2 y=$3 colour=${4^^}
  convert "$SHOT" -crop "17x17+$((CX + off + 20 * x + 12))+$((CY + off + 20 * y + 12))" +repage \
    -depth 8 -format '%c' histogram:info: |
    awk -v c="#$colour" '{ for (i = 2; i <= NF; i++) if ($i == c) { n += $1; break } } END { print n + 0 }'
}

cell_png() {
  convert "$SHOT" -crop "17x17+$((CX + $1 + 20 * $2 + 12))+$((CY + $1 + 20 * $3 + 12))" +repage "$4"
}

# Keeps the window's part of the last screenshot as OUT_DIR/NAME.png.
save_window() {
  convert "$SHOT" -crop "${WIDTH}x${HEIGHT}+${WX}+${WY}" +repage -strip \
    -define png:exclude-chunks=date,time "$OUT_DIR/$1.png"
}

click_cell() {
  xdotool mousemove $((CX + $1 + 20 + 20 * $2)) $((CY + $1 + 20 + 20 * $3)) click 1
}

type_keys() {
  xdotool key --delay 30 "$@"
  sleep 0.3
}

# Waits until the start-search item is usable again, seen through the solved
# cell (x, y) turning from white to a digit.
wait_for_digit() {
  local off=$1 x=$2 y=$3
  for _ in $(seq 1 100); do
    sleep 0.3
    shot
    [ "$(count_in_cell "$off" "$x" "$y" 000000)" -gt 3 ] && return 0
    [ "$(count_in_cell "$off" "$x" "$y" 0000FF)" -gt 3 ] && return 0
  done
  fail "no digit appeared in cell ($x, $y)"
}

# Started from another folder than its own, so help must be found beside it.
(cd "$OUT_DIR" && exec "$WINE_RUN" "$BUILD_DIR/Corvana.exe") >"$OUT_DIR/corvana.log" 2>&1 &
CORVANA_PID=$!
HELP_PID=""
trap 'kill $CORVANA_PID $HELP_PID 2>/dev/null || true' EXIT

WINDOW=$(corvana_find_window 100)
[ -n "$WINDOW" ] || fail "the Corvana window did not appear"
sleep 1
eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
WX=$X
WY=$Y
shot

# The client area starts with the light-blue frame line across its whole
# width; the caption icon (which has the colour too) is skipped by looking
# right of it.
CY=""
for row in $(seq 0 80); do
  if [ "$(pixel $((WX + 100)) $((WY + row)))" = "DFDFFF" ]; then CY=$((WY + row)); break; fi
done
[ -n "$CY" ] || fail "no client area found"
CX=""
for col in $(seq 0 20); do
  if [ "$(pixel $((WX + col)) $((CY + 5)))" = "DFDFFF" ]; then CX=$((WX + col)); break; fi
done
[ -n "$CX" ] || fail "no client area found"
echo "e2e: window at $WX,$WY, client area at $CX,$CY"

# The empty 9 x 9 board: grid lines, doubled box edges, the grey cursor cell.
OFF=160
expect_pixel 0 0 DFDFFF "frame"
expect_pixel 170 180 000000 "left grid line"
expect_pixel 171 180 000000 "doubled left edge"
expect_pixel 190 200 000000 "grid line 1"
expect_pixel 191 200 FFFFFF "single line 1"
expect_pixel 180 180 D5D5D5 "cursor cell (0, 0)"
expect_pixel 200 200 FFFFFF "empty cell (1, 1)"

# Row 0 gets 1 to 9 by clicking its first cell and typing with the right
# arrow; (0, 1) gets 4 and (4, 4) gets 8 by a click each. These clues fit the
# first solutions of the empty board, so the search's order is known.
click_cell $OFF 0 0
type_keys 1 Right 2 Right 3 Right 4 Right 5 Right 6 Right 7 Right 8 Right 9
click_cell $OFF 0 1
type_keys 4
click_cell $OFF 4 4
type_keys 9
click_cell $OFF 8 8
shot
for x in 0 4 8; do
  [ "$(count_in_cell $OFF $x 0 FF0000)" -gt 3 ] || fail "clue in cell ($x, 0) is not red"
done
[ "$(count_in_cell $OFF 4 4 FF0000)" -gt 3 ] || fail "clue in cell (4, 4) is not red"
expect_pixel $((OFF + 20 * 8 + 20)) $((OFF + 20 * 8 + 20)) D5D5D5 "cursor moved to (8, 8) by a click"
save_window board-9x9-clues

# Solve through the menu by its mnemonics: 検索(&R), 検索開始 (&A).
type_keys alt+r a
wait_for_digit $OFF 5 8
for x in 0 4; do
  [ "$(count_in_cell $OFF $x 0 FF0000)" -gt 3 ] || fail "clue ($x, 0) lost its red after solving"
done
[ "$(count_in_cell $OFF 2 7 FF0000)" -eq 0 ] || fail "a solved cell is red"
cell_png $OFF 2 7 "$OUT_DIR/first-2-7.png"
cell_png $OFF 2 0 "$OUT_DIR/first-2-0.png"
save_window board-9x9-solved

# The next solution changes only the last two rows: (2, 7) was 2, becomes 8.
type_keys alt+r a
sleep 1
shot
cell_png $OFF 2 7 "$OUT_DIR/second-2-7.png"
cell_png $OFF 2 0 "$OUT_DIR/second-2-0.png"
if compare -metric AE "$OUT_DIR/first-2-7.png" "$OUT_DIR/second-2-7.png" null: 2>/dev/null; then
  fail "cell (2, 7) did not change with the next solution"
fi
compare -metric AE "$OUT_DIR/first-2-0.png" "$OUT_DIR/second-2-0.png" null: 2>/dev/null ||
  fail "clue (2, 0) changed with the next solution"
save_window board-9x9-next

# 16 x 16 from システム (&S), 新規作成 (&N), second item.
type_keys alt+s n Down Return
sleep 0.5
shot
OFF=90
expect_pixel 100 110 000000 "16 x 16 left edge"
expect_pixel 101 110 000000 "16 x 16 doubled left edge"
expect_pixel 160 130 000000 "16 x 16 grid line 3"
expect_pixel 161 130 FFFFFF "16 x 16 single line 3"
expect_pixel 180 130 000000 "16 x 16 grid line 4"
expect_pixel 181 130 000000 "16 x 16 doubled box edge 4"
expect_pixel 190 190 FFFFFF "16 x 16 empty cell"
save_window board-16x16
click_cell $OFF 0 0
type_keys 1 6 Right 1 0 Right 5
click_cell $OFF 15 15
type_keys 1
type_keys alt+r a
wait_for_digit $OFF 7 15
[ "$(count_in_cell $OFF 0 0 FF0000)" -gt 3 ] || fail "16 x 16 clue is not red"
save_window board-16x16-solved

# 25 x 25, the third item.
type_keys alt+s n Down Down Return
sleep 0.5
shot
expect_pixel 10 20 000000 "25 x 25 left edge"
expect_pixel 11 20 000000 "25 x 25 doubled left edge"
expect_pixel 510 20 000000 "25 x 25 right edge"
expect_pixel 511 20 000000 "25 x 25 doubled right edge"
expect_pixel 20 20 D5D5D5 "25 x 25 cursor cell"
save_window board-25x25

# ---- Paste and copy through the X clipboard ----
# A hard 25 x 25 puzzle goes in from the X clipboard with Ctrl+V, as text
# copied in another program would, is solved through the menu, and the board
# comes back out with Ctrl+C; the text read from the X clipboard must be a
# valid 25 x 25 solution that holds every clue.
PASTE_PUZZLE="$HERE/../data/paste_hard_25x25.txt"
grep -v '^#' "$PASTE_PUZZLE" | xclip -selection clipboard -i
type_keys ctrl+v
sleep 0.5
shot
first_clue=$(grep -v '^#' "$PASTE_PUZZLE" | tr -s ' ' '\n' | grep -n -m1 -v '^0$' | cut -d: -f1)
first_clue=$((first_clue - 1))
[ "$(count_in_cell 0 $((first_clue % 25)) $((first_clue / 25)) FF0000)" -gt 3 ] ||
  fail "the pasted clue at cell $first_clue is not red"
expect_pixel 10 20 000000 "25 x 25 left edge after the paste"
save_window pasted-25x25
type_keys alt+r a
solved=""
for _ in $(seq 1 240); do
  sleep 0.5
  type_keys ctrl+c
  copied=$(xclip -selection clipboard -o 2>/dev/null | tr -d '\r' || true)
  if [ "$(printf '%s\n' "$copied" | grep -c .)" -eq 25 ] && ! printf '%s\n' "$copied" | grep -qw 0; then
    solved=$copied
    break
  fi
done
[ -n "$solved" ] || fail "no solved 25 x 25 board came out of the X clipboard"
printf '%s\n' "$solved" >"$OUT_DIR/pasted-25x25-solution.txt"
python3 - "$PASTE_PUZZLE" "$OUT_DIR/pasted-25x25-solution.txt" <<'PY' || fail "the copied board is no solution of the pasted puzzle"
import sys
clues = [int(v) for line in open(sys.argv[1]) if not line.startswith("#") for v in line.split()]
rows = [[int(v) for v in line.split()] for line in open(sys.argv[2]) if line.strip()]
assert len(rows) == 25 and all(len(r) == 25 for r in rows), "not 25 rows of 25"
cells = [v for r in rows for v in r]
want = set(range(1, 26))
units = [[r * 25 + c for c in range(25)] for r in range(25)]
units += [[r * 25 + c for r in range(25)] for c in range(25)]
units += [[(b // 5 * 5 + k // 5) * 25 + b % 5 * 5 + k % 5 for k in range(25)] for b in range(25)]
assert all({cells[i] for i in unit} == want for unit in units), "a unit repeats a digit"
assert all(c == 0 or c == v for c, v in zip(clues, cells)), "a clue was changed"
PY
sleep 0.5
shot
[ "$(count_in_cell 0 24 24 FF0000)" -gt 3 ] || [ "$(count_in_cell 0 24 24 000000)" -gt 3 ] ||
  [ "$(count_in_cell 0 24 24 0000FF)" -gt 3 ] || fail "the last cell shows no digit after the solve"
save_window pasted-25x25-solved
echo "e2e: pasted 25 x 25 puzzle solved and copied back out"

# A second Corvana started with a text puzzle file (its name has a space) on
# its command line opens with that puzzle: its clues come out with
# Ctrl+Shift+C. It is ended before anything else looks for windows.
LINE_PUZZLE="4.....8.5.3..........7......2.....6.....8.4......1.......6.3.7.5..2.....1.4......"
printf '# top95 #1\n%s\n' "$LINE_PUZZLE" >"$OUT_DIR/command line.txt"
(cd "$OUT_DIR" && exec "$WINE_RUN" "$BUILD_DIR/Corvana.exe" "command line.txt") \
  >"$OUT_DIR/corvana-command-line.log" 2>&1 &
SECOND_PID=$!
SECOND=$(corvana_find_window 100 "" "$WINDOW")
[ -n "$SECOND" ] || fail "Corvana with a file on its command line showed no window"
sleep 1
xdotool windowfocus --sync "$SECOND"
type_keys ctrl+shift+c
opened=$(xclip -selection clipboard -o 2>/dev/null | tr -d '\r' || true)
kill "$SECOND_PID" 2>/dev/null || true
for _ in $(seq 1 50); do
  xdotool search --name '^Corvana Ver\.1\.2a$' 2>/dev/null | grep -qvx "$WINDOW" || break
  sleep 0.2
done
[ "$opened" = "$LINE_PUZZLE" ] || fail "the command line's puzzle file did not open: '$opened'"
# Back to the first window: a click beside its board makes it active again.
xdotool mousemove $((CX + 5)) $((CY + 5)) click 1
sleep 0.3
echo "e2e: a puzzle file on the command line opened"
# ---- end of the clipboard block ----

# ---- A search you can watch. A hard 25 x 25 puzzle is loaded from an
# input-data file through the open dialog and solved with the progress
# display on, as the program starts. A screenshot taken while it solves must show digits of the
# search in cells that hold no clue, and some of them must differ from the
# answer the window shows once the search has ended.
watch_board() {  # screenshot -> board area of the 25 x 25 board
  convert "$SHOT" -crop "500x500+$((CX + 10))+$((CY + 10))" +repage "$1"
}
# Per cell of a board area, the share of white (or black) pixels: "x y share"
# lines, cells in reading order.
cell_shares() {  # image, options -> share of white pixels per cell
  convert "$@" -colorspace gray -filter box -resize '25x25!' -depth 16 txt:- |
    awk -F'[ ,:()]+' 'NR > 1 { print $1, $2, $3 / 65535 }'
}
black_shares() { cell_shares "$1" -fill white +opaque '#000000' -negate; }
WATCH_DIR=$(cd "$OUT_DIR" && pwd)
WATCH_CLUES=$(grep -v '^#' "$HERE/../data/search_watch_25x25.txt" | head -1)
# Header 01 02 72 N, then the clue bytes, a byte 10 stored as CR LF as the
# program's text-mode stream writes it.
echo "$WATCH_CLUES" | perl -e 'my @v = split " ", <STDIN>; my $s = pack("C*", 1, 2, 0x72, 25, @v);
  $s =~ s/\n/\r\n/g; binmode STDOUT; print $s' >"$WATCH_DIR/watch-25x25.cvn"
# The open dialog has the keyboard focus while it is up.
focus_is_window() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$WINDOW" ]; }
type_keys alt+s l
for _ in $(seq 1 50); do focus_is_window || break; sleep 0.2; done
sleep 0.5
xdotool type --delay 20 "Z:${WATCH_DIR//\//\\}\\watch-25x25.cvn"
type_keys Return
for _ in $(seq 1 50); do focus_is_window && break; sleep 0.2; done
sleep 0.5
shot
watch_board "$WATCH_DIR/watch-clues.png"
read -r first_x first_y < <(echo "$WATCH_CLUES" | awk '{ for (i = 1; i <= NF; i++) if ($i != 0) {
  print (i - 1) % 25, int((i - 1) / 25); exit } }')
[ "$(count_in_cell 0 "$first_x" "$first_y" FF0000)" -gt 3 ] ||
  fail "the watched puzzle did not load: clue ($first_x, $first_y) is not red"
# The search takes seconds; after one and a half it has been drawn a few times.
type_keys alt+r a
sleep 1.2
shot
watch_board "$WATCH_DIR/watch-during.png"
save_window watch-25x25-searching
# The search has ended when the board has stood still for three seconds.
previous=""
still=0
for _ in $(seq 1 120); do
  sleep 1
  shot
  watch_board "$WATCH_DIR/watch-now.png"
  now=$(identify -format '%#' "$WATCH_DIR/watch-now.png")
  if [ "$now" = "$previous" ]; then still=$((still + 1)); else still=0; fi
  previous=$now
  [ $still -ge 3 ] && break
done
[ $still -ge 3 ] || fail "the watched search did not end within two minutes"
mv "$WATCH_DIR/watch-now.png" "$WATCH_DIR/watch-answer.png"
save_window watch-25x25-answer
# Cells without a clue: black digits while searching, some unlike the answer.
convert "$WATCH_DIR/watch-during.png" "$WATCH_DIR/watch-answer.png" -compose difference \
  -composite -threshold 0 "$WATCH_DIR/watch-diff.png"
read -r searched unlike < <(paste -d' ' \
  <(echo "$WATCH_CLUES" | tr ' ' '\n') \
  <(black_shares "$WATCH_DIR/watch-clues.png") \
  <(black_shares "$WATCH_DIR/watch-during.png") \
  <(cell_shares "$WATCH_DIR/watch-diff.png") |
  awk '$1 == 0 && $7 > $4 + 0.02 { searched++; if ($10 > 0) unlike++ }
    END { print searched + 0, unlike + 0 }')
echo "e2e: while solving, $searched cells without a clue showed search digits, $unlike of them unlike the answer"
[ "$searched" -gt 0 ] || fail "no search digits were drawn while the hard board was solving"
[ "$unlike" -gt 0 ] || fail "the digits drawn while solving were all the answer's"
rm -f "$WATCH_DIR"/watch-{clues,during,now,answer,diff}.png "$WATCH_DIR/watch-25x25.cvn"
# ---- end of the watched search

# F1 opens the help file beside the program in the help viewer, whose title
# begins with the help file's title.
type_keys F1
help_window=$(corvana_find_window 50 '^Corvana ' "$WINDOW")
[ -n "$help_window" ] || fail "F1 opened no help window"
HELP_PID=$(xdotool getwindowpid "$help_window" 2>/dev/null || true)

rm -f "$OUT_DIR"/first-*.png "$OUT_DIR"/second-*.png "$SHOT"
echo "e2e: passed; screenshots in $OUT_DIR"

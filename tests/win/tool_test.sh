#!/bin/sh
# corvana-solve.exe under Wine reads a puzzle file byte for byte as the
# native tool does: CR LF line ends, 0x1A between puzzles, a path that
# starts with '/', and standard input all give the plain file's answer.
# Skipped with a line saying why where Wine is missing.
#
#   tool_test.sh WINE_RUN CORVANA_SOLVE_EXE
wine_run=$1
tool=$2
if ! command -v wine >/dev/null 2>&1; then
  echo "tool-test: skipped: Wine is not installed (scripts/test-windows.sh installs it)"
  exit 77
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1
fail() {
  echo "tool-test: FAIL: $*" >&2
  exit 1
}

# A 9x9 puzzle with one solution, twice over: as it is, and in CR LF lines
# with a 0x1A (a blank, and the end of the file to the C runtime's text
# mode) between the puzzle and its copy with '0' for '.'.
printf '%s\n' '53..7....6..195....98....6.8...6...34..8.3..17...2...6.6....28....419..5....8..79' \
  >one.txt
cat one.txt one.txt >plain.txt
{
  sed 's/$/\r/' one.txt
  printf '\032'
  tr '.' '0' <one.txt | sed 's/$/\r/'
} >crlf.txt

"$wine_run" "$tool" --solutions 2 plain.txt >got || fail "plain.txt: exit status $?"
tr -d '\r' <got >expected.lf
# Each time the solution, then "none" for the second start.
[ "$(grep -c -E '^([1-9] ){80}[1-9]$' expected.lf)" = 2 ] &&
  [ "$(grep -c -x none expected.lf)" = 2 ] || fail "plain.txt gave: $(cat got)"

"$wine_run" "$tool" --solutions 2 "$scratch/crlf.txt" >got || fail "$scratch/crlf.txt: exit status $?"
tr -d '\r' <got | cmp -s - expected.lf || fail "$scratch/crlf.txt gave: $(cat got)"

"$wine_run" "$tool" --solutions 2 - <crlf.txt >got || fail "standard input: exit status $?"
tr -d '\r' <got | cmp -s - expected.lf || fail "standard input gave: $(cat got)"
echo "tool-test: a plain file, its CR LF copy with a 0x1A (by a path from /) and standard input agree"

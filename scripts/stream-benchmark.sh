#!/usr/bin/env bash
# corvana-solve reading a large file: throughput and peak memory.
#
#   scripts/stream-benchmark.sh BUILD_DIR DATA_DIR [PUZZLES]
#
# Makes a text file of PUZZLES 9x9 puzzles (default 285,000, about 23 MB) by
# repeating DATA_DIR's 9x9 sets, and one of a tenth of them, in a scratch
# folder; then, for each, runs --print-clues (reading and writing alone) and
# --solutions 2 (two starts a puzzle) once each, output to /dev/null. One line
# per run: seconds on the clock, MB/s of input, and the peak resident memory
# from /usr/bin/time -v.
set -euo pipefail
build=$1
data=$2
puzzles=${3:-285000}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cat "$data"/9x9_*.txt | grep -v '^#' >"$scratch/sets.txt"
: >"$scratch/big.txt"
while [ "$(wc -l <"$scratch/big.txt")" -lt "$puzzles" ]; do
  cat "$scratch/sets.txt" >>"$scratch/big.txt"
done
head -n "$puzzles" "$scratch/big.txt" >"$scratch/large.txt"
head -n "$((puzzles / 10))" "$scratch/big.txt" >"$scratch/small.txt"
for file in large small; do
  bytes=$(wc -c <"$scratch/$file.txt")
  for mode in --print-clues "--solutions 2"; do
    # shellcheck disable=SC2086
    /usr/bin/time -v "$build/tools/corvana-solve" $mode "$scratch/$file.txt" >/dev/null \
      2>"$scratch/time" || true
    awk -v mode="$mode" -v bytes="$bytes" -v lines="$(wc -l <"$scratch/$file.txt")" '
      /Elapsed \(wall clock\)/ { n = split($NF, t, ":"); s = t[n] + (n > 1 ? 60 * t[n - 1] : 0) }
      /Maximum resident set size/ { kb = $NF }
      END {
        rate = s > 0 ? bytes / 1e6 / s : 0
        printf "%8d puzzles, %5.1f MB, %-14s %6.2f s, %6.1f MB/s, peak %5.1f MB\n",
          lines, bytes / 1e6, mode ":", s, rate, kb / 1024
      }' "$scratch/time"
  done
done

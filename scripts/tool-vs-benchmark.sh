#!/usr/bin/env bash
# corvana-solve against the search benchmark, set by set, run in turns so
# that both meet the same load on a shared machine:
#
#   scripts/tool-vs-benchmark.sh BUILD_DIR DATA_DIR ROUNDS [SET ...]
#
# BUILD_DIR holds a release build with the benchmarks (docs/performance.md);
# SETs are file names of DATA_DIR without .txt (default: every set). For each
# round and set, one line: the benchmark's median per puzzle (fastest of three
# runs) and its median of the first runs; the tool's median per puzzle from
# --stats; and the tool's throughput, puzzles a second of one process from
# its start to its end (reading, solving and writing, output to /dev/null),
# by the clock on the wall and by the processor time the process used. Two
# starts per puzzle throughout. On a loaded machine a process waits for a
# processor: the wall-clock figure is then the lower, and the fastest round
# the one nearest a machine of its own.
set -euo pipefail
build=$1
data=$2
rounds=$3
shift 3
sets=("$@")
if [ ${#sets[@]} -eq 0 ]; then
  for file in "$data"/*.txt; do sets+=("$(basename "$file" .txt)"); done
fi
stats=$(mktemp)
times=$(mktemp)
trap 'rm -f "$stats" "$times"' EXIT
TIMEFORMAT='%R %U %S'

counter() { grep -o "$1=[0-9.e+-]*[mk]*" | cut -d= -f2; }
median() { awk '{print $2}' "$1" | sort -n | awk '{a[NR] = $1} END {print a[int(NR / 2) + 1]}'; }

for round in $(seq 1 "$rounds"); do
  for set in "${sets[@]}"; do
    file="$data/$set.txt"
    bench=$("$build/tests/search_benchmark" --data="$data" --limit_s=60 \
      --benchmark_filter="^$set/" 2>/dev/null | grep iterations)
    "$build/tools/corvana-solve" --stats --solutions 2 "$file" 2>"$stats" >/dev/null
    puzzles=$(wc -l <"$stats")
    { time "$build/tools/corvana-solve" --solutions 2 "$file" >/dev/null; } 2>"$times"
    read -r wall user system <"$times"
    awk -v set="$set" -v round="$round" -v bench="$(counter median_ms <<<"$bench")" \
      -v first="$(counter median_first_ms <<<"$bench")" -v tool="$(median "$stats")" \
      -v puzzles="$puzzles" -v wall="$wall" -v cpu="$user" -v sys="$system" 'BEGIN {
        cpu += sys
        printf "%-38s round %d: benchmark %s ms, first runs %s ms; tool %s ms, %.0f puzzles/s",
          set, round, bench, first, tool, puzzles / wall
        if (cpu > 0) printf " (%.0f a processor second)", puzzles / cpu
        printf "\n"
      }'
  done
done

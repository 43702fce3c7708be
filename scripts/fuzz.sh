#!/usr/bin/env bash
# Fuzzes the two readers of outside bytes, the reader of puzzle text and the
# loader of input-data files, with libFuzzer under AddressSanitizer and UBSan:
# each from its seed corpus (tests/fuzz/corpus, every form), for a bounded
# time. Exits non-zero on the first crash, hang, leak or failed check, leaving
# the input that caused it in the build folder.
#
#   scripts/fuzz.sh [SECONDS_EACH]   (default 25)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-25}

scripts/install-packages.sh clang-14 libclang-rt-14-dev

out=build-fuzz
mkdir -p "$out"
flags=(-std=c++17 -g -O1 -I. -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all)
# The loader's file also starts boards (ApplyInputData); those link against
# the board and the window hooks of the command-line tool, which draw nothing.
core=(file/input_data.cpp file/puzzle_text.cpp solver/board.cpp tools/silent_window.cpp)

run() {  # target, corpus folder, largest input
  local target=$1 seeds=$2 largest=$3
  clang++-14 "${flags[@]}" "tests/fuzz/$target.cpp" "${core[@]}" -o "$out/$target"
  # A scratch copy of the seeds: what the run adds stays out of the repository.
  rm -rf "$out/$target-corpus"
  cp -r "tests/fuzz/corpus/$seeds" "$out/$target-corpus"
  echo "== fuzzing $target for $seconds s"
  (cd "$out" && "./$target" -max_total_time="$seconds" -max_len="$largest" -timeout=10 \
    -print_final_stats=1 "$target-corpus" 2>"$target.log") ||
    { tail -40 "$out/$target.log" >&2; echo "fuzz: $target FAILED" >&2; return 1; }
  grep -E "stat::number_of_executed_units|cov:" "$out/$target.log" | tail -2
}

# Text: the window reads whole files of up to a megabyte, the tool reads a
# line at a time; inputs a few boards long reach every path. Input data: the window reads at most 1255
# bytes of an input-data file.
run puzzle_text_fuzz puzzle_text 8192
run input_data_fuzz input_data 1300
echo "fuzz: both targets ran clean"

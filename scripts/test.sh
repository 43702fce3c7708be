#!/usr/bin/env bash
# Runs every test of Corvana: the source format check, the native core and
# command-line tests, the same under AddressSanitizer with UBSan, the worker
# protocol and the racing count under ThreadSanitizer, the two readers of
# outside bytes under libFuzzer, then the Windows program under Wine. Installs
# what it needs first.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

scripts/install-packages.sh cmake make g++ googletest libgtest-dev libcli11-dev librsvg2-bin libpng-dev

build() {  # directory, build type, extra cmake arguments...
  local dir=$1 type=$2
  shift 2
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
  cmake --build "$dir" -j "$jobs" >/dev/null
}

echo "== source format"
scripts/check-format.sh

echo "== native build and tests"
build build Release
ctest --test-dir build -j "$jobs" --output-on-failure --timeout 900

echo "== AddressSanitizer + UBSan"
build build-asan RelWithDebInfo -DCORVANA_SANITIZE=address,undefined
CORVANA_EQUIVALENCE_SCALE=0.2 ctest --test-dir build-asan -j "$jobs" --output-on-failure --timeout 900

echo "== ThreadSanitizer: the worker protocol and the two searches racing on a count"
build build-tsan RelWithDebInfo -DCORVANA_SANITIZE=thread
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan -j "$jobs" --output-on-failure \
  --timeout 900 -L worker
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan -j "$jobs" --output-on-failure \
  --timeout 900 -R '^Clause(Lane|Race)[.]|^ClauseSearch[.]ProvesTheHardPuzzle'

echo "== fuzzing the readers of outside bytes: puzzle text and input-data files"
scripts/fuzz.sh 25

if [ -x scripts/test-windows.sh ]; then
  echo "== the Windows program under Wine"
  scripts/test-windows.sh
fi

#!/usr/bin/env bash
# The Windows builds measured next to the native one, in one run:
#
#   scripts/benchmark-windows.sh [SET ...]
#
# Builds corvana-solve and the search benchmark (Release) for x86_64 and for
# the i686 release with mingw-w64, Google Benchmark for them from Debian's
# source archive, and the native tool; then, set by set and in turns, the
# median per puzzle of the tool's second pass over the set (--solutions 2
# --stats, as ../shared/tools/vs-tdoku measures it) natively, under the 64-bit
# Wine, and under the 32-bit Wine where this machine runs 32-bit programs,
# followed by the search benchmark's median per puzzle under Wine. The 32-bit
# code is also timed without Wine, built for Linux i386 (g++ -m32) with each
# CPU baseline the i686 release could take: the compiler's default (x87),
# SSE2, and SSE2 with POPCNT. SETs are file names of the data folder without
# .txt (default: the four 9x9 sets vs-tdoku uses); the data folder is
# CORVANA_DATA, else ../shared/data beside the repository.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/windows-env.sh
. "$ROOT/scripts/windows-env.sh"
JOBS=${JOBS:-2}
DATA=${CORVANA_DATA:-$ROOT/../shared/data}
[ -d "$DATA" ] || {
  echo "benchmark-windows: no data folder $DATA (set CORVANA_DATA)" >&2
  exit 1
}
[ $# -gt 0 ] || set -- 9x9_forum_hardest_1106 9x9_forum_hardest_1905_11plus_s1000 9x9_top1465 \
  9x9_17clue_s1000

CORVANA_32BIT=0
corvana_runs_32bit && CORVANA_32BIT=1
corvana_install_packages g++ g++-multilib curl libcli11-dev
[ $CORVANA_32BIT -eq 1 ] || echo "benchmark-windows: no 32-bit run: $CORVANA_NO_32BIT_REASON"
export CORVANA_32BIT
corvana_make_locale
export CORVANA_WINEPREFIX=${CORVANA_WINEPREFIX:-$HOME/.cache/corvana-wine}
WINE_RUN=$ROOT/cmake/wine-run
OUT=$ROOT/build-bench
mkdir -p "$OUT"

# Google Benchmark 1.7.1, the version Debian 12 packages, from its source
# archive, checked against the digest its .dsc gives.
GBENCH=benchmark_1.7.1.orig.tar.gz
GBENCH_SHA256=6430e4092653380d9dc4ccb45a1e2dc9259d581f4866dc0759713126056bc1d7
CACHE=${XDG_CACHE_HOME:-$HOME/.cache}/corvana
mkdir -p "$CACHE"
if ! echo "$GBENCH_SHA256  $CACHE/$GBENCH" | sha256sum -c --status 2>/dev/null; then
  curl -sSfL -o "$CACHE/$GBENCH.part" "http://deb.debian.org/debian/pool/main/b/benchmark/$GBENCH"
  echo "$GBENCH_SHA256  $CACHE/$GBENCH.part" | sha256sum -c --status ||
    { echo "benchmark-windows: $GBENCH does not have the expected digest" >&2; exit 1; }
  mv "$CACHE/$GBENCH.part" "$CACHE/$GBENCH"
fi
[ -d "$OUT/benchmark-1.7.1" ] || tar -xzf "$CACHE/$GBENCH" -C "$OUT"

cross_build() {
  local arch=$1
  local gbench=$OUT/gbench-$arch
  if [ ! -f "$gbench/lib/cmake/benchmark/benchmarkConfig.cmake" ]; then
    cmake -S "$OUT/benchmark-1.7.1" -B "$OUT/gbench-build-$arch" \
      -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-$arch.cmake" -DCMAKE_BUILD_TYPE=Release \
      -DBENCHMARK_ENABLE_TESTING=OFF -DBENCHMARK_ENABLE_GTEST_TESTS=OFF \
      -DBENCHMARK_ENABLE_WERROR=OFF -DBENCHMARK_INSTALL_DOCS=OFF \
      -DCMAKE_INSTALL_PREFIX="$gbench" >/dev/null
    cmake --build "$OUT/gbench-build-$arch" -j "$JOBS" >/dev/null
    cmake --install "$OUT/gbench-build-$arch" >/dev/null
  fi
  cmake -S "$ROOT" -B "$OUT/win-$arch" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCORVANA_BENCHMARKS=ON \
    -Dbenchmark_DIR="$gbench/lib/cmake/benchmark" >/dev/null
  cmake --build "$OUT/win-$arch" -j "$JOBS" --target corvana-solve search_benchmark >/dev/null
}

# The tool for Linux, natively and as i386 code with one CPU baseline.
linux_build() {
  local name=$1 flags=$2
  cmake -S "$ROOT" -B "$OUT/$name" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS="$flags" \
    -DCORVANA_TESTS=OFF >/dev/null
  cmake --build "$OUT/$name" -j "$JOBS" --target corvana-solve >/dev/null
}

echo "benchmark-windows: building"
cross_build x86_64
cross_build i686
linux_build native ""
linux_build i386-x87 "-m32"
linux_build i386-sse2 "-m32 -msse2 -mfpmath=sse"
linux_build i386-popcnt "-m32 -msse2 -mfpmath=sse -mpopcnt"

# Median in microseconds of the second pass of the tool over FILE.
tool_median() {
  local file=$1 puzzles
  shift
  puzzles=$(grep -c -v -E '^(#|$)' "$file")
  "$@" --solutions 2 --stats "$file" "$file" 2>&1 >/dev/null | grep -E ' ms, ' |
    tail -n +$((puzzles + 1)) | sed -E 's/.*: ([0-9.]+) ms,.*/\1/' | sort -g |
    awk '{ a[NR] = $1 * 1000 } END { printf "%.0f", a[int((NR + 1) / 2)] }'
}

bench_median() {
  local exe=$1 set=$2
  "$WINE_RUN" "$exe" --data="$DATA" --benchmark_filter="^$set/" 2>/dev/null |
    grep -o 'median_ms=[0-9.e+-]*' | cut -d= -f2 | awk '{ printf "%.0f", $1 * 1000 }'
}

echo "median per puzzle in µs; tool: second pass of --solutions 2; benchmark: search_benchmark"
for set in "$@"; do
  file=$DATA/$set.txt
  line=$(printf '%-38s native %4s' "$set" "$(tool_median "$file" "$OUT/native/tools/corvana-solve")")
  line+=$(printf '  wine64 %4s' "$(tool_median "$file" "$WINE_RUN" "$OUT/win-x86_64/corvana-solve.exe")")
  if [ "$CORVANA_32BIT" = 1 ]; then
    line+=$(printf '  wine32 %4s' "$(tool_median "$file" "$WINE_RUN" "$OUT/win-i686/corvana-solve.exe")")
  fi
  for base in x87 sse2 popcnt; do
    line+=$(printf '  i386-%s %4s' "$base" "$(tool_median "$file" "$OUT/i386-$base/tools/corvana-solve")")
  done
  line+=$(printf '  benchmark wine64 %4s' "$(bench_median "$OUT/win-x86_64/search_benchmark.exe" "$set")")
  if [ "$CORVANA_32BIT" = 1 ]; then
    line+=$(printf ' wine32 %4s' "$(bench_median "$OUT/win-i686/search_benchmark.exe" "$set")")
  fi
  echo "$line"
done

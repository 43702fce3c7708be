#!/usr/bin/env bash
# Fails when a C++ source differs from what clang-format makes of it with the
# project's .clang-format; prints the files and the first differences.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-packages.sh clang-format
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run --Werror "${files[@]}" 2>/tmp/corvana-format.$$; then
  grep -E ': (error|warning):' /tmp/corvana-format.$$ | cut -d: -f1 | sort -u | sed 's/^/not formatted: /'
  head -20 /tmp/corvana-format.$$
  rm -f /tmp/corvana-format.$$
  echo "run: clang-format -i \$(git ls-files '*.cpp' '*.h')"
  exit 1
fi
rm -f /tmp/corvana-format.$$
echo "format: all ${#files[@]} sources as clang-format makes them"

#!/usr/bin/env bash
# Fails when a C++ file that git tracks is not as .clang-format lays it out.
# Run tools/check_format.sh --fix to lay them out.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.cc' '*.hpp' '*.c')
if [ "${1:-}" = --fix ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
report=$(mktemp)
trap 'rm -f "$report"' EXIT
if ! clang-format --dry-run --Werror "${files[@]}" 2>"$report"; then
  grep -E '^[^ ]+:[0-9]+:[0-9]+: (warning|error)' "$report" | cut -d: -f1 | sort | uniq -c >&2
  echo "C++ files drift from .clang-format: run tools/check_format.sh --fix" >&2
  exit 1
fi
echo "format: ${#files[@]} C++ files laid out as .clang-format says"

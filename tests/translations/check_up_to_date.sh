#!/usr/bin/env bash
# Fails when a translation source misses a text of the code, or keeps one the
# code no longer has: lupdate, run with the build's options on a copy of each
# .ts file, must leave the copy as it is.
#
#   check_up_to_date.sh LUPDATE SOURCE_LIST WORK_DIR TS_FILE... -- LUPDATE_OPTION...
set -euo pipefail

lupdate=$1
sources=$2
work=$3
shift 3
ts_files=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do ts_files+=("$1"); shift; done
[ $# -gt 0 ] && shift
options=("$@")

rm -rf "$work"
mkdir -p "$work"
status=0
for ts in "${ts_files[@]}"; do
  copy="$work/$(basename "$ts")"
  cp "$ts" "$copy"
  "$lupdate" -silent "${options[@]}" "@$sources" -ts "$copy"
  if ! diff -u "$ts" "$copy"; then
    echo "$(basename "$ts") is out of date: cmake --build build --target update_translations, then translate" >&2
    status=1
  fi
done
exit "$status"

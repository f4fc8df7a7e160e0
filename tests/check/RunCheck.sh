#!/usr/bin/env bash
# Runs quillfin-check on one file from the file's own folder and compares what
# it prints, followed by a line "exit N" with its exit code, with the expected
# output kept beside the file (name.expected). A FILE ending in .args holds
# the checker's arguments instead, separated by blanks.
#   RunCheck.sh CHECKER FILE [EXPECTED]
set -u
checker=$1
file=$2
expected=${3:-${file%.*}.expected}
cd "$(dirname "$file")" || exit 2
if [[ $file == *.args ]]; then
  read -r -a arguments < "$(basename "$file")"
else
  arguments=("$(basename "$file")")
fi
actual=$("$checker" "${arguments[@]}" 2>&1; echo "exit $?")
if ! diff -u "$expected" <(printf '%s\n' "$actual"); then
  echo "quillfin-check $(basename "$file"): the report differs from $(basename "$expected")"
  exit 1
fi

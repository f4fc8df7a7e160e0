#!/usr/bin/env bash
# Every question file of examples/ must pass quillfin-check with no error and
# no warning.
#   CheckExamples.sh CHECKER EXAMPLES_FOLDER
set -u
checker=$1
cd "$2" || exit 2
status=0
for file in *.txt; do
  report=$("$checker" "$file")
  code=$?
  printf '%s\n' "$report"
  if [ $code -ne 0 ] || [ "$(printf '%s\n' "$report" | wc -l)" -ne 1 ] ||
      ! printf '%s\n' "$report" | grep -q ' 0 errors, 0 warnings$'; then
    echo "$file: expected no error and no warning (exit $code)"
    status=1
  fi
done
exit $status

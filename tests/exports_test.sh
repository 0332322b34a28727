#!/usr/bin/env bash
# The shared library exports the functions the public header marks
# KORVEX_API, and nothing else; its SONAME carries the major version.
#
# Usage: exports_test.sh LIBRARY HEADER SONAME
set -euo pipefail
library=$1
header=$2
soname=$3

expected=$(sed -n 's/^KORVEX_API.*[ *]\([A-Za-z_][A-Za-z0-9_]*\)(.*/\1/p' "$header" | sort)
actual=$(nm -D --defined-only "$library" | awk '{ print $NF }' | sort)
[ -n "$expected" ] || { echo "exports_test: no KORVEX_API declarations found in $header" >&2; exit 1; }
failed=0
if [ "$expected" != "$actual" ]; then
    echo "exports_test: the library's dynamic symbols differ from the header's entry points" >&2
    diff <(echo "$expected") <(echo "$actual") | sed -n 's/^</  declared, not exported:/p; s/^>/  exported, not declared:/p' >&2
    failed=1
fi
found=$(objdump -p "$library" | awk '$1 == "SONAME" { print $2 }')
if [ "$found" != "$soname" ]; then
    echo "exports_test: SONAME is '$found', expected '$soname'" >&2
    failed=$((failed + 1))
fi
echo "exports_test: $((2 - failed)) passed, $failed failed ($(wc -l <<<"$expected") entry points)"
exit "$failed"

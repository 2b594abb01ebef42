#!/bin/sh
# usage: check_exports.sh <library> <export list> <published entry points>
set -eu
lib=$1 exports=$2 published=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# Internal names that are deliberately visible besides the entry points.
extra="search_charsetID"

nm -D --defined-only "$lib" | awk '$2 ~ /^[TWDBRV]$/ { print $3 }' | sed 's/@.*//' | sort -u > "$tmp/symbols"
grep -v '^[[:space:]]*#' "$exports" | sed '/^[[:space:]]*$/d' | sort -u > "$tmp/exports"
{ sort -u "$published"; for n in $extra; do echo "$n"; done; } | sort -u > "$tmp/allowed"

status=0
if ! cmp -s "$tmp/symbols" "$tmp/exports"; then
    echo "dynamic symbols differ from the export list (< symbols, > list):"
    diff "$tmp/symbols" "$tmp/exports" || true
    status=1
fi
unknown=$(comm -23 "$tmp/exports" "$tmp/allowed")
if [ -n "$unknown" ]; then
    echo "exported names that are not published entry points:"
    echo "$unknown"
    status=1
fi
echo "$(wc -l < "$tmp/symbols") symbols exported"
exit $status

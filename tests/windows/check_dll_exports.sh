#!/bin/sh
# usage: check_dll_exports.sh <objdump> <dll> <export list>
# The DLL's export table names exactly the entries of the export list.
set -eu
objdump=$1 dll=$2 exports=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

"$objdump" -p "$dll" | awk '
  /\[Ordinal\/Name Pointer\] Table/ { inside = 1; next }
  inside && NF == 0 { inside = 0 }
  inside { print $NF }' | sort -u > "$tmp/table"
grep -v '^[[:space:]]*#' "$exports" | sed 's/[[:space:]]//g; /^$/d' | sort -u > "$tmp/list"

if [ ! -s "$tmp/table" ]; then
    echo "no export table found in $dll"
    exit 1
fi
if ! cmp -s "$tmp/table" "$tmp/list"; then
    echo "export table differs from the export list (< table, > list):"
    diff "$tmp/table" "$tmp/list" || true
    exit 1
fi
echo "$(wc -l < "$tmp/table") names exported"

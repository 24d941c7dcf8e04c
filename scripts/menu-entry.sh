#!/usr/bin/env bash
# Prints the menu entry $1 (the installed desktop entry) with its Exec line starting the program $2 instead, for
# a program folder of the user's own (scripts/start.sh). Exec takes a quoted path with ", `, $ and \ escaped, and
# % doubled.
set -euo pipefail
source_entry="$1"
exe="$2"
quoted=$(printf '%s' "$exe" | sed -e 's/[\\"`$]/\\&/g' -e 's/\\/\\\\/g' -e 's/%/%%/g')
while IFS= read -r line; do
    case "$line" in
    Exec=*) printf 'Exec="%s"\n' "$quoted" ;;
    *) printf '%s\n' "$line" ;;
    esac
done <"$source_entry"

#!/usr/bin/env bash
# Prints which product folders include headers of which others, one edge a line
# with the number of include lines behind it: "from -> to (N)". Tests are left
# out; they sit above everything.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -- '*.cpp' '*.h' ':!tests/*' |
    while read -r file; do
        from=$(dirname "$file")
        sed -n 's/^#include "\(.*\)\/[^/]*"$/\1/p' "$file" | while read -r to; do
            [[ $to == "$from" ]] || echo "$from -> $to"
        done
    done | sort | uniq -c | awk '{ print $2, $3, $4, "(" $1 ")" }'

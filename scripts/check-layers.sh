#!/usr/bin/env bash
# Checks that every include under src/ points to its own floor or one below it. The floors, top
# down: app, install, commands, search, registry, editors, framework, core. resource.h (the
# resources' numbers) may be included from any floor. Prints each upward include and exits 1.
set -euo pipefail
cd "$(dirname "$0")/.."

floors=(core framework editors registry search commands install app)
rank() {
    local i
    for i in "${!floors[@]}"; do
        if [ "${floors[$i]}" = "$1" ]; then echo "$i"; return; fi
    done
    echo -1
}

status=0
while IFS= read -r file; do
    from=${file#src/}; from=${from%%/*}
    from_rank=$(rank "$from")
    if [ "$from_rank" -lt 0 ]; then
        echo "check-layers: $file lies on no floor" >&2; status=1; continue
    fi
    while IFS=: read -r line target; do
        to=${target%%/*}
        [ "$to" = "$target" ] && continue   # resource.h and other files beside the floors
        to_rank=$(rank "$to")
        if [ "$to_rank" -lt 0 ]; then
            echo "check-layers: $file:$line includes $target, which is on no floor" >&2; status=1
        elif [ "$to_rank" -gt "$from_rank" ]; then
            echo "check-layers: $file:$line includes $target: $from may not include $to" >&2; status=1
        fi
    done < <(grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" |
             sed -E 's/^([0-9]+):[^"]*"([^"]*)".*/\1:\2/')
done < <(find src -type f \( -name '*.h' -o -name '*.cpp' \) | sort)

if [ "$status" -eq 0 ]; then
    echo "check-layers: every include points downwards (${#floors[@]} floors)"
fi
exit "$status"

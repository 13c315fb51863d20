#!/usr/bin/env bash
# Takes the pictures of browsing the registry in the run command's window: the root, a key, a
# key with values, the tree pane expanded and a key's context menu. Writes docs/images/.
set -euo pipefail
source "$(dirname "$0")/common.sh"
unset DISPLAY # the run command's headless mode: one picture per run

shot() { # name, then the run command's arguments
    local name=$1
    shift
    local png
    png=$("$ROOT/scripts/run.sh" "$@" | tail -n 1)
    mkdir -p "$ROOT/docs/images"
    cp "$png" "$ROOT/docs/images/$name.png"
    echo "docs/images/$name.png"
}

"$ROOT/scripts/install-deps.sh"
configure_and_build >/dev/null
prepare_prefix

shot registry-root
shot registry-hkcu-software 'HKEY_CURRENT_USER\Software'
shot registry-values 'reg://HKCU\Control Panel\Desktop'
shot shell-tree 'HKEY_CURRENT_USER\Software' --expand-tree --tree-width 300
shot shell-context-menu 'HKEY_CURRENT_USER\Software' --context-menu 0

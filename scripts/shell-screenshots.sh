#!/usr/bin/env bash
# Takes the pictures of browsing the registry in the run command's window: the root, a key, a
# key with values, the tree pane expanded and a key's context menu. Writes docs/images/.
set -euo pipefail
source "$(dirname "$0")/common.sh"
unset DISPLAY # the run command's headless mode: one picture per run

"$ROOT/scripts/install-deps.sh"
configure_and_build >/dev/null
prepare_prefix

run_picture registry-root
run_picture registry-hkcu-software 'HKEY_CURRENT_USER\Software'
run_picture registry-values 'reg://HKCU\Control Panel\Desktop'
run_picture shell-tree 'HKEY_CURRENT_USER\Software' --expand-tree --tree-width 300
run_picture shell-context-menu 'HKEY_CURRENT_USER\Software' --context-menu 0

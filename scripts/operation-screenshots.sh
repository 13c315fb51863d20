#!/usr/bin/env bash
# Takes the pictures of the registry commands in the shell window of the run command: the key
# menu with its "New" submenu open, a delete confirmation, the value editor opened from the
# menu, Export and Security... from a key's menu, a new value waiting for its name, Find... with
# its results, and a pasted key path in the address bar. Writes docs/images/op-*.png,
# find-*.png and address-bar.png.
set -euo pipefail
source "$(dirname "$0")/common.sh"
unset DISPLAY # the run command's headless mode: one picture per run

demo='HKCU\Software\CorvasinDemo'
reset_demo() {
    wine reg delete "$demo" /f >/dev/null 2>&1 </dev/null || true
    wine reg add "$demo\\Colors" /v Background /d "0 0 128" /f >/dev/null 2>&1 </dev/null
    wine reg add "$demo\\Fonts\\Sizes" /v Caption /d "hello again" /f >/dev/null 2>&1 </dev/null
    wine reg add "$demo" /v Greeting /d "Hello, registry" /f >/dev/null 2>&1 </dev/null
    wine reg add "$demo" /v Count /t REG_DWORD /d 42 /f >/dev/null 2>&1 </dev/null
    wineserver -w
}

shot() { # name, then the run command's arguments (the location first)
    reset_demo
    run_picture "$@"
}

"$ROOT/scripts/install-deps.sh"
configure_and_build >/dev/null
prepare_prefix

# Items: 0 Colors, 1 Fonts, 2 (default), 3 Count, 4 Greeting. A key's menu reaches "New" with
# ten steps down; a value's "Delete" is its first entry and "Edit" its fourth.
shot op-key-menu-new "$demo" --context-menu 0 --menu-keys ddddddddddr
shot op-delete-confirmation "$demo" --context-menu 4 --menu-keys de
shot op-edit-from-menu "$demo" --context-menu 4 --menu-keys dddde
# Colors has no subkeys: Open, Explore, Delete, Rename, Copy, then Export (6), ... Security (11).
shot op-export-from-menu "$demo" --context-menu 0 --menu-keys dddddde
shot op-security-from-menu "$demo" --context-menu 0 --menu-keys ddddddddddde
# "String value" of the shown key's own menu (as its tree node has it): the new value is
# opened for renaming in the view.
shot op-new-value-rename "$demo" --folder-command 6
# Find... on the shown key: the dialog filled in, the results when the search is done, and the
# key of the first result opened from the results window.
shot find-dialog "$demo" --find-dialog hello
shot find-results "$demo" --find hello
shot find-open-result "$demo" --find-open hello
# A key path pasted from PowerShell into the address bar, from the registry root: the title and
# the bar then show the full key path.
shot address-bar "" --address ' "HKCU:\Software\CorvasinDemo\" '
reset_demo
wine reg delete "$demo" /f >/dev/null 2>&1 </dev/null || true

#!/usr/bin/env bash
# Shows what Wine's shell makes of each place the registry's root can be moved to, with a
# screenshot of each in docs/images/: the namespace entry inside My Computer
# (place-my-computer.png), inside Control Panel (place-control-panel.png), and the junction
# folder "Registry.{C}" inside a file-system folder (place-folder.png, and place-junction.png
# for the junction folder opened). Each place is set up with the entries the "Move to" command
# writes, shown through corvasin-browse (scripts/run.sh --path), and taken away again.
set -euo pipefail
source "$(dirname "$0")/common.sh"

OUT_DIR="$ROOT/docs/images"
CLSID="{BBC22D43-FF1C-4948-B6DA-04BEFBDA2E92}"
MY_COMPUTER="::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"
CONTROL_PANEL="::{21EC2020-3AEA-1069-A2DD-08002B30309D}"
EXPLORER='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer'
mkdir -p "$OUT_DIR"

"$ROOT/scripts/install-deps.sh"
configure_and_build >/dev/null
prepare_prefix

shot() { # NAME PATH [options...]
    local name="$1"; shift
    local png
    png="$("$ROOT/scripts/run.sh" --path "$@" | tail -n 1)"
    cp "$png" "$OUT_DIR/$name.png"
    echo "wrote $OUT_DIR/$name.png"
}

mount() { wine reg add "$EXPLORER\\$1\\NameSpace\\$CLSID" /ve /d Registry /f >/dev/null 2>&1 </dev/null; }
unmount() { wine reg delete "$EXPLORER\\$1\\NameSpace\\$CLSID" /f >/dev/null 2>&1 </dev/null || true; }

mount MyComputer
shot place-my-computer "$MY_COMPUTER"
unmount MyComputer

mount ControlPanel
shot place-control-panel "$CONTROL_PANEL"
unmount ControlPanel

TOOLS="$WINEPREFIX/drive_c/Tools"
mkdir -p "$TOOLS/Registry.$CLSID"
shot place-folder 'C:\Tools'
shot place-junction "C:\\Tools\\Registry.$CLSID"
rm -rf "$TOOLS"

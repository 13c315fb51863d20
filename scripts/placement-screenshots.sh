#!/usr/bin/env bash
# Shows what Wine's shell makes of each place the registry's root can be moved to, with a
# screenshot of each in docs/images/: the namespace inside My Computer (place-my-computer.png, and
# place-my-computer-open.png with the registry opened there),
# inside Control Panel (place-control-panel.png), and the junction folder "Registry.{C}" inside a
# file-system folder (place-folder.png, and place-junction.png with the junction folder opened).
# Each place gets the entries the "Move to" command writes (the desktop entry taken away
# meanwhile) and is shown in corvasin-browse; registration puts the desktop entry back at the end.
set -euo pipefail
source "$(dirname "$0")/common.sh"

OUT_DIR="$ROOT/docs/images"
SHOT_DIR="$BUILD_DIR/screenshots"
CLSID="{BBC22D43-FF1C-4948-B6DA-04BEFBDA2E92}"
MY_COMPUTER="::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"
CONTROL_PANEL="::{21EC2020-3AEA-1069-A2DD-08002B30309D}"
EXPLORER='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer'

# Second half, inside the one Xvfb session that every Wine process of the run shares.
if [ -n "${CORVASIN_PLACEMENT_INNER:-}" ]; then
    wine() { command wine "$@" </dev/null 2>/dev/null; }
    reg_mount() { wine reg add "$EXPLORER\\$1\\NameSpace\\$CLSID" /ve /d Registry /f >/dev/null; }
    reg_unmount() { wine reg delete "$EXPLORER\\$1\\NameSpace\\$CLSID" /f >/dev/null || true; }
    shot() { # NAME PATH
        local bmp="$SHOT_DIR/$1.bmp"
        wine "$BUILD_DIR/corvasin-browse.exe" --screenshot "$(winepath -w "$bmp")" --path "$2" \
            --expand-tree || true
        convert "$bmp" "$OUT_DIR/$1.png" && rm -f "$bmp"
        echo "wrote $OUT_DIR/$1.png"
    }

    wine regsvr32 /s "$(winepath -w "$BUILD_DIR/corvasin.dll")"
    wine reg add 'HKCU\Software\Wine\AppDefaults\corvasin-browse.exe\X11 Driver' /v Managed \
        /d N /f >/dev/null
    reg_unmount Desktop

    reg_mount MyComputer
    shot place-my-computer "$MY_COMPUTER"
    shot place-my-computer-open "$MY_COMPUTER\\::$CLSID"
    reg_unmount MyComputer

    reg_mount ControlPanel
    shot place-control-panel "$CONTROL_PANEL"
    reg_unmount ControlPanel

    TOOLS="$WINEPREFIX/drive_c/Tools"
    mkdir -p "$TOOLS/Registry.$CLSID"
    shot place-folder 'C:\Tools'
    shot place-junction "C:\\Tools\\Registry.$CLSID"
    rm -rf "$TOOLS"

    wine regsvr32 /s "$(winepath -w "$BUILD_DIR/corvasin.dll")"
    wineserver -w
    exit 0
fi

"$ROOT/scripts/install-deps.sh"
configure_and_build >/dev/null
prepare_prefix
mkdir -p "$OUT_DIR" "$SHOT_DIR"
wineserver -k 2>/dev/null || true
CORVASIN_PLACEMENT_INNER=1 xvfb-run -a -s "-screen 0 1280x1024x24" bash "${BASH_SOURCE[0]}" 2>&1 |
    grep -v -e '^X connection to .* broken' -e 'FS volume label and serial' || true

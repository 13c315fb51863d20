#!/usr/bin/env bash
# Builds, then runs the Export command (the save-file dialog, the export type dialog) and the
# Security... command (the system's access-control editor) on a sample key under Xvfb and saves
# pictures of them: docs/images/export-file-dialog.png, export-type.png and key-security.png.
set -euo pipefail
source "$(dirname "$0")/common.sh"

"$ROOT/scripts/install-deps.sh"
configure_and_build
prepare_prefix

OUT_DIR="$ROOT/docs/images"
WORK_DIR="$(mktemp -d)"
trap 'rm -rf "$WORK_DIR"' EXIT
mkdir -p "$OUT_DIR"

# The program writes its bitmaps (and the exported file) into its working directory, which the
# file dialog shows.
(cd "$WORK_DIR" && xvfb-run -a -s "-screen 0 1024x768x24" wine "$BUILD_DIR/corvasin-export-screenshots.exe")
wineserver -w

for name in export-file-dialog export-type key-security; do
    convert "$WORK_DIR/$name.bmp" "$OUT_DIR/$name.png"
    echo "wrote $OUT_DIR/$name.png"
done

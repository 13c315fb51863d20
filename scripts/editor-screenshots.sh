#!/usr/bin/env bash
# Builds, then opens each value dialog with sample data under Xvfb and saves a picture of it:
# docs/images/edit-text.png, edit-multi-text.png, edit-dword.png and edit-binary.png.
set -euo pipefail
source "$(dirname "$0")/common.sh"

"$ROOT/scripts/install-deps.sh"
configure_and_build
prepare_prefix

OUT_DIR="$ROOT/docs/images"
WORK_DIR="$(mktemp -d)"
trap 'rm -rf "$WORK_DIR"' EXIT
mkdir -p "$OUT_DIR"

# The program writes its bitmaps into its working directory.
(cd "$WORK_DIR" && xvfb-run -a -s "-screen 0 1024x768x24" wine "$BUILD_DIR/corvasin-editor-screenshots.exe")
wineserver -w

for name in edit-text edit-multi-text edit-dword edit-binary; do
    convert "$WORK_DIR/$name.bmp" "$OUT_DIR/$name.png"
    echo "wrote $OUT_DIR/$name.png"
done

#!/usr/bin/env bash
# Builds, then opens each value dialog with sample data under Xvfb and saves a picture of it:
# docs/images/edit-text.png, edit-multi-text.png, edit-dword.png and edit-binary.png.
set -euo pipefail
source "$(dirname "$0")/common.sh"

"$ROOT/scripts/install-deps.sh"
configure_and_build
prepare_prefix

program_pictures corvasin-editor-screenshots.exe edit-text edit-multi-text edit-dword edit-binary

#!/usr/bin/env bash
# Builds, then drags a sample key and one of its values onto a folder under Xvfb and pictures
# Wine's explorer on that folder: docs/images/drag-to-folder.png.
set -euo pipefail
source "$(dirname "$0")/common.sh"

"$ROOT/scripts/install-deps.sh"
configure_and_build --target corvasin-drag-screenshots
prepare_prefix

program_pictures corvasin-drag-screenshots.exe drag-to-folder

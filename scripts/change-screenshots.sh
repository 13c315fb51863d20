#!/usr/bin/env bash
# Builds, then opens the compare window on two sample keys and the preview of a registration
# file dropped on a key under Xvfb, and saves pictures of them: docs/images/compare-keys.png and
# merge-preview.png.
set -euo pipefail
source "$(dirname "$0")/common.sh"

"$ROOT/scripts/install-deps.sh"
configure_and_build
prepare_prefix
program_pictures corvasin-change-screenshots.exe compare-keys merge-preview

#!/usr/bin/env bash
# Builds, then runs the Export command (the save-file dialog, the export type dialog) and the
# Security... command (the system's access-control editor) on a sample key under Xvfb and saves
# pictures of them: docs/images/export-file-dialog.png, export-type.png and key-security.png.
set -euo pipefail
source "$(dirname "$0")/common.sh"

"$ROOT/scripts/install-deps.sh"
configure_and_build
prepare_prefix

# The program writes the exported file into its working directory too, which the file dialog
# shows.
program_pictures corvasin-export-screenshots.exe export-file-dialog export-type key-security

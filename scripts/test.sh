#!/usr/bin/env bash
# Installs what is missing, builds, prepares the private Wine prefix and runs every test under Xvfb.
set -euo pipefail
source "$(dirname "$0")/common.sh"

"$ROOT/scripts/install-deps.sh"
"$ROOT/scripts/check-layers.sh"
configure_and_build
prepare_prefix

cd "$BUILD_DIR"
# -a picks a free display; the wineserver of the prefix is kept alive by a CTest fixture.
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure --timeout 300 "$@"

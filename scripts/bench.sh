#!/usr/bin/env bash
# Builds and runs the folder benchmark in the private Wine prefix (a program, not a test).
set -euo pipefail
source "$(dirname "$0")/common.sh"

"$ROOT/scripts/install-deps.sh"
configure_and_build
prepare_prefix
wine "$BUILD_DIR/corvasin_bench.exe"
wineserver -w

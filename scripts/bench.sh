#!/usr/bin/env bash
# Builds and runs the benchmarks in the private Wine prefix (programs, not tests).
#   ./scripts/bench.sh            every benchmark
#   ./scripts/bench.sh listing    one of them (listing, export, search...)
set -euo pipefail
source "$(dirname "$0")/common.sh"

"$ROOT/scripts/install-deps.sh"
configure_and_build
prepare_prefix
if [ $# -gt 0 ]; then
    names=("$@")
else
    names=()
    for exe in "$BUILD_DIR"/corvasin-bench-*.exe; do
        name=${exe##*/corvasin-bench-}
        names+=("${name%.exe}")
    done
fi
for name in "${names[@]}"; do
    echo "== benchmark: $name"
    # Benchmarks that open windows need a display: without one they run under Xvfb.
    if [ -n "${DISPLAY:-}" ]; then
        wine "$BUILD_DIR/corvasin-bench-$name.exe" </dev/null
    else
        xvfb-run -a -s "-screen 0 1280x1024x24" wine "$BUILD_DIR/corvasin-bench-$name.exe" </dev/null
    fi
    wineserver -w
done

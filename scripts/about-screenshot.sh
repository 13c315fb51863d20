#!/usr/bin/env bash
# Registers corvasin.dll in the private Wine prefix, which writes the web view files into the
# prefix's Windows "Web" folder, and renders the installed about page (with its style sheet and
# corner picture) in headless Chromium: docs/images/about-page.png. Installs Chromium first when
# it is missing; the build and the tests do not need it.
set -euo pipefail
source "$(dirname "$0")/common.sh"

"$ROOT/scripts/install-deps.sh" --with-browser
configure_and_build >/dev/null
prepare_prefix

wine regsvr32 /s "$BUILD_DIR/corvasin.dll" </dev/null
wineserver -w

PAGE="$WINEPREFIX/drive_c/windows/Web/Corvasin.html"
if [ ! -f "$PAGE" ]; then
    echo "about-screenshot: registration wrote no $PAGE" >&2
    exit 1
fi

OUT="$ROOT/docs/images/about-page.png"
PROFILE="$(mktemp -d)"
trap 'rm -rf "$PROFILE"' EXIT
mkdir -p "$(dirname "$OUT")"
# A fresh profile and nothing that reaches out: the page is local and so is everything it shows.
chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$PROFILE" --hide-scrollbars --window-size=1024,1100 \
    --screenshot="$OUT" "file://$PAGE" 2>/dev/null
echo "wrote $OUT"

#!/usr/bin/env bash
# Installs what is missing, builds, prepares the private Wine prefixes and runs every test under
# Xvfb: the x64 build always, the x86 build as well where the host runs 32-bit programs
# (CORVASIN_X64_ONLY=1 takes the 64-bit-only path on any host). Then the release archive is made
# and installed and uninstalled in the x64 prefix (tests/package). Arguments go to ctest.
set -euo pipefail
source "$(dirname "$0")/common.sh"

"$ROOT/scripts/install-deps.sh"
"$ROOT/scripts/check-layers.sh"

ARCHES=(x64)
if host_runs_x86; then ARCHES+=(x86); fi

declare -A RESULT
failed=0
for arch in "${ARCHES[@]}"; do
    select_arch "$arch"
    echo "== $arch: building in $BUILD_DIR"
    configure_and_build
    prepare_prefix
    rc=0
    # -a picks a free display; the wineserver of the prefix is kept alive by a CTest fixture.
    (cd "$BUILD_DIR" && xvfb-run -a -s "-screen 0 1280x1024x24" \
        ctest --output-on-failure --timeout 300 "$@") || rc=$?
    if [ "$rc" -eq 0 ]; then RESULT[$arch]="ran, passed"; else RESULT[$arch]="ran, FAILED"; failed=1; fi
done

# Both builds in one win64 prefix: the same registry, registrations side by side.
ARCH_RESULT=""
if [ -n "${RESULT[x86]:-}" ]; then
    echo "== x86 beside x64 in the win64 prefix"
    if xvfb-run -a -s "-screen 0 1280x1024x24" "$ROOT/tests/arch/same-registry-test.sh"; then
        ARCH_RESULT="ran, passed"
    else
        ARCH_RESULT="ran, FAILED"
        failed=1
    fi
fi

echo "== package: the release archive, installed and uninstalled in the x64 prefix"
if "$ROOT/tests/package/package-test.sh"; then PACKAGE="ran, passed"; else PACKAGE="ran, FAILED"; failed=1; fi

echo "== architectures"
echo "x64: ${RESULT[x64]}"
if [ -n "${RESULT[x86]:-}" ]; then
    echo "x86: ${RESULT[x86]}"
    echo "x86 beside x64: $ARCH_RESULT"
else
    echo "x86: skipped: $(why_no_x86)"
fi
echo "package: $PACKAGE"
exit "$failed"

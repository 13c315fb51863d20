#!/usr/bin/env bash
# Opens a shell window on the registry: installs what is missing, builds, prepares the private
# Wine prefix, registers corvasin.dll there and starts corvasin-browse.exe (tree pane and folder
# view) at the location given, or at the registry root.
#
#   ./scripts/run.sh [LOCATION]            LOCATION: HKEY_CURRENT_USER\Software,
#                                          reg://HKCU\Software, HKLM/SOFTWARE ...
#   ./scripts/run.sh --path 'C:\windows'   any text the desktop parses, e.g. ::{CLSID} (testing)
#   ./scripts/run.sh --help                the window program's options
#   ./scripts/run.sh --arch x64 [...]      which build to show, x86 or x64 (default: x86 where
#                                          the host runs 32-bit programs, else x64); also
#                                          CORVASIN_ARCH
#
# With a display (DISPLAY set) the window stays until it is closed. Without one the window runs
# under Xvfb, a PNG of it is saved under the build tree, its path is printed, and the script ends.
set -euo pipefail

# --arch is the script's own option; every other argument goes to the window program.
ARGS=()
while [ $# -gt 0 ]; do
    case "$1" in
        --arch)
            [ $# -ge 2 ] || { echo "run: --arch needs x86 or x64" >&2; exit 2; }
            export CORVASIN_ARCH=$2
            shift 2
            ;;
        --arch=*) export CORVASIN_ARCH=${1#--arch=}; shift ;;
        *) ARGS+=("$1"); shift ;;
    esac
done
set -- ${ARGS[@]+"${ARGS[@]}"}
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
export CORVASIN_ARCH=$ARCH

HOST_EXE="$BUILD_DIR/corvasin-browse.exe"
DLL="$BUILD_DIR/corvasin.dll"

step() { echo "run: $*" >&2; }

require_runnable_arch

# A Unix path as the prefix sees it: drive Z: is the Unix root in every new prefix.
win_path() {
    if [ "$(readlink "$WINEPREFIX/dosdevices/z:" 2>/dev/null)" = / ]; then
        local p="$1"
        printf 'Z:%s' "${p//\//\\}"
    else
        winepath -w "$1"
    fi
}

# A failed registration is reported but does not stop the run: the window program then says
# which location it could not open.
register_dll() {
    step "registering $DLL"
    local rc=0
    wine regsvr32 /s "$(win_path "$DLL")" </dev/null || rc=$?
    [ "$rc" -eq 0 ] && return 0
    local why="regsvr32 failed"
    case "$rc" in
        3) why="the DLL could not be loaded" ;;
        4) why="the DLL has no DllRegisterServer export" ;;
        5) why="DllRegisterServer returned a failure" ;;
    esac
    echo "run: REGISTRATION FAILED (regsvr32 exit $rc): $why; continuing without it" >&2
}

# Y leaves the window to the window manager; N (no window manager under Xvfb) makes Wine draw
# the frame itself, so the picture has a caption.
set_window_managed() {
    wine reg add 'HKCU\Software\Wine\AppDefaults\corvasin-browse.exe\X11 Driver' \
        /v Managed /d "$1" /f >/dev/null 2>&1 </dev/null || true
}

# Second half of a headless run, inside the Xvfb session that the first half started: every
# Wine process of the run shares that one display.
if [ -n "${CORVASIN_RUN_SCREENSHOT:-}" ]; then
    register_dll
    set_window_managed N
    exec wine "$(win_path "$HOST_EXE")" --screenshot "$(win_path "$CORVASIN_RUN_SCREENSHOT")" "$@" \
        </dev/null
fi

case "$ARCH" in
    x64) step "showing the x64 build: 64-bit corvasin.dll in the win64 prefix $WINEPREFIX" ;;
    x86) step "showing the x86 build: 32-bit corvasin.dll in the win32 prefix $WINEPREFIX" ;;
esac
"$ROOT/scripts/install-deps.sh"
if ! configure_and_build >/dev/null; then
    echo "run: the build failed" >&2
    exit 1
fi
prepare_prefix

if [ -n "${DISPLAY:-}" ]; then
    register_dll
    set_window_managed Y
    step "opening the window on $DISPLAY (close it to end)"
    exec wine "$(win_path "$HOST_EXE")" "$@"
fi

SHOT_DIR="$BUILD_DIR/screenshots"
mkdir -p "$SHOT_DIR"
n=1
while [ -e "$SHOT_DIR/registry-$n.png" ]; do n=$((n + 1)); done
bmp="$SHOT_DIR/registry-$n.bmp"
png="$SHOT_DIR/registry-$n.png"

step "no DISPLAY: running under Xvfb"
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
rc=0
# The program's own messages go to stderr: the PNG path is the one line on stdout.
CORVASIN_RUN_SCREENSHOT="$bmp" xvfb-run -a -s "-screen 0 1280x1024x24" \
    bash "${BASH_SOURCE[0]}" "$@" >"$log" 2>&1 || rc=$?
# Wine's helper processes lose their X connection when Xvfb ends; that notice is no error.
grep -v -e '^X connection to .* broken' -e 'FS volume label and serial are not available' \
    "$log" >&2 || true
if [ "$rc" -ne 0 ]; then
    echo "run: corvasin-browse failed (exit $rc)" >&2
    exit "$rc"
fi
[ -f "$bmp" ] || exit 0 # --help: nothing was shown
convert "$bmp" "$png"
rm -f "$bmp"
echo "$png"

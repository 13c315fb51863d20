# Shared settings of the run and test scripts: where the build and the private Wine prefix live.
# Sourced, not run.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${CORVASIN_BUILD_DIR:-$ROOT/build}"
export WINEPREFIX="$BUILD_DIR/wineprefix"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all,err+module}"
export WINEDLLOVERRIDES="mscoree,mshtml="

configure_and_build() {
    cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$BUILD_DIR" -j "$(nproc)"
}

# Ends the prefix's wineserver once it has written the registry to disk. A server left running
# with -p (a developer's manual runs) would never end by itself, so it is told to.
stop_wineserver() {
    wineserver -k >/dev/null 2>&1 </dev/null || true
    wineserver -w >/dev/null 2>&1 </dev/null || true
}

# The private 32-bit prefix inside the build tree; never the user's ~/.wine.
prepare_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "creating Wine prefix $WINEPREFIX"
        wineboot -i >/dev/null 2>&1 </dev/null
        stop_wineserver
    fi
    # Without a window manager message boxes take seconds to appear unless windows are unmanaged.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
    stop_wineserver
}

# Runs a picture program of the build under Xvfb in a scratch directory, where it writes NAME.bmp
# for each NAME given, and saves each as docs/images/NAME.png.
program_pictures() ( # EXE NAME...
    local exe=$1 work
    shift
    work="$(mktemp -d)"
    trap 'rm -rf "$work"' EXIT
    (cd "$work" && xvfb-run -a -s "-screen 0 1024x768x24" wine "$BUILD_DIR/$exe")
    wineserver -w
    mkdir -p "$ROOT/docs/images"
    for name in "$@"; do
        convert "$work/$name.bmp" "$ROOT/docs/images/$name.png"
        echo "wrote $ROOT/docs/images/$name.png"
    done
)

# One picture of the run command's window, which prints the picture's path last, saved as
# docs/images/NAME.png.
run_picture() { # NAME, then the run command's arguments
    local name=$1 png
    shift
    png=$("$ROOT/scripts/run.sh" "$@" | tail -n 1)
    mkdir -p "$ROOT/docs/images"
    cp "$png" "$ROOT/docs/images/$name.png"
    echo "docs/images/$name.png"
}

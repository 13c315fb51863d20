# Shared settings of the scripts: which architecture to build and run (x86 or x64), where its
# build and its private Wine prefix live, and which Wine runs it. Sourced, not run.
#
#   CORVASIN_ARCH=x86|x64   the build a script works on (default: x86 where the host runs
#                           32-bit programs, else x64)
#   CORVASIN_X64_ONLY=1     behave as on a host that runs 64-bit programs only
#   CORVASIN_BUILD_DIR=DIR  build under DIR/x86 and DIR/x64 instead of build/x86 and build/x64
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_ROOT="${CORVASIN_BUILD_DIR:-$ROOT/build}"
export WINEDEBUG="${WINEDEBUG:--all,err+module}"
export WINEDLLOVERRIDES="mscoree,mshtml="
CORVASIN_BASE_PATH="${CORVASIN_BASE_PATH:-$PATH}"
export CORVASIN_BASE_PATH

# Whether this host runs 32-bit x86 programs. Asked by running one: a 96-byte static i386 Linux
# program that exits with 42. Hosts whose kernel runs 64-bit user code only refuse it with
# "Exec format error", whatever the kernel's configuration claims.
host_runs_x86() {
    [ -z "${CORVASIN_X64_ONLY:-}" ] || return 1
    if [ -z "${CORVASIN_HOST_X86:-}" ]; then
        local probe rc=0
        probe="$(mktemp)"
        printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\4\10\64\0\0\0' >"$probe"
        printf '\0\0\0\0\0\0\0\0\64\0\40\0\1\0\0\0\0\0\0\0\1\0\0\0\0\0\0\0\0\200\4\10' >>"$probe"
        printf '\0\200\4\10\140\0\0\0\140\0\0\0\5\0\0\0\0\20\0\0' >>"$probe"
        printf '\270\1\0\0\0\273\52\0\0\0\315\200' >>"$probe" # exit(42)
        chmod +x "$probe"
        "$probe" >/dev/null 2>&1 </dev/null || rc=$?
        rm -f "$probe"
        if [ "$rc" -eq 42 ]; then CORVASIN_HOST_X86=yes; else CORVASIN_HOST_X86=no; fi
        export CORVASIN_HOST_X86
    fi
    [ "$CORVASIN_HOST_X86" = yes ]
}

# Why x86 is not built and tested here (only meaningful when host_runs_x86 fails).
why_no_x86() {
    if [ -n "${CORVASIN_X64_ONLY:-}" ]; then
        echo "CORVASIN_X64_ONLY is set"
    else
        echo "this host cannot run 32-bit programs (a 32-bit probe failed: Exec format error)"
    fi
}

# Selects the build the following steps work on: BUILD_DIR, the Wine prefix and architecture,
# the toolchain, and the Wine programs that `wine`, `wineserver`, `wineboot` and `winepath`
# name. For x64 they are the 64-bit ones, called by path: Debian's wrapper takes the 32-bit
# loader whenever wine32 is installed.
select_arch() { # x86 | x64
    ARCH=$1
    BUILD_DIR="$BUILD_ROOT/$ARCH"
    export WINEPREFIX="$BUILD_DIR/wineprefix"
    case "$ARCH" in
        x86)
            export WINEARCH=win32
            TOOLCHAIN="$ROOT/cmake/mingw-i686.cmake"
            unset WINELOADER
            PATH="$CORVASIN_BASE_PATH"
            ;;
        x64)
            export WINEARCH=win64
            TOOLCHAIN="$ROOT/cmake/mingw-x86_64.cmake"
            export WINELOADER=/usr/lib/wine/wine64
            local shims="$BUILD_ROOT/wine64-bin"
            if [ ! -x "$shims/winepath" ]; then
                mkdir -p "$shims"
                printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$shims/wine"
                printf '#!/bin/sh\nexec /usr/lib/wine/wineserver64 "$@"\n' >"$shims/wineserver"
                printf '#!/bin/sh\nexec /usr/lib/wine/wine64 wineboot "$@"\n' >"$shims/wineboot"
                printf '#!/bin/sh\nexec /usr/lib/wine/wine64 winepath "$@"\n' >"$shims/winepath"
                chmod +x "$shims"/*
            fi
            PATH="$shims:$CORVASIN_BASE_PATH"
            ;;
        *)
            echo "unknown architecture '$ARCH' (x86 or x64)" >&2
            return 2
            ;;
    esac
    export PATH
}

default_arch() {
    if host_runs_x86; then echo x86; else echo x64; fi
}

# An x86 build asked for where it cannot run is refused before anything is built.
require_runnable_arch() {
    if [ "$ARCH" = x86 ] && ! host_runs_x86; then
        echo "the x86 build cannot run here: $(why_no_x86); use --arch x64 (or CORVASIN_ARCH=x64)" >&2
        exit 2
    fi
}

# Configures the selected build and builds it all, or only what the arguments name (--target X).
configure_and_build() {
    cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$BUILD_DIR" -j "$(nproc)" "$@"
}

# Ends the prefix's wineserver once it has written the registry to disk. A server left running
# with -p (a developer's manual runs) would never end by itself, so it is told to.
stop_wineserver() {
    wineserver -k >/dev/null 2>&1 </dev/null || true
    wineserver -w >/dev/null 2>&1 </dev/null || true
}

# The private prefix of the selected build, inside its build tree; never the user's ~/.wine.
prepare_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "creating Wine prefix $WINEPREFIX ($WINEARCH)"
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
    png=$(CORVASIN_ARCH="$ARCH" "$ROOT/scripts/run.sh" "$@" | tail -n 1)
    mkdir -p "$ROOT/docs/images"
    cp "$png" "$ROOT/docs/images/$name.png"
    echo "docs/images/$name.png"
}

select_arch "${CORVASIN_ARCH:-$(default_arch)}"

#!/usr/bin/env bash
# Installs what the build and the tests need, once: Wine (64-bit), MinGW-w64 for x64, Xvfb,
# CMake, GoogleTest sources and ImageMagick; and, where the host runs 32-bit programs, the i386
# architecture, Wine's 32-bit half and MinGW-w64 for x86. Safe to run again.
#   --with-browser        also Chromium, which only the about page's screenshot script needs
#   --with-x86-compiler   also MinGW-w64 for x86 and zip, which the package script needs on any
#                         host (building the x86 DLL runs nothing 32-bit)
set -euo pipefail
source "$(dirname "$0")/common.sh"

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

PKGS=(wine wine64 g++-mingw-w64-x86-64-posix xvfb xauth cmake googletest imagemagick make)
if host_runs_x86; then
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $SUDO dpkg --add-architecture i386
        NEED_UPDATE=1
    fi
    PKGS+=(wine32:i386 g++-mingw-w64-i686-posix)
fi
for arg in "$@"; do
    case "$arg" in
        --with-browser) PKGS+=(chromium) ;;
        --with-x86-compiler) PKGS+=(g++-mingw-w64-i686-posix zip) ;;
        *) echo "install-deps: unknown option $arg" >&2; exit 2 ;;
    esac
done
MISSING=()
for p in "${PKGS[@]}"; do
    have_pkg "$p" || MISSING+=("$p")
done

if [ "${#MISSING[@]}" -gt 0 ]; then
    echo "install-deps: installing ${MISSING[*]}"
    $SUDO apt-get update -q
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${MISSING[@]}"
elif [ "${NEED_UPDATE:-0}" = 1 ]; then
    $SUDO apt-get update -q
fi

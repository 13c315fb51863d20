#!/usr/bin/env bash
# Builds corvasin.dll for x64 and x86 and writes the release archive dist/corvasin-<version>.zip:
# x64/corvasin.dll and x86/corvasin.dll (stripped), README.md, and install.cmd and uninstall.cmd
# from package/ with Windows line endings. Only the DLL target is built, so the x86 half needs no
# host that runs 32-bit programs. The version is the CMake project's. Prints the archive's path last.
set -euo pipefail
source "$(dirname "$0")/common.sh"

"$ROOT/scripts/install-deps.sh" --with-x86-compiler

for arch in x64 x86; do
    select_arch "$arch"
    echo "== $arch: building corvasin.dll in $BUILD_DIR"
    configure_and_build --target corvasin
done

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD_ROOT/x64/CMakeCache.txt")"
if [ -z "$version" ]; then
    echo "package: no project version in $BUILD_ROOT/x64/CMakeCache.txt" >&2
    exit 1
fi
archive="$ROOT/dist/corvasin-$version.zip"
stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
# Stripped: the static runtime brings debug sections that make up two thirds of the file.
declare -A TRIPLET=([x64]=x86_64-w64-mingw32 [x86]=i686-w64-mingw32)
for arch in x64 x86; do
    mkdir "$stage/$arch"
    "${TRIPLET[$arch]}-strip" -o "$stage/$arch/corvasin.dll" "$BUILD_ROOT/$arch/corvasin.dll"
done
cp "$ROOT/README.md" "$stage/"
# CRLF whatever the checkout did with them: cmd reads labels wrongly in LF-only files.
for script in install.cmd uninstall.cmd; do
    sed 's/\r*$/\r/' "$ROOT/package/$script" >"$stage/$script"
done
mkdir -p "$ROOT/dist"
rm -f "$archive"
(cd "$stage" && zip -q -X -r "$archive" x64 x86 README.md install.cmd uninstall.cmd)
echo "$archive"

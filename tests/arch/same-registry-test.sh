#!/usr/bin/env bash
# Both builds in one win64 prefix, as on 64-bit Windows: the x86 DLL, registered by the 32-bit
# regsvr32, lists HKLM\SOFTWARE exactly as the x64 DLL does (the 64-bit view, where WOW6432Node
# is an ordinary key); the two registrations stand side by side, and unregistering either one
# leaves the other working. Needs a host that runs 32-bit programs and both builds made
# (scripts/test.sh runs it after both test runs). Run it under a display (xvfb-run).
set -euo pipefail
source "$(dirname "$0")/../../scripts/common.sh"

if ! host_runs_x86; then
    echo "arch: skipped: $(why_no_x86)"
    exit 0
fi
X86_BUILD="$BUILD_ROOT/x86"
select_arch x64
X64_BUILD="$BUILD_DIR"
# The 32-bit loader finds its 64-bit partner itself; the x64 selection's WINELOADER is not its own.
WINE32=(env -u WINELOADER /usr/lib/wine/wine)
WINE64=(/usr/lib/wine/wine64)

passed=0
failed=0
check() { # DESCRIPTION, then a command that succeeds when the check holds
    local what=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $what" >&2
    fi
}

winpath() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }
x64_reg() { "${WINE64[@]}" regsvr32 /s "$@" "$(winpath "$X64_BUILD/corvasin.dll")" </dev/null; }
x86_reg() { "${WINE32[@]}" regsvr32 /s "$@" "$(winpath "$X86_BUILD/corvasin.dll")" </dev/null; }
x64_list() { "${WINE64[@]}" "$X64_BUILD/corvasin-browse.exe" --list "$1" </dev/null 2>/dev/null | tr -d '\r'; }
x86_list() { "${WINE32[@]}" "$X86_BUILD/corvasin-browse.exe" --list "$1" </dev/null 2>/dev/null | tr -d '\r'; }
same() { [ -n "$1" ] && [ "$1" = "$2" ]; }
lists_wow_node() { grep -qix 'wow6432node' <<<"$1"; }

wineserver -p >/dev/null 2>&1 </dev/null
trap 'x64_reg /u || true; x86_reg /u || true; wineserver -k >/dev/null 2>&1 || true' EXIT

check "the x64 DLL registers" x64_reg
check "the x86 DLL registers beside it" x86_reg
reference=$(x64_list 'HKLM\SOFTWARE')
check "the x64 DLL lists WOW6432Node in HKLM\\SOFTWARE" lists_wow_node "$reference"
check "the x86 DLL lists HKLM\\SOFTWARE as the x64 DLL does" same "$(x86_list 'HKLM\SOFTWARE')" "$reference"
check "both list HKLM\\SOFTWARE\\WOW6432Node alike" \
    same "$(x86_list 'HKLM\SOFTWARE\WOW6432Node')" "$(x64_list 'HKLM\SOFTWARE\WOW6432Node')"

check "the x86 DLL unregisters" x86_reg /u
check "the x64 DLL still works after the x86 one left" same "$(x64_list 'HKLM\SOFTWARE')" "$reference"
check "the x86 DLL registers again" x86_reg
check "the x64 DLL unregisters" x64_reg /u
check "the x86 DLL still works after the x64 one left" same "$(x86_list 'HKLM\SOFTWARE')" "$reference"

echo "arch: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

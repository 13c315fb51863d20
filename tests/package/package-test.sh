#!/usr/bin/env bash
# The release archive as a user meets it: unpacked into a fresh folder of the x64 build's win64
# prefix, install.cmd and uninstall.cmd run through Wine's cmd, and what each leaves in the
# registry read back with Wine's reg. The 32-bit half is checked where the host runs 32-bit
# programs; elsewhere install.cmd must say that it skipped it.
#   tests/package/package-test.sh [ZIP]   (without ZIP, scripts/package.sh makes one)
set -uo pipefail
source "$(dirname "$0")/../../scripts/common.sh"

archive="${1:-}"
if [ -z "$archive" ]; then
    archive="$("$ROOT/scripts/package.sh" | tail -n 1)" || exit 1
fi
archive="$(realpath "$archive")" || exit 1
select_arch x64
[ -f "$WINEPREFIX/system.reg" ] || prepare_prefix

folder_class="$(grep -B1 'GUID CLSID_CorvasinFolder' "$ROOT/src/app/Guids.h" | grep -o '{[0-9A-F-]*}')"
namespace_key="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace\\$folder_class"
server_key="HKCR\\CLSID\\$folder_class\\InprocServer32"

work="$(mktemp -d "$WINEPREFIX/drive_c/corvasin-package.XXXXXX")"
trap 'stop_wineserver; rm -rf "$work"' EXIT
wineserver -p >/dev/null 2>&1 </dev/null
package_dir="C:\\${work#"$WINEPREFIX/drive_c/"}"

passed=0
failed=0
check() { # WHAT, then a command that succeeds when it holds; fails when that does
    local what=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
        echo "ok: $what"
    else
        failed=$((failed + 1))
        echo "FAILED: $what"
        return 1
    fi
}
summary() {
    echo "package: $passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}

# Runs one of the package's scripts as Explorer does (cmd /c); its report goes to $work/NAME.log.
run_script() { # NAME
    local rc=0
    wine cmd /c "$package_dir\\$1" </dev/null >"$work/$1.log" 2>&1 || rc=$?
    tr -d '\r' <"$work/$1.log" | sed "s/^/  $1: /"
    return "$rc"
}

# The default value of a key in one registry view (64 or 32), as Wine's reg prints it.
default_value() { # KEY VIEW
    wine reg query "$1" /ve "/reg:$2" </dev/null 2>/dev/null | tr -d '\r' |
        sed -n 's/^ *([^)]*) *REG_SZ *//p'
}
names_dll() { # KEY VIEW ARCH: the key's default value is the unpacked DLL of ARCH
    local value expected="$package_dir\\$3\\corvasin.dll"
    value="$(default_value "$1" "$2")"
    [ "${value,,}" = "${expected,,}" ] || { echo "  $1 (/reg:$2): '$value', expected '$expected'"; return 1; }
}
key_exists() { # KEY VIEW
    wine reg query "$1" "/reg:$2" </dev/null >/dev/null 2>&1
}
key_missing() { ! key_exists "$@"; }
says() { grep -q "$1" "$work/$2.log"; } # TEXT NAME
windows_lines() { # FILE...: every line ends in CR LF (cmd misreads labels in LF-only files)
    local f
    for f in "$@"; do [ -s "$work/$f" ] && ! grep -qv $'\r$' "$work/$f" || return 1; done
}

unpack() { (cd "$work" && cmake -E tar xf "$archive") && [ -f "$work/install.cmd" ]; }
check "$(basename "$archive") unpacks" unpack || { summary; exit; }
check "install.cmd and uninstall.cmd have Windows line endings" windows_lines install.cmd uninstall.cmd
check "install.cmd exits 0" run_script install.cmd
check "x64 folder class served by the unpacked x64 DLL" names_dll "$server_key" 64 x64
check "namespace on the desktop" key_exists "$namespace_key" 64
if host_runs_x86; then
    check "x86 folder class served by the unpacked x86 DLL in the 32-bit view" names_dll "$server_key" 32 x86
else
    check "install.cmd reports the 32-bit half skipped" says "32-bit: skipped" install.cmd
fi

check "uninstall.cmd exits 0" run_script uninstall.cmd
check "x64 folder class gone" key_missing "HKCR\\CLSID\\$folder_class" 64
check "namespace gone from the desktop" key_missing "$namespace_key" 64
if host_runs_x86; then
    check "x86 folder class gone from the 32-bit view" key_missing "HKCR\\CLSID\\$folder_class" 32
fi

summary

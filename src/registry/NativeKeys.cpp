// The native calls are looked up once in ntdll, which every process has loaded.
#include "registry/NativeKeys.h"

#include "core/Result.h"
#include "registry/RegistryAccess.h"

#include <vector>

namespace corvasin
{

namespace
{
using NtStatus = LONG;
using NtDeleteKeyFn = NtStatus(WINAPI*)(HANDLE);
using NtQueryKeyFn = NtStatus(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
using RtlNtStatusToDosErrorFn = ULONG(WINAPI*)(NtStatus);

constexpr int kKeyNameInformation = 3;
constexpr NtStatus kBufferOverflow = static_cast<NtStatus>(0x80000005);
constexpr NtStatus kBufferTooSmall = static_cast<NtStatus>(0xC0000023);

template <typename Fn>
Fn NtdllFunction(const char* pszName) noexcept
{
    const HMODULE hNtdll = ::GetModuleHandleW(L"ntdll.dll");
    return hNtdll ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(hNtdll, pszName))) : nullptr;
}

HRESULT FromStatus(NtStatus status) noexcept
{
    if (status >= 0)
        return S_OK;
    static const auto toDosError = NtdllFunction<RtlNtStatusToDosErrorFn>("RtlNtStatusToDosError");
    return toDosError ? HrFromWin32(static_cast<LONG>(toDosError(status))) : E_FAIL;
}
} // namespace

HRESULT DeleteOpenKey(HKEY hKey) noexcept
{
    static const auto deleteKey = NtdllFunction<NtDeleteKeyFn>("NtDeleteKey");
    if (!hKey)
        return HrFromWin32(ERROR_INVALID_HANDLE);
    if (!deleteKey)
        return E_NOTIMPL;
    return FromStatus(deleteKey(hKey));
}

bool FullKeyName(HKEY hKey, std::wstring& name) noexcept
{
    static const auto queryKey = NtdllFunction<NtQueryKeyFn>("NtQueryKey");
    if (!hKey || !queryKey)
        return false;
    try
    {
        // KEY_NAME_INFORMATION: the name's length in bytes, then the name without a zero.
        std::vector<BYTE> buffer(512);
        for (int nAttempt = 0; nAttempt < 4; ++nAttempt)
        {
            ULONG cbNeeded = 0;
            const NtStatus status = queryKey(hKey, kKeyNameInformation, buffer.data(),
                                             static_cast<ULONG>(buffer.size()), &cbNeeded);
            if (status == kBufferOverflow || status == kBufferTooSmall)
            {
                buffer.resize(cbNeeded > buffer.size() ? cbNeeded : 2 * buffer.size());
                continue;
            }
            if (status < 0)
                return false;
            ULONG cbName = 0;
            memcpy(&cbName, buffer.data(), sizeof(cbName));
            if (cbName > buffer.size() - sizeof(ULONG))
                return false;
            name.assign(reinterpret_cast<const wchar_t*>(buffer.data() + sizeof(ULONG)), cbName / sizeof(wchar_t));
            return !name.empty();
        }
        return false;
    }
    CATCH_RETURN(false)
}

bool MayBeSameOrBelowKey(HKEY hOuter, HKEY hInner) noexcept
{
    std::wstring outer, inner;
    try
    {
        if (!FullKeyName(hOuter, outer) || !FullKeyName(hInner, inner))
            return true;
    }
    CATCH_RETURN(true)
    return IsSameOrBelowRealPath(outer, inner);
}

} // namespace corvasin

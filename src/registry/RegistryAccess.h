// The registry calls that the folders rely on, with their buffers bounded: names bound for item
// records are read into 200-character buffers, value data into a buffer of the size reported.
#pragma once

#include <windows.h>
#include <string>
#include <string_view>
#include <vector>

namespace corvasin
{

// How many levels below its start a walk over a key tree (export, security) goes. The
// registry's own limit is 512 levels; a chain of registry links could otherwise go on for ever.
constexpr unsigned kMaxKeyDepth = 512;

// Every key the folders open, create or delete is reached in the registry's 64-bit view, so the
// 32-bit build under WOW64 shows and changes the same keys as the 64-bit one, and
// HKLM\SOFTWARE\WOW6432Node is the ordinary key it is. (The product's own settings and its
// registration stay where each build's own calls put them.)
constexpr REGSAM kRegistryView = KEY_WOW64_64KEY;

// RegOpenKeyExA, RegCreateKeyExA and RegDeleteKeyExA in that view.
LSTATUS OpenRegKey(HKEY hParent, const char* pszSubkey, REGSAM sam, HKEY* phKey) noexcept;
LSTATUS CreateRegKey(HKEY hParent, const char* pszSubkey, REGSAM sam, HKEY* phKey,
                     DWORD* pdwDisposition = nullptr) noexcept;
LSTATUS DeleteRegKey(HKEY hParent, const char* pszSubkey) noexcept;

// The same in wide characters: the registry's own names, whatever the code page can hold.
LSTATUS OpenRegKeyW(HKEY hParent, const wchar_t* pszSubkey, REGSAM sam, HKEY* phKey) noexcept;
LSTATUS CreateRegKeyW(HKEY hParent, const wchar_t* pszSubkey, REGSAM sam, HKEY* phKey,
                      DWORD* pdwDisposition = nullptr) noexcept;
LSTATUS DeleteRegKeyW(HKEY hParent, const wchar_t* pszSubkey) noexcept;

// The registry's limits on names, in characters without the terminating zero.
constexpr DWORD kMaxKeyNameChars = 255;
constexpr DWORD kMaxValueNameChars = 16383;

// Whether the key path inner (real names joined by "\") is outer itself or lies below it; names
// compare without regard to case, as the registry compares them.
bool IsSameOrBelowRealPath(std::wstring_view outer, std::wstring_view inner) noexcept;

// The real (wide) name of the subkey or value at an index; false on any failure.
bool ReadSubkeyNameW(HKEY hKey, DWORD dwIndex, std::wstring& name) noexcept;
bool ReadValueNameW(HKEY hKey, DWORD dwIndex, std::wstring& name, DWORD* pdwType = nullptr) noexcept;

// A real name as an item record holds it: in the code page, cut to cbName - 1 bytes. False when
// it does not fit. *pbLossy: the text does not turn back into the real name (a character the
// code page cannot hold became the default character, or a best fit).
bool NameToItemText(const std::wstring& name, char* pszText, DWORD cbText, bool* pbLossy) noexcept;

// Type and stored bytes of a value (null or empty name: the unnamed value), exactly as the
// registry holds them; string data stays UTF-16. Read again at a new size if it grows.
bool ReadTypedValueW(HKEY hKey, const wchar_t* pszValueName, DWORD* pdwType,
                     std::vector<BYTE>& data) noexcept;
// The writes answer S_OK or the registry's own Win32 code.
HRESULT WriteValueW(HKEY hKey, const wchar_t* pszValueName, DWORD dwType, const BYTE* pData,
                    DWORD cbData) noexcept;
bool ValueExistsW(HKEY hKey, const wchar_t* pszValueName) noexcept;
HRESULT DeleteValueW(HKEY hKey, const wchar_t* pszValueName) noexcept;

// String data (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) as the registry stores it, turned into the
// code page as the ANSI calls give it; false for other types (text untouched). *pbLossy: some
// character did not survive.
bool StringDataToCodePage(DWORD dwType, const std::vector<BYTE>& data, std::vector<BYTE>& text,
                          bool* pbLossy) noexcept;

// The numbers of subkeys and values of a key; false when they cannot be read.
bool ReadKeyCounts(HKEY hKey, DWORD* pcSubkeys, DWORD* pcValues) noexcept;

// Subkey name at an index; false on any failure, also for a name of 200 characters or more.
bool ReadSubkeyName(HKEY hKey, DWORD dwIndex, char* pszName, DWORD cchName) noexcept;

// Value name (and type) at an index; false on any failure, also for a name that does not fit.
bool ReadValueName(HKEY hKey, DWORD dwIndex, char* pszName, DWORD cchName,
                   DWORD* pdwType) noexcept;

// The data of a value (none: the unnamed value): size first, then the data. False: no data.
bool ReadValueData(HKEY hKey, const char* pszValueName, std::vector<BYTE>& data) noexcept;

// Reads a value's data in one call when it fits cbBuffer bytes of pBuffer (then *ppData points
// there), and otherwise in the size query and read of ReadValueData into large (then *ppData
// points into it). *pcbData is the data's size. False: no data.
bool ReadValueDataQuick(HKEY hKey, const char* pszValueName, BYTE* pBuffer, DWORD cbBuffer,
                        std::vector<BYTE>& large, const BYTE** ppData, DWORD* pcbData) noexcept;

// The size of the buffer that ReadValueDataQuick callers keep on the stack: most values fit.
constexpr DWORD kQuickValueBuffer = 4096;

// The type and data of a value (none: the unnamed value). A value that grows between the size
// query and the read is read again at its new size (a few times at most); false: no data.
bool ReadTypedValue(HKEY hKey, const char* pszValueName, DWORD* pdwType,
                    std::vector<BYTE>& data) noexcept;

// Writes a value (none: the unnamed value); true on success.
bool WriteValue(HKEY hKey, const char* pszValueName, DWORD dwType, const BYTE* pData,
                DWORD cbData) noexcept;

} // namespace corvasin

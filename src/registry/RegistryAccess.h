// The registry calls that the folders rely on, with their buffers bounded: names bound for item
// records are read into 200-character buffers, value data into a buffer of the size reported.
#pragma once

#include <windows.h>
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

// The size of a value's data, or false when it cannot be read.
bool ReadValueSize(HKEY hKey, const char* pszValueName, DWORD* pcbData) noexcept;

// Name, type and data of the value at an index, in one call while the data fits the buffer's
// current size; when it does not (the value grew since the caller sized the buffer), the buffer
// grows to the value's current size and the value is read again. False when the name does not
// fit or the value cannot be read. *pcbData: the bytes of data read into the buffer.
bool ReadValueAt(HKEY hKey, DWORD dwIndex, char* pszName, DWORD cchName, DWORD* pdwType,
                 std::vector<BYTE>& buffer, DWORD* pcbData) noexcept;

} // namespace corvasin

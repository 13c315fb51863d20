// The registry calls that the folders rely on, with their buffers bounded: names bound for item
// records are read into 200-character buffers, value data into a buffer of the size reported.
#pragma once

#include <windows.h>
#include <vector>

namespace corvasin
{

// Subkey name at an index; false on any failure, also for a name of 200 characters or more.
bool ReadSubkeyName(HKEY hKey, DWORD dwIndex, char* pszName, DWORD cchName) noexcept;

// Value name (and type) at an index; false on any failure, also for a name that does not fit.
bool ReadValueName(HKEY hKey, DWORD dwIndex, char* pszName, DWORD cchName,
                   DWORD* pdwType) noexcept;

// The data of a value (none: the unnamed value): size first, then the data. False: no data.
bool ReadValueData(HKEY hKey, const char* pszValueName, std::vector<BYTE>& data) noexcept;

// The type and data of a value (none: the unnamed value). A value that grows between the size
// query and the read is read again at its new size (a few times at most); false: no data.
bool ReadTypedValue(HKEY hKey, const char* pszValueName, DWORD* pdwType,
                    std::vector<BYTE>& data) noexcept;

// Writes a value (none: the unnamed value); true on success.
bool WriteValue(HKEY hKey, const char* pszValueName, DWORD dwType, const BYTE* pData,
                DWORD cbData) noexcept;

// The size of a value's data, or false when it cannot be read.
bool ReadValueSize(HKEY hKey, const char* pszValueName, DWORD* pcbData) noexcept;

} // namespace corvasin

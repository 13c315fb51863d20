// The texts of the Value, Type, Size and Last modified columns, made from raw registry data.
// Pure functions: the folders read the registry and hand the bytes in.
#pragma once

#include "core/Strings.h"

#include <windows.h>

#include <vector>

namespace corvasin
{

// "REG_SZ", "REG_DWORD"... "(none)" for 0, "(unknown)" beyond the known codes.
const char* ValueTypeName(DWORD dwType) noexcept;

// The Value column: the data formatted by the type the item carries. Never reads past cbData.
CString FormatValueText(DWORD dwType, const BYTE* pData, DWORD cbData) noexcept;

// "REG_SZ: text" of a value's stored bytes, strings turned into the code page first, as the
// windows that list changes show old and new data.
CString TypedValueText(DWORD dwType, const std::vector<BYTE>& storedData);

// "%d bytes", or empty for no data.
CString FormatSizeText(DWORD cbData) noexcept;

// The locale's date and time of a UTC file time, or empty when its low part is 0.
CString FormatLastWriteTime(const FILETIME& ftUtc) noexcept;

} // namespace corvasin

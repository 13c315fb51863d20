// The counted string of the component (ANSI, system code page) and the conversions at the
// shell's wide-character boundary.
#pragma once

#include <windows.h>
#include <string>

namespace corvasin
{

using CString = std::string;

std::wstring AnsiToWide(const char* psz, int cch = -1) noexcept;
CString WideToAnsi(const wchar_t* psz, int cch = -1) noexcept;

// A copy of the text in memory from the shell's task allocator, as STRRET_WSTR and info tips need.
LPWSTR CoTaskMemWideString(const CString& text) noexcept;

} // namespace corvasin

// STRRET, the shell's name and detail text record, in both directions.
#pragma once

#include "core/Strings.h"

#include <shlobj.h>

namespace corvasin
{

// The text of a column or title into a STRRET as STRRET_CSTR, cut to 259 characters.
void SetStrRetText(STRRET* pStr, const CString& text) noexcept;

// The text a STRRET carries (STRRET_WSTR, _CSTR or _OFFSET into pidl); a wide text is freed.
// Empty for a record it cannot read.
CString TakeStrRetText(STRRET& str, LPCITEMIDLIST pidl) noexcept;

} // namespace corvasin

// Filling and reading STRRET records.
#include "framework/StrRet.h"

#include "core/Handles.h"
#include "core/Result.h"

#include <algorithm>
#include <cstring>

namespace corvasin
{

void SetStrRetText(STRRET* pStr, const CString& text) noexcept
{
    pStr->uType = STRRET_CSTR;
    const size_t cch = std::min<size_t>(text.size(), sizeof(pStr->cStr) - 1);
    memcpy(pStr->cStr, text.data(), cch);
    pStr->cStr[cch] = '\0';
}

CString TakeStrRetText(STRRET& str, LPCITEMIDLIST pidl) noexcept
{
    try
    {
        switch (str.uType)
        {
        case STRRET_WSTR:
        {
            // Freed whatever happens below: the text is ours from here on.
            const UniqueCoTaskMem pOleStr(std::exchange(str.pOleStr, nullptr));
            if (!pOleStr)
                return {};
            return WideToAnsi(static_cast<const wchar_t*>(pOleStr.get()));
        }
        case STRRET_CSTR:
            return CString(str.cStr, strnlen(str.cStr, sizeof(str.cStr)));
        case STRRET_OFFSET:
        {
            // The text lies inside the id itself; it must end before the id does.
            if (!pidl || str.uOffset >= pidl->mkid.cb)
                return {};
            const char* psz = reinterpret_cast<const char*>(pidl) + str.uOffset;
            return CString(psz, strnlen(psz, pidl->mkid.cb - str.uOffset));
        }
        default:
            return {};
        }
    }
    CATCH_RETURN(CString())
}

} // namespace corvasin

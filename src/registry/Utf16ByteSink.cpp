// The UTF-8 to UTF-16LE byte sink.
#include "registry/Utf16ByteSink.h"

#include "core/Result.h"

#include <windows.h>
#include <climits>
#include <vector>

namespace corvasin
{

bool CUtf16ByteSink::Write(const void* pData, size_t cb) noexcept
{
    if (cb == 0)
        return true;
    if (!pData || cb > INT_MAX / 2)
        return false;
    try
    {
        const auto* psz = static_cast<const char*>(pData);
        const int cch = ::MultiByteToWideChar(CP_UTF8, 0, psz, static_cast<int>(cb), nullptr, 0);
        if (cch <= 0)
            return false;
        std::vector<wchar_t> wide(static_cast<size_t>(cch));
        ::MultiByteToWideChar(CP_UTF8, 0, psz, static_cast<int>(cb), wide.data(), cch);
        // Windows is little-endian: the characters are already in the file's byte order.
        return m_target.Write(wide.data(), wide.size() * sizeof(wchar_t));
    }
    CATCH_RETURN(false)
}

} // namespace corvasin

// Column text formatting. Registry data may lack its terminating zeros or be shorter than its
// type says: every read stays inside the data read.
#include "registry/ColumnText.h"

#include "registry/RegistryAccess.h"
#include "core/Result.h"

#include <cstdio>
#include <cstring>
#include <ctime>

namespace corvasin
{

namespace
{
// A string inside data of cb bytes: up to the first zero or the end.
size_t BoundedLength(const BYTE* p, size_t cb) noexcept
{
    const void* pZero = memchr(p, 0, cb);
    return pZero ? static_cast<size_t>(static_cast<const BYTE*>(pZero) - p) : cb;
}

void AppendQuoted(CString& text, const BYTE* p, size_t cch)
{
    text += '"';
    text.append(reinterpret_cast<const char*>(p), cch);
    text += '"';
}
} // namespace

const char* ValueTypeName(DWORD dwType) noexcept
{
    static const char* const c_names[] = {"(none)",
                                          "REG_SZ",
                                          "REG_EXPAND_SZ",
                                          "REG_BINARY",
                                          "REG_DWORD",
                                          "REG_DWORD_BIG_ENDIAN",
                                          "REG_LINK",
                                          "REG_MULTI_SZ",
                                          "REG_RESOURCE_LIST",
                                          "REG_FULL_RESOURCE_DESCRIPTOR",
                                          "REG_RESOURCE_REQUIREMENTS_LIST"};
    return dwType < sizeof(c_names) / sizeof(c_names[0]) ? c_names[dwType] : "(unknown)";
}

CString FormatValueText(DWORD dwType, const BYTE* pData, DWORD cbData) noexcept
{
    try
    {
        CString text;
        if (!pData)
            cbData = 0;
        switch (dwType)
        {
        case REG_DWORD:
        {
            // Shorter data is read as far as it goes, the missing high bytes as zero.
            DWORD dw = 0;
            memcpy(&dw, pData ? pData : reinterpret_cast<const BYTE*>(&dw),
                   cbData < sizeof(dw) ? cbData : sizeof(dw));
            char sz[32];
            snprintf(sz, sizeof(sz), "0x%08X (%d)", static_cast<unsigned>(dw), static_cast<int>(dw));
            return sz;
        }
        case REG_MULTI_SZ:
        {
            if (cbData <= 1)
                return "\"\"";
            size_t offset = 0;
            bool bFirst = true;
            while (offset < cbData)
            {
                const size_t cch = BoundedLength(pData + offset, cbData - offset);
                if (!bFirst)
                {
                    if (cch == 0)
                        break;
                    text += ", ";
                }
                AppendQuoted(text, pData + offset, cch);
                bFirst = false;
                offset += cch + 1;
            }
            return text;
        }
        case REG_SZ:
        case REG_EXPAND_SZ:
            AppendQuoted(text, pData, pData ? BoundedLength(pData, cbData) : 0);
            return text;
        default:
        {
            // Other data is shown byte by byte, at most 50 bytes.
            const DWORD cbShown = cbData < 50 ? cbData : 50;
            char sz[4];
            for (DWORD i = 0; i < cbShown; ++i)
            {
                snprintf(sz, sizeof(sz), i == 0 ? "%02X" : " %02X", pData[i]);
                text += sz;
            }
            if (cbData > 50)
                text += "...";
            return text;
        }
        }
    }
    CATCH_RETURN(CString())
}

CString FormatSizeText(DWORD cbData) noexcept
{
    if (cbData == 0)
        return {};
    char sz[32];
    snprintf(sz, sizeof(sz), "%d bytes", static_cast<int>(cbData));
    return sz;
}

CString FormatLastWriteTime(const FILETIME& ftUtc) noexcept
{
    if (ftUtc.dwLowDateTime == 0)
        return {};
    FILETIME ftLocal;
    SYSTEMTIME st;
    if (!::FileTimeToLocalFileTime(&ftUtc, &ftLocal) || !::FileTimeToSystemTime(&ftLocal, &st))
        return {};
    struct tm tmLocal = {};
    tmLocal.tm_year = st.wYear - 1900;
    tmLocal.tm_mon = st.wMonth - 1;
    tmLocal.tm_mday = st.wDay;
    tmLocal.tm_hour = st.wHour;
    tmLocal.tm_min = st.wMinute;
    tmLocal.tm_sec = st.wSecond;
    tmLocal.tm_wday = st.wDayOfWeek;
    tmLocal.tm_isdst = -1;
    char sz[128];
    if (strftime(sz, sizeof(sz), "%c", &tmLocal) == 0)
        return {};
    return sz;
}

CString TypedValueText(DWORD dwType, const std::vector<BYTE>& storedData)
{
    std::vector<BYTE> text;
    bool bLossy = false;
    const std::vector<BYTE>& shown = StringDataToCodePage(dwType, storedData, text, &bLossy) ? text : storedData;
    return CString(ValueTypeName(dwType)) + ": " +
           FormatValueText(dwType, shown.empty() ? nullptr : shown.data(), static_cast<DWORD>(shown.size()));
}

} // namespace corvasin

// Dropped files read from the data object's CF_HDROP block, every count and length bounded.
#include "framework/DroppedFiles.h"

#include "core/Handles.h"
#include "core/Result.h"
#include "core/Strings.h"

#include <shlobj.h>

#include <cstring>

namespace corvasin
{

std::vector<std::wstring> DroppedFilesNamed(IDataObject* pDataObject, const wchar_t* pszExtension) noexcept
{
    std::vector<std::wstring> paths;
    if (!pDataObject || !pszExtension)
        return paths;
    const int cchExtension = static_cast<int>(wcslen(pszExtension));
    FORMATETC fe = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    UniqueStgMedium medium;
    if (FAILED(pDataObject->GetData(&fe, medium.put())) || medium.get().tymed != TYMED_HGLOBAL || !medium.get().hGlobal)
        return paths;
    try
    {
        // The block is read here, every offset checked against its size: the shell's own
        // DragQueryFile trusts the offsets a source wrote.
        GlobalLock block(medium.get().hGlobal);
        const SIZE_T cbBlock = ::GlobalSize(medium.get().hGlobal);
        DROPFILES header = {};
        if (!block.get() || cbBlock < sizeof(header))
            return {};
        memcpy(&header, block.get(), sizeof(header));
        if (header.pFiles < sizeof(header) || header.pFiles >= cbBlock)
            return {};
        const BYTE* p = block.as<BYTE>() + header.pFiles;
        const BYTE* const pEnd = block.as<BYTE>() + cbBlock;
        const size_t cbChar = header.fWide ? sizeof(wchar_t) : 1;
        while (static_cast<size_t>(pEnd - p) >= cbChar && paths.size() < 1000)
        {
            // One name up to its terminating zero, which must lie inside the block.
            std::wstring path;
            const BYTE* q = p;
            for (; static_cast<size_t>(pEnd - q) >= cbChar; q += cbChar)
            {
                wchar_t ch = 0;
                memcpy(&ch, q, cbChar);
                if (ch == 0)
                    break;
            }
            if (static_cast<size_t>(pEnd - q) < cbChar)
                return {};
            if (q == p)
                break; // the empty name that ends the list
            if (header.fWide)
            {
                path.resize(static_cast<size_t>(q - p) / sizeof(wchar_t));
                memcpy(path.data(), p, path.size() * sizeof(wchar_t));
            }
            else
            {
                path = AnsiToWide(reinterpret_cast<const char*>(p), static_cast<int>(q - p));
            }
            if (path.size() < static_cast<size_t>(cchExtension) ||
                ::CompareStringOrdinal(path.c_str() + path.size() - cchExtension, cchExtension, pszExtension,
                                       cchExtension, TRUE) != CSTR_EQUAL)
                return {};
            paths.push_back(std::move(path));
            p = q + cbChar;
        }
        return paths;
    }
    CATCH_RETURN({})
}

} // namespace corvasin

// CExtractIconW / CExtractIconA: icon extractors that name an icon of the module's own file
// and let the shell extract it. The folder chooses the index (GetIconIndex).
#pragma once

#include "core/CmdTargetPtr.h"
#include "core/ComObject.h"
#include "core/Handles.h"

#include <shlobj.h>

namespace corvasin
{

class CNameSpaceExtension;

// Holds a counted reference on the folder and a clone of the item's relative id list.
template <typename Interface, typename Char>
class CExtractIconT : public CComObject<CExtractIconT<Interface, Char>, Interface>
{
public:
    CExtractIconT(LPCITEMIDLIST pidl, CNameSpaceExtension* pFolder) noexcept;

    STDMETHODIMP GetIconLocation(UINT uFlags, Char* szIconFile, UINT cchMax, int* piIndex,
                                 UINT* pwFlags) override;
    // The shell extracts the icon itself from the file and index given above.
    STDMETHODIMP Extract(const Char*, UINT, HICON*, HICON*, UINT) override { return S_FALSE; }

protected:
    ~CExtractIconT() override;
    friend class CComObject<CExtractIconT<Interface, Char>, Interface>;

    CmdTargetPtr<CNameSpaceExtension> m_pFolder;
    UniquePidl m_pidl;
};

using CExtractIconW = CExtractIconT<IExtractIconW, WCHAR>;
using CExtractIconA = CExtractIconT<IExtractIconA, CHAR>;

} // namespace corvasin

// MinGW's headers give these two no __uuidof.
#ifndef CORVASIN_EXTRACTICON_UUIDS
#define CORVASIN_EXTRACTICON_UUIDS
__CRT_UUID_DECL(IExtractIconA, 0x000214eb, 0x0000, 0x0000, 0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46)
__CRT_UUID_DECL(IExtractIconW, 0x000214fa, 0x0000, 0x0000, 0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46)
#endif

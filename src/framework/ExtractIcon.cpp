// Icon location of an item: the module's file and the folder's index.
#include "framework/ExtractIcon.h"

#include "framework/ItemIdList.h"
#include "framework/NameSpaceExtension.h"
#include "core/Module.h"

namespace corvasin
{

template <typename Interface, typename Char>
CExtractIconT<Interface, Char>::CExtractIconT(LPCITEMIDLIST pidl,
                                              CNameSpaceExtension* pFolder) noexcept
    : m_pFolder(pFolder), m_pidl(pidl ? ::ILClone(pidl) : nullptr)
{
}

template <typename Interface, typename Char>
CExtractIconT<Interface, Char>::~CExtractIconT() = default;

template <typename Interface, typename Char>
STDMETHODIMP CExtractIconT<Interface, Char>::GetIconLocation(UINT uFlags, Char* szIconFile,
                                                             UINT cchMax, int* piIndex,
                                                             UINT* pwFlags)
{
    UINT wFlags = 0;
    const BYTE* pData = nullptr;
    if (m_pidl)
        pData = ItemIdData(LastItemId(m_pidl.get()), m_pFolder->GetItemDataSize(), false);
    const int index = m_pFolder->GetIconIndex(pData, uFlags, &wFlags);
    if (piIndex)
        *piIndex = index;
    if (pwFlags)
        *pwFlags = wFlags;
    if (szIconFile && cchMax > 0)
    {
        if constexpr (sizeof(Char) == sizeof(WCHAR))
            ::GetModuleFileNameW(ModuleInstance(), szIconFile, cchMax);
        else
            ::GetModuleFileNameA(ModuleInstance(), szIconFile, cchMax);
        szIconFile[cchMax - 1] = 0;
    }
    return S_OK;
}

template class CExtractIconT<IExtractIconW, WCHAR>;
template class CExtractIconT<IExtractIconA, CHAR>;

} // namespace corvasin

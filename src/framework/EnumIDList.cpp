// Enumeration through GetFirstItem / GetNextItem of the folder.
#include "framework/EnumIDList.h"

#include "framework/ItemIdList.h"
#include "framework/NameSpaceExtension.h"

#include <cstring>
#include <new>

namespace corvasin
{

CEnumIDList::CEnumIDList(CNameSpaceExtension* pFolder, LPCITEMIDLIST pidlFolder,
                         DWORD grfFlags) noexcept
    : m_pFolder(pFolder), m_cbItem(pFolder->GetItemDataSize()),
      m_pidlFolder(pidlFolder ? ::ILClone(pidlFolder) : nullptr), m_grfFlags(grfFlags)
{
}

CEnumIDList::~CEnumIDList()
{
    m_pFolder->EndEnumeration(m_dwContext);
}

bool CEnumIDList::Advance() noexcept
{
    if (!m_pCurrent)
    {
        m_pCurrent.reset(new (std::nothrow) BYTE[m_cbItem]());
        if (!m_pCurrent)
            return false;
        if (!m_pFolder->GetFirstItem(m_pCurrent.get(), &m_dwContext, m_grfFlags))
        {
            m_pCurrent.reset();
            return false;
        }
        return true;
    }
    if (!m_pScratch)
    {
        m_pScratch.reset(new (std::nothrow) BYTE[m_cbItem]);
        if (!m_pScratch)
            return false;
    }
    memset(m_pScratch.get(), 0, m_cbItem);
    if (!m_pFolder->GetNextItem(m_pCurrent.get(), m_pScratch.get(), &m_dwContext, m_grfFlags))
    {
        m_pCurrent.reset();
        return false;
    }
    memcpy(m_pCurrent.get(), m_pScratch.get(), m_cbItem);
    return true;
}

STDMETHODIMP CEnumIDList::Next(ULONG celt, LPITEMIDLIST* rgelt, ULONG* pceltFetched)
{
    ULONG cFetched = 0;
    if (celt > 0 && !rgelt)
        return E_POINTER;
    // Past the end the next call starts again from the first item.
    while (cFetched < celt && Advance())
    {
        rgelt[cFetched] = MakeItemIdList(m_pCurrent.get(), m_cbItem);
        if (!rgelt[cFetched])
            break;
        ++cFetched;
    }
    if (pceltFetched)
        *pceltFetched = cFetched;
    return cFetched == celt ? S_OK : S_FALSE;
}

STDMETHODIMP CEnumIDList::Skip(ULONG celt)
{
    for (ULONG i = 0; i < celt; ++i)
    {
        if (!Advance())
            break;
    }
    return S_OK;
}

STDMETHODIMP CEnumIDList::Reset()
{
    m_pCurrent.reset();
    return S_OK;
}

STDMETHODIMP CEnumIDList::Clone(IEnumIDList** ppenum)
{
    if (!ppenum)
        return E_POINTER;
    *ppenum = nullptr;
    return CreateComObject<CEnumIDList>(IID_IEnumIDList, reinterpret_cast<void**>(ppenum),
                                        m_pFolder.get(), m_pidlFolder.get(), m_grfFlags);
}

} // namespace corvasin

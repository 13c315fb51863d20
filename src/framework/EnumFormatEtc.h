// CEnumFormatEtc: the format enumerator of a UI object's data object. It asks its owner for the
// format after the last one handed out, so the owner's formats are never copied.
//
// Ownership: holds one reference on its owner. Used on the owner's thread.
#pragma once

#include "core/CmdTargetPtr.h"
#include "core/ComObject.h"

#include <objidl.h>

namespace corvasin
{

class CShellUIObject;

class CEnumFormatEtc : public CComObject<CEnumFormatEtc, IEnumFORMATETC>
{
public:
    // nCurrent: index of the last format handed out (-1 before the first).
    explicit CEnumFormatEtc(CShellUIObject* pOwner, int nCurrent = -1) noexcept;

    STDMETHODIMP Next(ULONG celt, FORMATETC* rgelt, ULONG* pceltFetched) override;
    STDMETHODIMP Skip(ULONG celt) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumFORMATETC** ppenum) override;

protected:
    ~CEnumFormatEtc() override;
    friend class CComObject<CEnumFormatEtc, IEnumFORMATETC>;

private:
    const CmdTargetPtr<CShellUIObject> m_pOwner;
    int m_nCurrent;
};

// A new enumerator over pOwner's formats with its one creation reference, or null.
IEnumFORMATETC* CreateEnumFormatEtc(CShellUIObject* pOwner) noexcept;

} // namespace corvasin

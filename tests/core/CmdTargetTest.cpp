// The command-target base: one count for all nested parts, and the interface map.
#include "core/CmdTarget.h"
#include "core/Module.h"

#include <gtest/gtest.h>
#include <objidl.h>

#include <utility>

using namespace corvasin;

namespace
{
class CTarget final : public CCmdTarget
{
public:
    explicit CTarget(bool* pbDeleted) : m_pbDeleted(pbDeleted) {}

    void* GetInterface(REFIID riid) noexcept override
    {
        return riid == IID_IUnknown || riid == IID_IPersist ? static_cast<IPersist*>(&m_xPersist) : nullptr;
    }

    class XPersist : public CInterfacePart<CTarget, IPersist>
    {
    public:
        using CInterfacePart::CInterfacePart;
        STDMETHODIMP GetClassID(CLSID* pClassID) override
        {
            *pClassID = CLSID_NULL;
            return S_OK;
        }
    } m_xPersist{this};

private:
    ~CTarget() override { *m_pbDeleted = true; }
    bool* m_pbDeleted;
};
} // namespace

TEST(CmdTarget, PartsShareOneCountAndTheLastReleaseDeletes)
{
    bool bDeleted = false;
    auto* pTarget = new CTarget(&bDeleted);
    IPersist* pPersist = nullptr;
    ASSERT_EQ(pTarget->ExternalQueryInterface(IID_IPersist, reinterpret_cast<void**>(&pPersist)), S_OK);
    EXPECT_EQ((std::pair{pPersist->AddRef(), pPersist->Release()}), std::pair(3ul, 2ul));
    IUnknown* pUnknown = nullptr;
    ASSERT_EQ(pPersist->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&pUnknown)), S_OK);
    EXPECT_EQ(static_cast<void*>(pUnknown), static_cast<void*>(pPersist));
    pUnknown->Release();
    pPersist->Release();
    EXPECT_FALSE(bDeleted);
    EXPECT_EQ(pTarget->ExternalRelease(), 0u);
    EXPECT_TRUE(bDeleted);
}

TEST(CmdTarget, UnknownInterfacesFailWithANullPointer)
{
    bool bDeleted = false;
    auto* pTarget = new CTarget(&bDeleted);
    void* pv = reinterpret_cast<void*>(1);
    EXPECT_EQ(pTarget->ExternalQueryInterface(IID_IStream, &pv), E_NOINTERFACE);
    EXPECT_EQ(pv, nullptr);
    EXPECT_EQ(pTarget->ExternalQueryInterface(IID_IPersist, nullptr), E_POINTER);
    pTarget->ExternalRelease();
    EXPECT_TRUE(bDeleted);
}

TEST(Module, FindsTheModuleHoldingThisCode)
{
    // In a test program the library's code lives in the program itself.
    EXPECT_EQ(ModuleInstance(), ::GetModuleHandleA(nullptr));
}

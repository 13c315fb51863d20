// Sub-folders shared between the shell's thread and a search thread, and ids made by a host's
// item allocator.
#include "registry/FolderTestUtil.h"
#include "support/ScratchKey.h"

#include "core/ComObject.h"

#include <atomic>
#include <cstring>
#include <thread>

using namespace corvasin;
using namespace corvasin::test;

TEST(FolderSharing, TwoThreadsLookingUpSubFoldersAlwaysGetLiveOnes)
{
    ScratchKey scratch;
    scratch.CreateSubkey("A");
    scratch.CreateSubkey("B");
    ComPtr<IShellFolder2> psf = KeyFolder(scratch.path());
    CNameSpaceExtension* pFolder = FolderObject(psf.get());
    std::atomic<int> failures{0};
    auto worker = [&](const char* name) {
        const REGITEM item = MakeRegItem(REGITEM_KEY, 0, name);
        for (int i = 0; i < 2000; ++i)
        {
            const CmdTargetPtr<CNameSpaceExtension> pSub = pFolder->GetSubFolder(&item);
            if (!pSub || static_cast<CRegkeyExtension*>(pSub.get())->GetKeyPath() != scratch.path() + "\\" + name)
                ++failures;
        }
    };
    std::thread t1(worker, "A"), t2(worker, "A"), t3(worker, "B");
    t1.join();
    t2.join();
    t3.join();
    EXPECT_EQ(failures.load(), 0);
}

namespace
{
// A host's item allocator: every id gets a 6-byte header and the end mark.
class CDelegateAllocator final : public CComObject<CDelegateAllocator, IMalloc>
{
public:
    STDMETHODIMP_(void*) Alloc(SIZE_T cb) override
    {
        auto* p = static_cast<BYTE*>(::CoTaskMemAlloc(cb + 8));
        if (!p)
            return nullptr;
        memset(p, 0, cb + 8);
        const USHORT cbId = static_cast<USHORT>(cb + 6);
        memcpy(p, &cbId, 2);
        p[2] = 0x61;
        p[3] = 0x03;
        const USHORT cbInner = static_cast<USHORT>(cb);
        memcpy(p + 4, &cbInner, 2);
        ++m_cAllocs;
        return p;
    }
    STDMETHODIMP_(void*) Realloc(void* pv, SIZE_T cb) override { return ::CoTaskMemRealloc(pv, cb); }
    STDMETHODIMP_(void) Free(void* pv) override { ::CoTaskMemFree(pv); }
    STDMETHODIMP_(SIZE_T) GetSize(void*) override { return static_cast<SIZE_T>(-1); }
    STDMETHODIMP_(int) DidAlloc(void*) override { return -1; }
    STDMETHODIMP_(void) HeapMinimize() override {}
    int m_cAllocs = 0;
};
} // namespace

TEST(FolderSharing, ParsingWithAHostAllocatorMakesWrappedIdsThatNameTheUrl)
{
    ComPtr<IShellFolder2> psf = RootFolder();
    auto* pAllocator = new CDelegateAllocator();
    ComPtr<IDelegateFolder> delegate;
    ASSERT_EQ(psf.As(delegate), S_OK);
    ASSERT_EQ(delegate->SetItemAlloc(pAllocator), S_OK);

    wchar_t text[] = L"HKLM";
    LPITEMIDLIST pidl = nullptr;
    ASSERT_EQ(psf->ParseDisplayName(nullptr, nullptr, text, nullptr, &pidl, nullptr), S_OK);
    UniquePidl owned(pidl);
    EXPECT_EQ(pAllocator->m_cAllocs, 1);
    EXPECT_TRUE(IsDelegateItemId(pidl));
    EXPECT_EQ(DisplayName(psf.get(), pidl, SHGDN_FORPARSING), "reg://HKEY_LOCAL_MACHINE");
    EXPECT_EQ(DisplayName(psf.get(), pidl, SHGDN_NORMAL), "HKEY_LOCAL_MACHINE");

    // The shell may hand wrapped ids back for UI objects: they are unwrapped first.
    ComPtr<IExtractIconW> extract;
    LPCITEMIDLIST items[] = {pidl};
    EXPECT_EQ(psf->GetUIObjectOf(nullptr, 1, items, IID_IExtractIconW, nullptr, extract.put_void()), S_OK);
    pAllocator->Release();
}

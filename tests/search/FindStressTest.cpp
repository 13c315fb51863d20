// The shared sub-folders under load: the test thread browses and binds the folders of a tree
// as the shell's thread does while searches walk the same folder objects on their threads.
#include "search/SearchDriver.h"
#include "support/ScratchKey.h"

#include "search/FindThread.h"

#include <set>

using namespace corvasin;
using namespace corvasin::test;

namespace
{

using FindStress = SearchTest;

// Everything the shell's view does with a folder: list it, bind to its keys and list those,
// name two-level items (through the shared sub-folders), and let go of them all together, so
// that the folder's list of live sub-folders keeps growing and shrinking.
int BrowseOnce(IShellFolder* psf)
{
    int cItems = 0;
    ComPtr<IEnumIDList> pEnum;
    if (psf->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, pEnum.put()) != S_OK)
        return 0;
    std::vector<ComPtr<IShellFolder>> bound;
    LPITEMIDLIST pidl = nullptr;
    while (pEnum->Next(1, &pidl, nullptr) == S_OK)
    {
        const UniquePidl item(pidl);
        ++cItems;
        ComPtr<IShellFolder> pSub;
        if (FAILED(psf->BindToObject(item.get(), nullptr, IID_IShellFolder, pSub.put_void())))
            continue;
        ComPtr<IEnumIDList> pSubEnum;
        if (pSub->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, pSubEnum.put()) == S_OK)
        {
            LPITEMIDLIST pidlChild = nullptr;
            while (pSubEnum->Next(1, &pidlChild, nullptr) == S_OK)
            {
                const UniquePidl child(pidlChild);
                const UniquePidl twoLevel(::ILCombine(item.get(), child.get()));
                STRRET str = {};
                if (SUCCEEDED(psf->GetDisplayNameOf(twoLevel.get(), SHGDN_FORPARSING, &str)) &&
                    str.uType == STRRET_WSTR)
                    ::CoTaskMemFree(str.pOleStr);
                ++cItems;
            }
        }
        bound.push_back(std::move(pSub));
    }
    return cItems;
}

std::vector<HWND> ResultsWindows()
{
    std::vector<HWND> windows;
    for (HWND hwnd = ::FindWindowExA(nullptr, nullptr, "#32770", "Search results"); hwnd;
         hwnd = ::FindWindowExA(nullptr, hwnd, "#32770", "Search results"))
        windows.push_back(hwnd);
    return windows;
}

} // namespace

TEST_F(FindStress, BrowsingWhileSearchesRunCrashesNothingAndLeavesNoFolderBehind)
{
    ScratchKey scratch;
    // A wide, flat tree: every search looks up every key among the folder's live sub-folders.
    for (int k = 0; k < 80; ++k)
    {
        char szPath[64];
        wsprintfA(szPath, "\\K%02d\\S", k);
        PutValue(scratch.path() + szPath, "v1", REG_SZ, std::string("stress value", 13));
        PutValue(scratch.path() + szPath, "v2", REG_DWORD, std::string("\1\0\0\0", 4));
    }

    int cSearches = 0;
    int cFinished = 0;
    int cBrowsed = 0;
    std::vector<UniqueHandle> threads;
    {
        CmdTargetPtr<CRegkeyExtension> pFolder = PlacedKeyFolder(scratch.path());
        auto* psf = static_cast<IShellFolder*>(pFolder->GetInterface(IID_IShellFolder));
        CFindDialog choices;
        choices.m_strSearch = "K1";
        choices.m_bKeys = choices.m_bValues = choices.m_bData = 1;
        choices.m_bLowPriority = 0;

        std::set<HWND> closed;
        auto close = [&](HWND hwnd) {
            closed.insert(hwnd);
            threads.push_back(WindowThread(hwnd));
            ::PostMessageA(hwnd, WM_CLOSE, 0, 0);
        };
        const DWORD dwEnd = ::GetTickCount() + 3000;
        while (::GetTickCount() < dwEnd)
        {
            for (const HWND hwnd : ResultsWindows())
            {
                if (closed.count(hwnd) || StatusText(hwnd) != "Done!")
                    continue;
                close(hwnd);
                ++cFinished;
            }
            // Three searches at a time, started as the earlier ones finish.
            while (cSearches - cFinished < 3)
            {
                ASSERT_TRUE(CFindThread::Start(pFolder.get(), 0, nullptr, choices));
                ++cSearches;
            }
            cBrowsed += BrowseOnce(psf);
        }
        // The searches still running are cancelled, once their windows are there.
        for (int i = 0; i < 1000 && closed.size() < static_cast<size_t>(cSearches); ++i)
        {
            for (const HWND hwnd : ResultsWindows())
            {
                if (!closed.count(hwnd))
                    close(hwnd);
            }
            ::Sleep(10);
        }
        EXPECT_EQ(closed.size(), static_cast<size_t>(cSearches));
        for (const UniqueHandle& thread : threads)
            EXPECT_EQ(::WaitForSingleObject(thread.get(), 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    }
    EXPECT_GE(cFinished, 4) << "searches that ran to the end";
    EXPECT_GT(cBrowsed, 1000) << "items the browsing thread went through";
    // The fixture checks that every folder object is gone now.
}

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
    constexpr DWORD kAll = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS;
    int cItems = 0;
    std::vector<ComPtr<IShellFolder>> bound;
    for (const UniquePidl& item : List(psf, kAll))
    {
        ++cItems;
        ComPtr<IShellFolder> pSub;
        if (FAILED(psf->BindToObject(item.get(), nullptr, IID_IShellFolder, pSub.put_void())))
            continue;
        for (const UniquePidl& child : List(pSub.get(), kAll))
        {
            DisplayName(psf, Combine(item.get(), child.get()).get(), SHGDN_FORPARSING);
            ++cItems;
        }
        bound.push_back(std::move(pSub));
    }
    return cItems;
}

} // namespace

TEST_F(FindStress, BrowsingWhileSearchesRunCrashesNothingAndLeavesNoFolderBehind)
{
    ScratchKey scratch;
    // A wide, flat tree (K00\S to K79\S): every search looks up every key among the folder's live
    // sub-folders.
    for (int k = 0; k < 80; ++k)
    {
        const std::string path = scratch.path() + "\\K" + std::to_string(100 + k).substr(1) + "\\S";
        PutValue(path, "v1", REG_SZ, std::string("stress value", 13));
        PutValue(path, "v2", REG_DWORD, std::string("\1\0\0\0", 4));
    }

    int cSearches = 0, cFinished = 0, cBrowsed = 0;
    std::vector<UniqueHandle> threads;
    {
        CmdTargetPtr<CRegkeyExtension> pFolder = PlacedKeyFolder(scratch.path());
        CFindDialog choices;
        choices.m_strSearch = "K1";
        choices.m_bKeys = choices.m_bValues = choices.m_bData = 1;
        choices.m_bLowPriority = 0;

        std::set<HWND> closed;
        // Closes the results windows not closed yet, those the search finished or all of them.
        auto close = [&](bool bFinishedOnly) {
            for (const HWND hwnd : ResultsWindows())
            {
                if (closed.count(hwnd) || (bFinishedOnly && StatusText(hwnd) != "Done!"))
                    continue;
                closed.insert(hwnd);
                threads.push_back(WindowThread(hwnd));
                ::PostMessageA(hwnd, WM_CLOSE, 0, 0);
                cFinished += bFinishedOnly;
            }
        };
        for (const DWORD dwEnd = ::GetTickCount() + 3000; ::GetTickCount() < dwEnd;)
        {
            close(true);
            // Three searches at a time, started as the earlier ones finish.
            for (; cSearches - cFinished < 3; ++cSearches)
                ASSERT_TRUE(CFindThread::Start(pFolder.get(), 0, nullptr, choices));
            cBrowsed += BrowseOnce(static_cast<IShellFolder*>(pFolder->GetInterface(IID_IShellFolder)));
        }
        // The searches still running are cancelled, once their windows are there.
        for (int i = 0; i < 1000 && closed.size() < static_cast<size_t>(cSearches); ++i, ::Sleep(10))
            close(false);
        EXPECT_EQ(closed.size(), static_cast<size_t>(cSearches));
        for (const UniqueHandle& thread : threads)
            EXPECT_EQ(::WaitForSingleObject(thread.get(), 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    }
    EXPECT_GE(cFinished, 4) << "searches that ran to the end";
    EXPECT_GT(cBrowsed, 1000) << "items the browsing thread went through";
    // The fixture checks that every folder object is gone now.
}

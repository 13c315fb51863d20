// The root folder's walk: the predefined keys in their order, each searched through its own
// folder, and the walk stopping once the search is cancelled.
#include "registry/FolderTestUtil.h"

#include "registry/PredefinedKeys.h"
#include "registry/SearchWalk.h"

#include <string>
#include <vector>

using namespace corvasin;
using namespace corvasin::test;

namespace
{

// A search that only records and can be cancelled; nothing matches.
class CFakeWalk : public CSearchWalk
{
public:
    bool SearchKeyNames() const noexcept override { return true; }
    bool SearchValueNames() const noexcept override { return true; }
    bool SearchValueData() const noexcept override { return true; }
    bool SearchesDataOfType(DWORD) const noexcept override { return true; }
    bool ServeAndCheckCancelled() noexcept override { return m_bCancelled; }
    bool IsCancelled() const noexcept override { return m_bCancelled; }
    void SetStatusText(const CString&) noexcept override {}
    void AddResult(LPITEMIDLIST pidl) noexcept override { ::ILFree(pidl); }
    bool MatchesName(const char*) const noexcept override { return false; }
    bool MatchesData(DWORD, const BYTE*, size_t) const noexcept override { return false; }

    bool m_bCancelled = false;
    std::vector<std::string> m_searched;
    std::string m_strCancelAfter;
};

// A predefined key's folder that records its search instead of walking the registry.
class CRecordingKeyFolder : public CRegkeyExtension
{
public:
    CRecordingKeyFolder(CNameSpaceExtension* pParent, const REGITEM& item)
        : CRegkeyExtension(pParent, PredefinedKeyFromField(item.dwIndex), "", nullptr),
          m_strName(item.szName)
    {
    }
    BOOL SearchKey(CSearchWalk* pSearch) noexcept override
    {
        auto* pWalk = static_cast<CFakeWalk*>(pSearch);
        pWalk->m_searched.push_back(m_strName);
        if (m_strName == pWalk->m_strCancelAfter)
            pWalk->m_bCancelled = true;
        return TRUE;
    }

private:
    std::string m_strName;
};

class CRecordingRoot : public CRegRootExtension
{
public:
    CRecordingRoot() : CRegRootExtension(&RegistryServices()) {}
    CNameSpaceExtension* CreateSubFolder(const void* pItem) noexcept override
    {
        return new (std::nothrow) CRecordingKeyFolder(this, ReadRegItem(pItem));
    }
};

struct RootRow
{
    const char* pszCancelAfter;
    size_t cSearched;
};

class RootSearch : public ::testing::TestWithParam<RootRow>
{
};

} // namespace

TEST_P(RootSearch, StopsAfterTheKeyDuringWhichTheSearchWasCancelled)
{
    auto* pRoot = new CRecordingRoot();
    CFakeWalk walk;
    walk.m_strCancelAfter = GetParam().pszCancelAfter;
    const BOOL bCompleted = pRoot->SearchKey(&walk);
    pRoot->ExternalRelease();

    std::vector<std::string> expected;
    for (UINT n = 0; n < GetParam().cSearched; ++n)
        expected.push_back(PredefinedKeyAt(n)->pszLongName);
    EXPECT_EQ(walk.m_searched, expected);
    EXPECT_FALSE(bCompleted);
}

INSTANTIATE_TEST_SUITE_P(Rows, RootSearch,
                         ::testing::Values(RootRow{"HKEY_LOCAL_MACHINE", 1}, RootRow{"HKEY_CURRENT_USER", 2},
                                           RootRow{"HKEY_CURRENT_CONFIG", 5}));

TEST(RootSearch, SearchesHkeyPerformanceDataLastOnWindowsNt)
{
    ASSERT_TRUE(IsWindowsNtPlatform());
    auto* pRoot = new CRecordingRoot();
    CFakeWalk walk;
    EXPECT_TRUE(pRoot->SearchKey(&walk));
    pRoot->ExternalRelease();
    const std::vector<std::string> expected = {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER",
                                               "HKEY_CLASSES_ROOT",  "HKEY_USERS",
                                               "HKEY_CURRENT_CONFIG", "HKEY_PERFORMANCE_DATA"};
    EXPECT_EQ(walk.m_searched, expected);
}

// Benchmark of a complete search (the search thread, its results window, the tree reader and
// the message pumping; key names, value names and data compared, a text that matches nothing)
// against plain walks of one thread with the same comparisons, over a tree of 2,000 keys and
// 10,000 values, rounds alternating in one run; then a search whose every value matches (100,000
// results) against one that matches none on a tree of 100,000 values, the heap's growth during a
// search, and (with CORVASIN_BENCH_BIG=1) a registry-sized tree of 50,000 keys and 250,000
// values. Run by scripts/bench.sh inside the private Wine prefix, under Xvfb; the small tree is
// built under HKCU\Software\CorvasinBench once, the larger ones for the run and deleted after it.
#include "app/CorvasinFactory.h"
#include "BenchClock.h"
#include "BenchTree.h"
#include "core/CmdTargetPtr.h"
#include "core/Handles.h"
#include "core/Strings.h"
#include "framework/ItemIdList.h"
#include "registry/RegItem.h"
#include "registry/RegistryAccess.h"
#include "registry/RegkeyExtension.h"
#include "registry/SearchWalk.h"
#include "registry/TreeReader.h"
#include "search/FindDialog.h"
#include "search/FindThread.h"
#include "search/SearchText.h"

#include "resource.h"

#include <ole2.h>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

using namespace corvasin;
using bench::Median;
using bench::HeapBytesInUse;
using bench::Now;
using bench::BuildTree;
using bench::ServerCpuSeconds;

namespace
{
const char* const kTreePath = "Software\\CorvasinBench\\Search";
constexpr DWORD kParents = 40;
constexpr DWORD kChildrenPerParent = 49; // 40 + 40 * 49 = 2,000 keys
constexpr DWORD kValuesPerKey = 5;       // 10,000 values
constexpr DWORD kTreeVersion = 1;
const char* const kNoMatch = "zq#no-match#qz";
constexpr int kRounds = 9;

void FillKey(HKEY hKey, DWORD nKey)
{
    const std::string text = "C:\\Program Files\\Corvasin\\value text " + std::to_string(nKey);
    const char multi[] = "first string\0second string\0third string\0";
    const BYTE binary[32] = {1, 2, 3, 4, 5, 6, 7, 8, 'b', 'i', 'n', 'a', 'r', 'y', 0, 9};
    const DWORD dw = nKey;
    ::RegSetValueExA(hKey, "Text", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>(text.size() + 1));
    ::RegSetValueExA(hKey, "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dw), sizeof(dw));
    ::RegSetValueExA(hKey, "Bytes", 0, REG_BINARY, binary, sizeof(binary));
    ::RegSetValueExA(hKey, "List", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi), sizeof(multi));
    ::RegSetValueExA(hKey, "Path", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>("%SystemRoot%\\x"), 15);
}

void PrepareTree()
{
    UniqueHkey root;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, kTreePath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      root.put(), nullptr);
    DWORD dwVersion = 0;
    DWORD cb = sizeof(dwVersion);
    UniqueHkey bench;
    ::RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\CorvasinBench", 0, KEY_ALL_ACCESS, bench.put());
    if (::RegQueryValueExA(bench.get(), "SearchTreeVersion", nullptr, nullptr,
                           reinterpret_cast<BYTE*>(&dwVersion), &cb) == ERROR_SUCCESS &&
        dwVersion == kTreeVersion)
        return;
    std::printf("preparing HKCU\\%s: 2,000 keys, 10,000 values...\n", kTreePath);
    char szName[32];
    DWORD nKey = 0;
    for (DWORD p = 0; p < kParents; ++p)
    {
        std::snprintf(szName, sizeof(szName), "Parent%02lu", static_cast<unsigned long>(p));
        UniqueHkey parent;
        ::RegCreateKeyExA(root.get(), szName, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, parent.put(), nullptr);
        FillKey(parent.get(), nKey++);
        for (DWORD c = 0; c < kChildrenPerParent; ++c)
        {
            std::snprintf(szName, sizeof(szName), "Child%02lu", static_cast<unsigned long>(c));
            UniqueHkey child;
            ::RegCreateKeyExA(parent.get(), szName, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, child.put(), nullptr);
            FillKey(child.get(), nKey++);
        }
    }
    dwVersion = kTreeVersion;
    ::RegSetValueExA(bench.get(), "SearchTreeVersion", 0, REG_DWORD,
                     reinterpret_cast<const BYTE*>(&dwVersion), sizeof(dwVersion));
}

// The plain walk: the registry reads and comparisons of the search, nothing else.
struct PlainCounts
{
    size_t cKeys = 0, cValues = 0, cMatches = 0;
};

// bOneCall: each value's data read in one call into a fixed buffer when it fits, as the search
// does; otherwise the size query and then the data, as a plain walk does it first.
void PlainWalk(HKEY hParent, const char* pszName, const CSearchText& text, PlainCounts& counts,
               std::vector<BYTE>& data, bool bOneCall)
{
    UniqueHkey key;
    if (::RegOpenKeyExA(hParent, pszName, 0, MAXIMUM_ALLOWED, key.put()) != ERROR_SUCCESS)
        return;
    ++counts.cKeys;
    const char* pszLast = strrchr(pszName, '\\');
    const char* pszOwn = pszLast ? pszLast + 1 : pszName;
    if (text.MatchesText(pszOwn, strlen(pszOwn)))
        ++counts.cMatches;
    DWORD cSubkeys = 0, cValues = 0;
    if (::RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &cSubkeys, nullptr, nullptr,
                           &cValues, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return;
    for (DWORD i = 0; i < cValues; ++i)
    {
        char szValue[kRegItemNameSize];
        DWORD cch = kRegItemNameSize;
        DWORD dwType = 0;
        if (::RegEnumValueA(key.get(), i, szValue, &cch, nullptr, &dwType, nullptr, nullptr) != ERROR_SUCCESS)
            continue;
        ++counts.cValues;
        if (text.MatchesText(szValue, strlen(szValue)))
        {
            ++counts.cMatches;
            continue;
        }
        if (!CSearchText::IsSearchedType(dwType))
            continue;
        if (bOneCall)
        {
            BYTE ab[kQuickValueBuffer];
            DWORD cb = sizeof(ab);
            if (::RegQueryValueExA(key.get(), szValue, nullptr, nullptr, ab, &cb) == ERROR_SUCCESS &&
                text.MatchesData(dwType, ab, cb))
                ++counts.cMatches;
            continue;
        }
        DWORD cb = 0;
        if (::RegQueryValueExA(key.get(), szValue, nullptr, nullptr, nullptr, &cb) != ERROR_SUCCESS)
            continue;
        data.resize(cb);
        if (::RegQueryValueExA(key.get(), szValue, nullptr, nullptr, data.data(), &cb) != ERROR_SUCCESS)
            continue;
        if (text.MatchesData(dwType, data.data(), cb))
            ++counts.cMatches;
    }
    for (DWORD i = 0; i < cSubkeys; ++i)
    {
        char szSubkey[kRegItemNameSize];
        DWORD cch = kRegItemNameSize;
        if (::RegEnumKeyExA(key.get(), i, szSubkey, &cch, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
            PlainWalk(key.get(), szSubkey, text, counts, data, bOneCall);
    }
}

double TimePlainWalk(PlainCounts& counts, bool bOneCall = false)
{
    const CSearchText text(kNoMatch, true);
    std::vector<BYTE> data;
    const double t0 = Now();
    PlainWalk(HKEY_CURRENT_USER, kTreePath, text, counts, data, bOneCall);
    return Now() - t0;
}

// The plain walk with the reader's calls: one call per value for name, type and data, the key's
// sizes once, each subkey's name and open below its parent; the search's comparisons (strings
// in the code page). One thread, nothing else.
struct WideWalk
{
    const CSearchText& text;
    PlainCounts& counts;
    std::vector<wchar_t> name = std::vector<wchar_t>(kMaxValueNameChars + 1);
    std::vector<BYTE> data;
    std::vector<BYTE> converted;

    void Walk(HKEY hKey, const std::wstring& keyName)
    {
        ++counts.cKeys;
        char szText[kRegItemNameSize];
        bool bLossy = false;
        if (NameToItemText(keyName, szText, sizeof(szText), &bLossy) && text.MatchesText(szText, strlen(szText)))
            ++counts.cMatches;
        DWORD cSubkeys = 0, cValues = 0, cbMaxData = 0;
        if (::RegQueryInfoKeyW(hKey, nullptr, nullptr, nullptr, &cSubkeys, nullptr, nullptr, &cValues, nullptr,
                               &cbMaxData, nullptr, nullptr) != ERROR_SUCCESS)
            return;
        if (data.size() < cbMaxData + 1)
            data.resize(cbMaxData + 1);
        for (DWORD i = 0; i < cValues; ++i)
        {
            DWORD cch = static_cast<DWORD>(name.size()), cb = static_cast<DWORD>(data.size()), dwType = 0;
            if (::RegEnumValueW(hKey, i, name.data(), &cch, nullptr, &dwType, data.data(), &cb) != ERROR_SUCCESS)
                continue;
            ++counts.cValues;
            if (!NameToItemText(std::wstring(name.data(), cch), szText, sizeof(szText), &bLossy))
                continue;
            if (text.MatchesText(szText, strlen(szText)))
            {
                ++counts.cMatches;
                continue;
            }
            if (!CSearchText::IsSearchedType(dwType))
                continue;
            const std::vector<BYTE> value(data.begin(), data.begin() + cb);
            const std::vector<BYTE>& compared = StringDataToCodePage(dwType, value, converted, &bLossy) ? converted : value;
            if (text.MatchesData(dwType, compared.data(), compared.size()))
                ++counts.cMatches;
        }
        for (DWORD i = 0; i < cSubkeys; ++i)
        {
            wchar_t szSubkey[kMaxKeyNameChars + 1];
            DWORD cch = kMaxKeyNameChars + 1;
            if (::RegEnumKeyExW(hKey, i, szSubkey, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                continue;
            UniqueHkey subkey;
            if (OpenRegKeyW(hKey, szSubkey, KEY_READ, subkey.put()) == ERROR_SUCCESS)
                Walk(subkey.get(), std::wstring(szSubkey, cch));
        }
    }
};

double TimeWideWalk(const char* pszPath, PlainCounts& counts)
{
    const CSearchText text(kNoMatch, true);
    const double t0 = Now();
    UniqueHkey key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, pszPath, 0, KEY_READ, key.put()) == ERROR_SUCCESS)
    {
        WideWalk walk{text, counts, std::vector<wchar_t>(kMaxValueNameChars + 1), {}, {}};
        const char* pszLast = strrchr(pszPath, '\\');
        walk.Walk(key.get(), AnsiToWide(pszLast ? pszLast + 1 : pszPath));
    }
    return Now() - t0;
}

// The folder of a tree's key, placed as HKEY_CURRENT_USER\Software\CorvasinBench\<name>.
CmdTargetPtr<CRegkeyExtension> TreeFolder(const char* pszPath = kTreePath)
{
    auto pFolder = CmdTargetPtr<CRegkeyExtension>::Attach(
        new CRegkeyExtension(nullptr, HKEY_CURRENT_USER, pszPath, &RegistryServices()));
    const REGITEM root = MakeRegItem(REGITEM_KEY, 0x80000001, "HKEY_CURRENT_USER");
    UniquePidl pidl(MakeItemIdList(&root, sizeof(root)));
    const char* pszLast = strrchr(pszPath, '\\');
    for (const char* pszPart : {"Software", "CorvasinBench", pszLast ? pszLast + 1 : pszPath})
    {
        const REGITEM item = MakeRegItem(REGITEM_KEY, 0, pszPart);
        const UniquePidl pidlItem(MakeItemIdList(&item, sizeof(item)));
        pidl.reset(::ILCombine(pidl.get(), pidlItem.get()));
    }
    static_cast<IPersistFolder*>(pFolder->GetInterface(IID_IPersistFolder))->Initialize(pidl.get());
    return pFolder;
}

std::string StatusOf(HWND hwndResults)
{
    char sz[64] = "";
    ::GetWindowTextA(::GetDlgItem(hwndResults, IDC_RESULTS_STATUS), sz, sizeof(sz));
    return sz;
}

int ResultCount(HWND hwndResults)
{
    return static_cast<int>(::SendMessageA(::GetDlgItem(hwndResults, IDC_RESULTS_LIST), LVM_GETITEMCOUNT, 0, 0));
}

// From the start of the thread to "Done!" in its status line; negative on failure. The time
// until the window is there goes to *pdWindow, the number of results to *pcResults. With
// pcbPeak, the heap is sampled every 20 ms meanwhile and its largest size goes there.
double TimeSearch(CRegkeyExtension* pFolder, const CFindDialog& choices, double* pdWindow = nullptr,
                  int* pcResults = nullptr, SIZE_T* pcbPeak = nullptr)
{
    const double t0 = Now();
    if (!CFindThread::Start(pFolder, 0, nullptr, choices))
        return -1;
    HWND hwndResults = nullptr;
    while (!hwndResults && Now() - t0 < 30)
    {
        hwndResults = ::FindWindowA("#32770", "Search results");
        if (!hwndResults)
            ::Sleep(1);
    }
    if (!hwndResults)
        return -1;
    if (pdWindow)
        *pdWindow = Now() - t0;
    while (StatusOf(hwndResults) != "Done!" && Now() - t0 < 600)
    {
        ::Sleep(pcbPeak ? 20 : 2);
        if (pcbPeak)
            *pcbPeak = std::max(*pcbPeak, HeapBytesInUse());
    }
    const double dt = Now() - t0;
    if (pcResults)
        *pcResults = ResultCount(hwndResults);
    const UniqueHandle thread(::OpenThread(SYNCHRONIZE, FALSE, ::GetWindowThreadProcessId(hwndResults, nullptr)));
    ::PostMessageA(hwndResults, WM_CLOSE, 0, 0);
    ::WaitForSingleObject(thread.get(), 30000);
    return dt;
}

void SetChoices(CFindDialog& choices, const char* pszText)
{
    choices.m_strSearch = pszText;
    choices.m_bKeys = choices.m_bValues = choices.m_bData = choices.m_bIgnoreCase = 1;
    choices.m_bLowPriority = 0;
}

// The small tree: the complete search against the plain walks; returns the search's median.
double SmallTree()
{
    CmdTargetPtr<CRegkeyExtension> pFolder = TreeFolder();
    CFindDialog choices;
    SetChoices(choices, kNoMatch);
    PlainCounts warm;
    TimePlainWalk(warm);
    TimeSearch(pFolder.get(), choices);
    std::printf("tree: %zu keys, %zu values; matches %zu\n", warm.cKeys, warm.cValues, warm.cMatches);

    std::vector<double> plain, oneCall, wide, search, window, ratios, wideServer, searchServer;
    for (int i = 0; i < kRounds; ++i)
    {
        PlainCounts counts;
        double dWindow = 0, dSearch = 0, dWide = 0;
        // Rounds alternate which side goes first.
        double dServerWide = 0, dServerSearch = 0;
        const auto wideWalk = [&] {
            const double c0 = ServerCpuSeconds();
            dWide = TimeWideWalk(kTreePath, counts);
            dServerWide = ServerCpuSeconds() - c0;
        };
        const auto searchRun = [&] {
            const double c0 = ServerCpuSeconds();
            dSearch = TimeSearch(pFolder.get(), choices, &dWindow);
            dServerSearch = ServerCpuSeconds() - c0;
        };
        if (i % 2 == 0)
        {
            wideWalk();
            searchRun();
        }
        else
        {
            searchRun();
            wideWalk();
        }
        wideServer.push_back(dServerWide);
        searchServer.push_back(dServerSearch);
        plain.push_back(TimePlainWalk(counts));
        oneCall.push_back(TimePlainWalk(counts, true));
        wide.push_back(dWide);
        search.push_back(dSearch);
        window.push_back(dWindow);
        ratios.push_back(dSearch / dWide);
        std::printf("round %d: plain walk %.3f s, one-call walk %.3f s, walk with the reader's calls %.3f s, "
                    "search %.3f s (window shown after %.3f s)\n",
                    i + 1, plain.back(), oneCall.back(), wide.back(), search.back(), dWindow);
    }
    const double dSearch = Median(search);
    std::printf("median of %d rounds: (b) plain walk %.3f s, (c) one-call walk %.3f s, (d) one-thread walk with "
                "the reader's calls %.3f s, (a) complete search %.3f s (window after %.3f s)\n",
                kRounds, Median(plain), Median(oneCall), Median(wide), dSearch, Median(window));
    std::printf("ratio a/d, complete search / one-thread walk (goal <= 0.50): %.2f median of paired rounds, %.2f "
                "of the medians; a/c: %.2f; a/b: %.2f\n",
                Median(ratios), dSearch / Median(wide), dSearch / Median(oneCall), dSearch / Median(plain));
    if (ServerCpuSeconds() >= 0)
        std::printf("the registry server's own CPU time (wineserver, from /proc): %.3f s during (d), %.3f s during (a); "
                    "its share of (d)'s time %.2f: no number of client threads takes a walk below that\n",
                    Median(wideServer), Median(searchServer), Median(wideServer) / Median(wide));
    return dSearch;
}

// The folder's walk with no window: results kept in a list, nothing served.
class CKeepingWalk : public CSearchWalk
{
public:
    explicit CKeepingWalk(const char* pszText) : m_text(pszText, true) {}
    bool SearchKeyNames() const noexcept override { return true; }
    bool SearchValueNames() const noexcept override { return true; }
    bool SearchValueData() const noexcept override { return true; }
    bool SearchesDataOfType(DWORD dwType) const noexcept override { return CSearchText::IsSearchedType(dwType); }
    bool ServeAndCheckCancelled() noexcept override { return false; }
    bool IsCancelled() const noexcept override { return false; }
    void SetStatusText(const CString&) noexcept override {}
    void AddResult(LPITEMIDLIST pidl) noexcept override { m_results.emplace_back(pidl); }
    bool MatchesName(const char* pszName) const noexcept override { return m_text.MatchesText(pszName, strlen(pszName)); }
    bool MatchesData(DWORD dwType, const BYTE* pData, size_t cb) const noexcept override
    {
        return m_text.MatchesData(dwType, pData, cb);
    }
    CSearchText m_text;
    std::vector<UniquePidl> m_results;
};

double TimeWalkAlone(CRegkeyExtension* pFolder, const char* pszText, size_t* pcResults)
{
    CKeepingWalk walk(pszText);
    const double t0 = Now();
    pFolder->SearchKey(&walk);
    const double dt = Now() - t0;
    *pcResults = walk.m_results.size();
    return dt;
}

// 100,000 values: every one matching against none, and the heap's growth while searching.
void MatchesTree()
{
    const char* const pszPath = "Software\\CorvasinBench\\Matches";
    std::printf("preparing HKCU\\%s: 2,000 keys, 100,000 values...\n", pszPath);
    BuildTree(pszPath, 40, 49, 50);
    {
        CmdTargetPtr<CRegkeyExtension> pFolder = TreeFolder(pszPath);
        CFindDialog all, none;
        SetChoices(all, "hit");
        SetChoices(none, kNoMatch);
        TimeSearch(pFolder.get(), none);
        constexpr int kMatchRounds = 5;
        std::vector<double> tAll, tNone, ratios;
        int cResults = 0, cNone = 0;
        for (int i = 0; i < kMatchRounds; ++i)
        {
            double a, b;
            if (i % 2 == 0)
            {
                a = TimeSearch(pFolder.get(), all, nullptr, &cResults);
                b = TimeSearch(pFolder.get(), none, nullptr, &cNone);
            }
            else
            {
                b = TimeSearch(pFolder.get(), none, nullptr, &cNone);
                a = TimeSearch(pFolder.get(), all, nullptr, &cResults);
            }
            tAll.push_back(a);
            tNone.push_back(b);
            ratios.push_back(a / b);
            std::printf("round %d: %d results %.3f s, %d results %.3f s\n", i + 1, cResults, a, cNone, b);
        }
        std::printf("search matching %d values: median %.3f s; matching none: median %.3f s\n", cResults,
                    Median(tAll), Median(tNone));
        std::printf("ratio all/none (goal <= 1.50): %.2f median of %d paired rounds\n", Median(ratios), kMatchRounds);
        size_t cAlone = 0, cAloneNone = 0;
        const double dAlone = TimeWalkAlone(pFolder.get(), "hit", &cAlone);
        const double dAloneNone = TimeWalkAlone(pFolder.get(), kNoMatch, &cAloneNone);
        std::printf("the folder's walk without the thread and its window: %zu results %.3f s, %zu results %.3f s\n",
                    cAlone, dAlone, cAloneNone, dAloneNone);

        // The heap while searching: what the reader reads ahead, not the tree.
        const SIZE_T cbBefore = HeapBytesInUse();
        SIZE_T cbPeak = cbBefore;
        TimeSearch(pFolder.get(), none, nullptr, nullptr, &cbPeak);
        std::printf("heap growth during a search matching none of 100,000 values (about 8.6 MB of names and data): "
                    "at most %lu KiB (read-ahead cap %lu KiB)\n",
                    static_cast<unsigned long>((cbPeak - cbBefore) / 1024),
                    static_cast<unsigned long>(TreeReaderOptions().cbReadAhead / 1024));
    }
    ::RegDeleteTreeA(HKEY_CURRENT_USER, pszPath);
}

// 50,000 keys and 250,000 values: the search and the plain walk, and how they grow.
void BigTree(double dSmallSearch)
{
    const char* const pszPath = "Software\\CorvasinBench\\Big";
    std::printf("preparing HKCU\\%s: 50,000 keys, 250,000 values...\n", pszPath);
    const double t0 = Now();
    BuildTree(pszPath, 250, 199, 5);
    std::printf("prepared in %.1f s\n", Now() - t0);
    {
        CmdTargetPtr<CRegkeyExtension> pFolder = TreeFolder(pszPath);
        CFindDialog none;
        SetChoices(none, kNoMatch);
        std::vector<double> tSearch, tWide;
        SIZE_T cbPeak = HeapBytesInUse();
        const SIZE_T cbBefore = cbPeak;
        for (int i = 0; i < 3; ++i)
        {
            PlainCounts counts;
            tWide.push_back(TimeWideWalk(pszPath, counts));
            tSearch.push_back(TimeSearch(pFolder.get(), none, nullptr, nullptr, i == 0 ? &cbPeak : nullptr));
            std::printf("round %d: walk with the reader's calls %.3f s (%zu keys, %zu values), search %.3f s\n", i + 1,
                        tWide.back(), counts.cKeys, counts.cValues, tSearch.back());
        }
        const double dSearch = Median(tSearch);
        std::printf("registry-sized tree: search median %.3f s, one-thread walk %.3f s, ratio %.2f\n", dSearch,
                    Median(tWide), dSearch / Median(tWide));
        std::printf("search time big/small: %.1f for 25 times the keys and values (%.2f of linear)\n",
                    dSearch / dSmallSearch, dSearch / dSmallSearch / 25);
        std::printf("heap growth during the first big search: at most %lu KiB\n",
                    static_cast<unsigned long>((cbPeak - cbBefore) / 1024));
    }
    ::RegDeleteTreeA(HKEY_CURRENT_USER, pszPath);
}

} // namespace

int main(int argc, char** argv)
{
    bench::PrintArchitecture();
    ::OleInitialize(nullptr);
    // "matches": that part alone (for a profiler).
    if (argc == 2 && !std::strcmp(argv[1], "matches"))
    {
        MatchesTree();
        ::OleUninitialize();
        return 0;
    }
    PrepareTree();
    const double dSmallSearch = SmallTree();
    MatchesTree();
    const char* pszBig = std::getenv("CORVASIN_BENCH_BIG");
    if (pszBig && *pszBig && std::strcmp(pszBig, "0") != 0)
        BigTree(dSmallSearch);
    else
        std::printf("registry-sized run skipped (CORVASIN_BENCH_BIG=1 runs it, a few minutes)\n");
    ::OleUninitialize();
    return 0;
}

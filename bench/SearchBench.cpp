// Benchmark of a complete search (the search thread, its results window, the folder objects and
// the message pumping; key names, value names and data compared, a text that matches nothing)
// against a plain walk that makes the same registry reads and the same comparisons, over a tree
// of 2,000 keys and 10,000 values, rounds alternating in one run. Run by scripts/bench.sh inside
// the private Wine prefix, under Xvfb; the tree is built under HKCU\Software\CorvasinBench once.
#include "app/CorvasinFactory.h"
#include "BenchClock.h"
#include "core/CmdTargetPtr.h"
#include "core/Handles.h"
#include "framework/ItemIdList.h"
#include "registry/RegItem.h"
#include "registry/RegistryAccess.h"
#include "registry/RegkeyExtension.h"
#include "search/FindDialog.h"
#include "search/FindThread.h"
#include "search/SearchText.h"

#include "resource.h"

#include <ole2.h>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using namespace corvasin;
using bench::Median;
using bench::Now;

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

// The folder of the tree's key, placed as HKEY_CURRENT_USER\Software\CorvasinBench\Search.
CmdTargetPtr<CRegkeyExtension> TreeFolder()
{
    auto pFolder = CmdTargetPtr<CRegkeyExtension>::Attach(
        new CRegkeyExtension(nullptr, HKEY_CURRENT_USER, kTreePath, &RegistryServices()));
    const REGITEM root = MakeRegItem(REGITEM_KEY, 0x80000001, "HKEY_CURRENT_USER");
    UniquePidl pidl(MakeItemIdList(&root, sizeof(root)));
    for (const char* pszPart : {"Software", "CorvasinBench", "Search"})
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

// From the start of the thread to "Done!" in its status line; negative on failure. The time
// until the window is there goes to *pdWindow.
double TimeSearch(CRegkeyExtension* pFolder, const CFindDialog& choices, double* pdWindow = nullptr)
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
    while (StatusOf(hwndResults) != "Done!" && Now() - t0 < 120)
        ::Sleep(2);
    const double dt = Now() - t0;
    const UniqueHandle thread(::OpenThread(SYNCHRONIZE, FALSE, ::GetWindowThreadProcessId(hwndResults, nullptr)));
    ::PostMessageA(hwndResults, WM_CLOSE, 0, 0);
    ::WaitForSingleObject(thread.get(), 30000);
    return dt;
}

} // namespace

int main()
{
    bench::PrintArchitecture();
    ::OleInitialize(nullptr);
    PrepareTree();
    {
        CmdTargetPtr<CRegkeyExtension> pFolder = TreeFolder();
        CFindDialog choices;
        choices.m_strSearch = kNoMatch;
        choices.m_bKeys = choices.m_bValues = choices.m_bData = choices.m_bIgnoreCase = 1;
        choices.m_bLowPriority = 0;

        PlainCounts warm;
        TimePlainWalk(warm);
        TimeSearch(pFolder.get(), choices);
        std::printf("tree: %zu keys, %zu values; matches %zu\n", warm.cKeys, warm.cValues, warm.cMatches);

        std::vector<double> plain, oneCall, search, window;
        for (int i = 0; i < kRounds; ++i)
        {
            PlainCounts counts;
            plain.push_back(TimePlainWalk(counts));
            oneCall.push_back(TimePlainWalk(counts, true));
            double dWindow = 0;
            search.push_back(TimeSearch(pFolder.get(), choices, &dWindow));
            window.push_back(dWindow);
            std::printf("round %d: plain walk %.3f s, one-call walk %.3f s, search %.3f s (window "
                        "shown after %.3f s)\n",
                        i + 1, plain.back(), oneCall.back(), search.back(), dWindow);
        }
        const double dPlain = Median(plain);
        const double dOneCall = Median(oneCall);
        const double dSearch = Median(search);
        std::printf("median of %d rounds: (b) plain walk %.3f s, (c) one-call walk %.3f s, (a) "
                    "complete search %.3f s (window after %.3f s)\n",
                    kRounds, dPlain, dOneCall, dSearch, Median(window));
        std::printf("ratio a/c (the same reads, goal <= 1.20): %.2f; ratio a/b: %.2f\n",
                    dSearch / dOneCall, dSearch / dPlain);
    }
    ::OleUninitialize();
    return 0;
}

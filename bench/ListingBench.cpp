// Benchmark of the key folder's listing and column texts against a plain loop that makes the
// same registry calls and formats the same texts, and of the listing's memory at two sizes.
// Run by scripts/bench.sh inside the private Wine prefix; it builds its keys under
// HKCU\Software\CorvasinBench once and reuses them.
#include "app/CorvasinFactory.h"
#include "framework/ItemIdList.h"
#include "BenchClock.h"
#include "core/ComPtr.h"
#include "core/Handles.h"
#include "registry/ColumnText.h"
#include "registry/RegItem.h"
#include "registry/RegistryAccess.h"
#include "registry/RegkeyExtension.h"

#include <shlwapi.h>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using namespace corvasin;
using bench::HeapBytesInUse;
using bench::Now;

namespace
{
const char* const kBenchRoot = "Software\\CorvasinBench";

// Fills a key with values of mixed types (and subkeys) unless it already holds them.
std::string PrepareKey(const char* pszName, DWORD cValues, DWORD cSubkeys)
{
    const std::string path = std::string(kBenchRoot) + "\\" + pszName;
    HKEY hKey = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey,
                      nullptr);
    UniqueHkey key(hKey);
    DWORD cHave = 0, cHaveKeys = 0;
    ::RegQueryInfoKeyA(hKey, nullptr, nullptr, nullptr, &cHaveKeys, nullptr, nullptr, &cHave,
                       nullptr, nullptr, nullptr, nullptr);
    if (cHave == cValues && cHaveKeys == cSubkeys)
        return path;
    std::printf("preparing %s: %lu values, %lu subkeys...\n", path.c_str(),
                static_cast<unsigned long>(cValues), static_cast<unsigned long>(cSubkeys));
    char name[64];
    for (DWORD i = 0; i < cSubkeys; ++i)
    {
        std::snprintf(name, sizeof(name), "Key%05lu", static_cast<unsigned long>(i));
        HKEY hSub = nullptr;
        ::RegCreateKeyExA(hKey, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hSub, nullptr);
        ::RegCloseKey(hSub);
    }
    const std::string text = "C:\\Program Files\\Corvasin\\some text value";
    const BYTE binary[24] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
    const char multi[] = "first\0second\0third\0";
    for (DWORD i = 0; i < cValues; ++i)
    {
        std::snprintf(name, sizeof(name), "Value%06lu", static_cast<unsigned long>(i));
        switch (i % 4)
        {
        case 0:
            ::RegSetValueExA(hKey, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(text.size() + 1));
            break;
        case 1:
            ::RegSetValueExA(hKey, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&i), sizeof(i));
            break;
        case 2:
            ::RegSetValueExA(hKey, name, 0, REG_BINARY, binary, sizeof(binary));
            break;
        default:
            ::RegSetValueExA(hKey, name, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi),
                             sizeof(multi));
            break;
        }
    }
    return path;
}

ComPtr<IShellFolder2> OpenFolder(const std::string& path)
{
    auto* pFolder = new CRegkeyExtension(nullptr, HKEY_CURRENT_USER, path.c_str(), &RegistryServices());
    return ComPtr<IShellFolder2>::Attach(
        static_cast<IShellFolder2*>(pFolder->GetInterface(IID_IShellFolder2)));
}

// (a) Through the folder, as the shell's view does it: enumerate, then columns 0, 1, 2.
size_t ListThroughFolder(IShellFolder2* psf, size_t* pcbText, SIZE_T* pcbPeakGrowth,
                         UINT cColumns = 3)
{
    size_t cItems = 0;
    size_t cbText = 0;
    // Memory is sampled only when asked: reading it costs more than listing a thousand items.
    const SIZE_T cbStart = pcbPeakGrowth ? HeapBytesInUse() : 0;
    SIZE_T cbPeak = cbStart;
    ComPtr<IEnumIDList> enumerator;
    psf->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, enumerator.put());
    LPITEMIDLIST pidl = nullptr;
    while (enumerator->Next(1, &pidl, nullptr) == S_OK)
    {
        UniquePidl item(pidl);
        for (UINT iColumn = 0; iColumn < cColumns; ++iColumn)
        {
            SHELLDETAILS details = {};
            if (SUCCEEDED(psf->GetDetailsOf(item.get(), iColumn, &details)))
                cbText += strlen(details.str.cStr);
        }
        if ((++cItems & 1023) == 0 && pcbPeakGrowth)
        {
            const SIZE_T cb = HeapBytesInUse();
            if (cb > cbPeak)
                cbPeak = cb;
        }
    }
    *pcbText = cbText;
    if (pcbPeakGrowth)
        *pcbPeakGrowth = cbPeak > cbStart ? cbPeak - cbStart : 0;
    return cItems;
}

// (b) The same registry calls and texts in a plain loop: each value's size, then its data.
// (c) The same with each value read in one call into a fixed buffer.
size_t ListPlain(const std::string& path, size_t* pcbText, bool bColumns = true, bool bOneCall = false)
{
    HKEY hKey = nullptr;
    ::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, MAXIMUM_ALLOWED, &hKey);
    UniqueHkey key(hKey);
    size_t cItems = 0;
    size_t cbText = 0;
    char szName[kRegItemNameSize];
    auto emit = [&](const CString& text) {
        char cStr[MAX_PATH];
        const size_t cch = text.size() < MAX_PATH - 1 ? text.size() : MAX_PATH - 1;
        memcpy(cStr, text.data(), cch);
        cStr[cch] = 0;
        cbText += cch;
    };
    for (DWORD i = 0; ReadSubkeyName(hKey, i, szName, kRegItemNameSize); ++i)
    {
        emit(szName);
        ++cItems;
    }
    emit("(default)");
    {
        std::vector<BYTE> data;
        if (ReadValueData(hKey, nullptr, data))
            emit(FormatValueText(REG_SZ, data.data(), static_cast<DWORD>(data.size())));
        emit(ValueTypeName(REG_SZ));
        ++cItems;
    }
    DWORD dwType = 0;
    for (DWORD i = 0; ReadValueName(hKey, i, szName, kRegItemNameSize, &dwType); ++i)
    {
        if (!szName[0])
            continue;
        ++cItems;
        if (!bColumns)
            continue;
        emit(szName);
        if (bOneCall)
        {
            BYTE ab[kQuickValueBuffer];
            DWORD cb = sizeof(ab);
            if (::RegQueryValueExA(hKey, szName, nullptr, nullptr, ab, &cb) == ERROR_SUCCESS)
                emit(FormatValueText(dwType, ab, cb));
        }
        else
        {
            std::vector<BYTE> data;
            if (ReadValueData(hKey, szName, data))
                emit(FormatValueText(dwType, data.data(), static_cast<DWORD>(data.size())));
        }
        emit(ValueTypeName(dwType));
    }
    *pcbText = cbText;
    return cItems;
}
} // namespace

int main()
{
    bench::PrintArchitecture();
    ::OleInitialize(nullptr);
    const std::string mixed = PrepareKey("Mixed", 10000, 2000);

    // Rounds alternate the two sides; each round's pair gives one ratio, and the median of the
    // pairs is reported beside the best times (the wineserver's load drifts between rounds).
    constexpr int kRounds = 9;
    double bestFolder = 1e30, bestPlain = 1e30, bestOneCall = 1e30;
    std::vector<double> ratios, ratiosOneCall;
    size_t cFolder = 0, cPlain = 0, cbFolder = 0, cbPlain = 0, cbOneCall = 0;
    ComPtr<IShellFolder2> psf = OpenFolder(mixed);
    for (int round = 0; round < kRounds; ++round)
    {
        double t0 = Now();
        cFolder = ListThroughFolder(psf.get(), &cbFolder, nullptr);
        const double tFolder = Now() - t0;
        t0 = Now();
        cPlain = ListPlain(mixed, &cbPlain);
        const double tPlain = Now() - t0;
        t0 = Now();
        ListPlain(mixed, &cbOneCall, true, true);
        const double tOneCall = Now() - t0;
        bestFolder = std::min(bestFolder, tFolder);
        bestPlain = std::min(bestPlain, tPlain);
        bestOneCall = std::min(bestOneCall, tOneCall);
        ratios.push_back(tFolder / tPlain);
        ratiosOneCall.push_back(tFolder / tOneCall);
    }
    std::sort(ratios.begin(), ratios.end());
    std::sort(ratiosOneCall.begin(), ratiosOneCall.end());
    double bestFolderList = 1e30, bestPlainList = 1e30;
    for (int round = 0; round < kRounds; ++round)
    {
        size_t cb = 0;
        double t0 = Now();
        ListThroughFolder(psf.get(), &cb, nullptr, 0);
        bestFolderList = std::min(bestFolderList, Now() - t0);
        t0 = Now();
        ListPlain(mixed, &cb, false);
        bestPlainList = std::min(bestPlainList, Now() - t0);
    }
    std::printf("listing only: folder %.3f s, plain %.3f s\n", bestFolderList, bestPlainList);
    const double rateFolder = static_cast<double>(cFolder) / bestFolder;
    const double ratePlain = static_cast<double>(cPlain) / bestPlain;
    std::printf("items: folder %zu, plain %zu; text bytes: folder %zu, plain %zu\n", cFolder, cPlain,
                cbFolder, cbPlain);
    std::printf("(a) folder objects: %.0f items/s (best of %d: %.3f s)\n", rateFolder, kRounds, bestFolder);
    std::printf("(b) plain loop:     %.0f items/s (best of %d: %.3f s)\n", ratePlain, kRounds, bestPlain);
    std::printf("(c) one-call loop:  %.0f items/s (best of %d: %.3f s); text bytes %zu\n",
                static_cast<double>(cPlain) / bestOneCall, kRounds, bestOneCall, cbOneCall);
    std::printf("ratio a/b (time):   %.3f median of %d rounds, %.3f of the best times "
                "(goal <= 0.75)\n",
                ratios[ratios.size() / 2], kRounds, bestFolder / bestPlain);
    std::printf("ratio a/c (time):   %.3f median of %d rounds, %.3f of the best times "
                "(goal <= 1.1)\n",
                ratiosOneCall[ratiosOneCall.size() / 2], kRounds, bestFolder / bestOneCall);

    const std::string small = PrepareKey("Values10k", 10000, 0);
    const std::string large = PrepareKey("Values100k", 100000, 0);
    for (const std::string& path : {small, large})
    {
        ComPtr<IShellFolder2> folder = OpenFolder(path);
        size_t cb = 0;
        SIZE_T cbGrowth = 0;
        ListThroughFolder(folder.get(), &cb, nullptr); // warm up the allocator
        const size_t cItems = ListThroughFolder(folder.get(), &cb, &cbGrowth);
        std::printf("listing %zu items: heap bytes in use grew by at most %lu KiB\n", cItems,
                    static_cast<unsigned long>(cbGrowth / 1024));

        // Control: the same counter while every id is kept, as a list-building folder would.
        const SIZE_T cbBefore = HeapBytesInUse();
        std::vector<UniquePidl> kept;
        ComPtr<IEnumIDList> enumerator;
        folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, enumerator.put());
        LPITEMIDLIST pidl = nullptr;
        while (enumerator->Next(1, &pidl, nullptr) == S_OK)
            kept.emplace_back(pidl);
        const SIZE_T cbAfter = HeapBytesInUse();
        std::printf("  control, keeping all %zu ids: %lu KiB\n", kept.size(),
                    static_cast<unsigned long>((cbAfter > cbBefore ? cbAfter - cbBefore : 0) / 1024));
    }
    ::OleUninitialize();
    return 0;
}

// The tree reader on real keys below the test's scratch key: the same walk as one thread gives,
// nothing left behind by a cancel, and keys changing under it.
#include "registry/TreeReader.h"
#include "support/ScratchKey.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

using namespace corvasin;
using namespace corvasin::test;

namespace
{

// One step of a walk as text: kind, level, index, name, type and bytes.
std::string Describe(TreeEntry::Kind kind, unsigned nDepth, DWORD dwIndex, bool bOpened,
                     const std::wstring& name, DWORD dwType, const std::vector<BYTE>& data)
{
    std::string text = std::to_string(kind) + " " + std::to_string(nDepth) + " " + std::to_string(dwIndex) +
                       (bOpened ? " " : " closed ") + std::to_string(dwType) + " [";
    for (const wchar_t ch : name)
        text += std::to_string(static_cast<unsigned>(ch)) + ",";
    text += "] " + std::to_string(data.size()) + ":";
    for (const BYTE b : data)
        text += static_cast<char>('a' + (b >> 4)), text += static_cast<char>('a' + (b & 15));
    return text;
}

// The walk of one thread with the same calls: the key, its values, its subkeys' trees, its end.
void WalkOneThread(HKEY hKey, unsigned nDepth, DWORD dwIndex, const std::wstring& name,
                   std::vector<std::string>& steps)
{
    steps.push_back(Describe(TreeEntry::KeyStart, nDepth, dwIndex, true, name, REG_NONE, {}));
    DWORD cSubkeys = 0, cValues = 0;
    ::RegQueryInfoKeyW(hKey, nullptr, nullptr, nullptr, &cSubkeys, nullptr, nullptr, &cValues, nullptr,
                       nullptr, nullptr, nullptr);
    std::vector<wchar_t> valueName(kMaxValueNameChars + 1);
    std::vector<BYTE> data(1 << 20);
    for (DWORD i = 0; i < cValues; ++i)
    {
        DWORD cch = static_cast<DWORD>(valueName.size()), cb = static_cast<DWORD>(data.size()), dwType = 0;
        ASSERT_EQ(::RegEnumValueW(hKey, i, valueName.data(), &cch, nullptr, &dwType, data.data(), &cb), ERROR_SUCCESS);
        steps.push_back(Describe(TreeEntry::Value, nDepth, i, true, std::wstring(valueName.data(), cch), dwType,
                                 std::vector<BYTE>(data.begin(), data.begin() + cb)));
    }
    for (DWORD i = 0; i < cSubkeys; ++i)
    {
        wchar_t szName[256];
        DWORD cch = 256;
        ASSERT_EQ(::RegEnumKeyExW(hKey, i, szName, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
        HKEY hSubkey = nullptr;
        ASSERT_EQ(::RegOpenKeyExW(hKey, szName, 0, KEY_READ, &hSubkey), ERROR_SUCCESS);
        WalkOneThread(hSubkey, nDepth + 1, i, std::wstring(szName, cch), steps);
        ::RegCloseKey(hSubkey);
    }
    steps.push_back(Describe(TreeEntry::KeyEnd, nDepth, dwIndex, true, name, REG_NONE, {}));
}

// Every step the reader hands over, as text.
std::vector<std::string> ReadAll(HKEY hKey, const TreeReaderOptions& options)
{
    std::vector<std::string> steps;
    CTreeReader reader(hKey, options);
    const TreeEntry* pEntry = nullptr;
    while (reader.Next(&pEntry) == CTreeReader::Result::Entry)
        steps.push_back(Describe(pEntry->kind, pEntry->nDepth, pEntry->dwIndex, pEntry->bOpened, pEntry->name,
                                 pEntry->dwType, pEntry->data));
    EXPECT_FALSE(reader.Failed());
    return steps;
}

HKEY CreateKeyW(HKEY hParent, const std::wstring& path)
{
    HKEY hKey = nullptr;
    EXPECT_EQ(::RegCreateKeyExW(hParent, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey, nullptr),
              ERROR_SUCCESS);
    return hKey;
}

void SetValueW(HKEY hKey, const std::wstring& name, DWORD dwType, const std::vector<BYTE>& data)
{
    EXPECT_EQ(::RegSetValueExW(hKey, name.c_str(), 0, dwType, data.data(), static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
}

// Mixed values: text, a number, bytes (a large block in some keys), several strings, no name.
void FillKey(HKEY hKey, int nSeed, bool bLarge)
{
    const std::wstring text = L"text \u00e9\u0416\u2605 " + std::to_wstring(nSeed);
    SetValueW(hKey, L"Text", REG_SZ,
              std::vector<BYTE>(reinterpret_cast<const BYTE*>(text.c_str()),
                                reinterpret_cast<const BYTE*>(text.c_str() + text.size() + 1)));
    SetValueW(hKey, L"Number", REG_DWORD, {static_cast<BYTE>(nSeed), 0, 0, 1});
    std::vector<BYTE> bytes(bLarge ? 100000 : 16);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<BYTE>(i * 7 + nSeed);
    SetValueW(hKey, L"Bytes \u4e2d", REG_BINARY, bytes);
    SetValueW(hKey, L"", REG_SZ, {'d', 0, 0, 0});
    SetValueW(hKey, L"Odd", REG_SZ, {'x', 0, 'y'}); // stored as it is, odd size and no terminator
}

unsigned ThreadsOfThisProcess()
{
    const HANDLE hSnapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    unsigned cThreads = 0;
    THREADENTRY32 entry = {sizeof(entry)};
    for (BOOL bMore = ::Thread32First(hSnapshot, &entry); bMore; bMore = ::Thread32Next(hSnapshot, &entry))
        cThreads += entry.th32OwnerProcessID == ::GetCurrentProcessId();
    ::CloseHandle(hSnapshot);
    return cThreads;
}

// Wine's GetProcessHandleCount answers 0, so the handle values are tried one by one (handles,
// keys among them, are multiples of four from 4 up).
DWORD HandlesOfThisProcess()
{
    DWORD cHandles = 0;
    for (ULONG_PTR value = 4; value < 0x10000; value += 4)
    {
        DWORD dwFlags = 0;
        cHandles += ::GetHandleInformation(reinterpret_cast<HANDLE>(value), &dwFlags) != FALSE;
    }
    return cHandles;
}

} // namespace

TEST(TreeReader, HandsOverWhatAWalkOfOneThreadReadsInItsOrder)
{
    ScratchKey scratch;
    // Deep: a chain of 40 keys. Wide: 120 keys, some with 300 values (several pieces of a
    // key's values) or a large block. Empty keys at several places.
    std::wstring deep = L"Deep";
    for (int i = 0; i < 40; ++i)
    {
        deep += L"\\Level" + std::to_wstring(i);
        const HKEY hKey = CreateKeyW(scratch.get(), deep);
        if (i % 3 == 0)
            FillKey(hKey, i, false);
        ::RegCloseKey(hKey);
    }
    for (int i = 0; i < 120; ++i)
    {
        const HKEY hKey = CreateKeyW(scratch.get(), L"Wide\\Key" + std::to_wstring(i) + (i % 7 ? L"" : L" \u0416"));
        FillKey(hKey, i, i % 25 == 0);
        if (i % 40 == 1)
            for (int v = 0; v < 300; ++v)
                SetValueW(hKey, L"Many" + std::to_wstring(v), REG_BINARY, std::vector<BYTE>(400, static_cast<BYTE>(v)));
        if (i % 10 == 0)
            ::RegCloseKey(CreateKeyW(hKey, L"Empty\\Below empty"));
        ::RegCloseKey(hKey);
    }
    ::RegCloseKey(CreateKeyW(scratch.get(), L"Empty"));
    FillKey(scratch.get(), 99, false);

    std::vector<std::string> expected;
    WalkOneThread(scratch.get(), 0, 0, L"", expected);
    ASSERT_GT(expected.size(), 1000u);

    TreeReaderOptions roomy;
    TreeReaderOptions tight; // a budget smaller than a single key's values
    tight.cbReadAhead = 32 * 1024;
    TreeReaderOptions alone;
    alone.cHelpers = 1;
    TreeReaderOptions namesFirst; // subkey names read with their key's counts
    namesFirst.bNamesFirst = true;
    namesFirst.bKeepKeys = true;
    namesFirst.cbReadAhead = 32 * 1024;
    for (const TreeReaderOptions& options : {roomy, tight, alone, namesFirst})
    {
        SCOPED_TRACE(testing::Message() << options.cbReadAhead << (options.bNamesFirst ? " names first" : ""));
        const std::vector<std::string> steps = ReadAll(scratch.get(), options);
        ASSERT_EQ(steps.size(), expected.size());
        for (size_t i = 0; i < steps.size(); ++i)
            ASSERT_EQ(steps[i], expected[i]) << "step " << i;
    }

    // Names and types only, and no values at all.
    TreeReaderOptions namesOnly;
    namesOnly.bValueData = false;
    TreeReaderOptions keysOnly;
    keysOnly.bValues = false;
    size_t cValues = 0, cKeys = 0;
    for (const std::string& step : expected)
        (step[0] == '1' ? cValues : cKeys) += 1;
    EXPECT_EQ(ReadAll(scratch.get(), namesOnly).size(), cValues + cKeys);
    EXPECT_EQ(ReadAll(scratch.get(), keysOnly).size(), cKeys);
}

TEST(TreeReader, LeavesNoThreadAndNoKeyOpenWhenCancelledOrDestroyedMidWalk)
{
    ScratchKey scratch;
    for (int i = 0; i < 200; ++i)
    {
        const HKEY hKey = CreateKeyW(scratch.get(), L"K" + std::to_wstring(i) + L"\\Inner");
        FillKey(hKey, i, false);
        ::RegCloseKey(hKey);
    }
    // Stopped after some steps: cancelled (and asked once more), or destroyed as it is; keeping
    // the keys open for the user, or not.
    bool bKeepKeys = false;
    const auto walkPartly = [&](bool bCancel) {
        TreeReaderOptions options;
        options.cbReadAhead = 64 * 1024;
        options.bKeepKeys = bKeepKeys;
        CTreeReader reader(scratch.get(), options);
        const TreeEntry* pEntry = nullptr;
        for (int i = 0; i < 300; ++i)
            EXPECT_EQ(reader.Next(&pEntry), CTreeReader::Result::Entry);
        EXPECT_EQ(reader.RunningHelpers(), 4u);
        if (bCancel)
        {
            reader.Cancel();
            EXPECT_EQ(reader.Next(&pEntry), CTreeReader::Result::End);
            EXPECT_EQ(reader.RunningHelpers(), 0u);
        }
    };
    // A first round makes what the process and the thread library keep for later threads.
    walkPartly(true);
    walkPartly(false);
    const unsigned cThreads = ThreadsOfThisProcess();
    const DWORD cHandles = HandlesOfThisProcess();
    for (int nRound = 0; nRound < 4; ++nRound)
    {
        bKeepKeys = nRound % 2 != 0;
        walkPartly(true);
        EXPECT_EQ(ThreadsOfThisProcess(), cThreads);
        EXPECT_EQ(HandlesOfThisProcess(), cHandles);
        walkPartly(false);
        EXPECT_EQ(ThreadsOfThisProcess(), cThreads);
        EXPECT_EQ(HandlesOfThisProcess(), cHandles);
    }
}

TEST(TreeReader, WalksOnWhileKeysAreDeletedAndAddedUnderIt)
{
    ScratchKey scratch;
    for (int i = 0; i < 60; ++i)
    {
        const HKEY hStable = CreateKeyW(scratch.get(), L"Stable\\S" + std::to_wstring(i));
        FillKey(hStable, i, false);
        ::RegCloseKey(hStable);
        const HKEY hChurn = CreateKeyW(scratch.get(), L"Churn\\C" + std::to_wstring(i) + L"\\Below");
        FillKey(hChurn, i, false);
        ::RegCloseKey(hChurn);
    }

    // Another thread deletes the churning keys and makes them again, over and over.
    std::atomic<bool> bDone{false};
    std::thread churn([&] {
        HKEY hChurn = CreateKeyW(scratch.get(), L"Churn");
        for (int n = 0; !bDone; ++n)
        {
            const std::wstring name = L"C" + std::to_wstring(n % 60);
            ::RegDeleteTreeW(hChurn, name.c_str());
            const HKEY hKey = CreateKeyW(hChurn, name + L"\\Below\\Deeper");
            FillKey(hKey, n, false);
            ::RegCloseKey(hKey);
        }
        ::RegCloseKey(hChurn);
    });

    std::set<std::wstring> stable;
    for (int nRound = 0; nRound < 5; ++nRound)
    {
        TreeReaderOptions options;
        options.cbReadAhead = 16 * 1024;
        CTreeReader reader(scratch.get(), options);
        const TreeEntry* pEntry = nullptr;
        std::vector<std::wstring> path;
        while (reader.Next(&pEntry) == CTreeReader::Result::Entry)
        {
            if (pEntry->kind == TreeEntry::KeyStart)
            {
                ASSERT_EQ(pEntry->nDepth, path.size());
                path.push_back(pEntry->name);
                if (path.size() == 3 && path[1] == L"Stable")
                    stable.insert(pEntry->name);
            }
            else if (pEntry->kind == TreeEntry::KeyEnd)
            {
                ASSERT_FALSE(path.empty());
                ASSERT_EQ(pEntry->nDepth + 1, path.size());
                ASSERT_EQ(pEntry->name, path.back());
                path.pop_back();
            }
            else
            {
                ASSERT_EQ(pEntry->nDepth + 1, path.size());
            }
        }
        EXPECT_TRUE(path.empty());
        EXPECT_FALSE(reader.Failed());
    }
    bDone = true;
    churn.join();
    // The keys nobody touched are all there.
    EXPECT_EQ(stable.size(), 60u);
}

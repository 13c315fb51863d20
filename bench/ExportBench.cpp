// Benchmark of the registration file export against the system's registry editor: a tree of
// 2,000 keys holding 10,000 values of mixed types, exported by this program in a child process
// (the key folder and the file writer, as the Export command runs them) and by "regedit /e",
// whole process for both, in alternating rounds. Run by scripts/bench.sh inside the private Wine
// prefix; the tree under HKCU\Software\CorvasinBench\Export is built once and reused.
#include "BenchClock.h"
#include "core/CmdTargetPtr.h"
#include "core/Handles.h"
#include "registry/FileByteSink.h"
#include "registry/RegFileWriter.h"
#include "registry/RegkeyExtension.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace corvasin;
using bench::Median;
using bench::Now;
using bench::TimeProcess;

namespace
{
const char* const kTreePath = "Software\\CorvasinBench\\Export";
constexpr DWORD kTopKeys = 40;
constexpr DWORD kKeysPerTop = 49; // 40 + 40 * 49 = 2,000 keys below the tree's own key
constexpr DWORD kValuesPerKey = 5; // 10,000 values
constexpr DWORD kTreeVersion = 1;  // bumped when the tree's shape changes
constexpr int kRounds = 9;

void FillKey(HKEY hKey, DWORD dwSeed)
{
    static const char c_text[] = "C:\\Program Files\\Corvasin\\a \"quoted\" text value";
    static const char c_multi[] = "first\0second\0third\0";
    static const char c_expand[] = "%SystemRoot%\\system32\\corvasin.dll";
    BYTE binary[40];
    for (DWORD i = 0; i < sizeof(binary); ++i)
        binary[i] = static_cast<BYTE>(dwSeed * 31 + i);
    const ULONGLONG qw = 0x0123456789ABCDEFull + dwSeed;
    char szName[32];
    for (DWORD i = 0; i < kValuesPerKey; ++i)
    {
        std::snprintf(szName, sizeof(szName), "Value%02lu", static_cast<unsigned long>(i));
        switch ((dwSeed + i) % 6)
        {
        case 0:
            ::RegSetValueExA(hKey, szName, 0, REG_SZ, reinterpret_cast<const BYTE*>(c_text), sizeof(c_text));
            break;
        case 1:
            ::RegSetValueExA(hKey, szName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwSeed), sizeof(DWORD));
            break;
        case 2:
            ::RegSetValueExA(hKey, szName, 0, REG_BINARY, binary, sizeof(binary));
            break;
        case 3:
            ::RegSetValueExA(hKey, szName, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(c_multi), sizeof(c_multi));
            break;
        case 4:
            ::RegSetValueExA(hKey, szName, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(c_expand),
                             sizeof(c_expand));
            break;
        default:
            ::RegSetValueExA(hKey, szName, 0, REG_QWORD, reinterpret_cast<const BYTE*>(&qw), sizeof(qw));
            break;
        }
    }
}

UniqueHkey CreateKey(HKEY hParent, const char* pszName)
{
    UniqueHkey key;
    ::RegCreateKeyExA(hParent, pszName, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
    return key;
}

void PrepareTree()
{
    UniqueHkey root = CreateKey(HKEY_CURRENT_USER, kTreePath);
    DWORD dwVersion = 0, cb = sizeof(dwVersion);
    if (::RegQueryValueExA(root.get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(&dwVersion), &cb) ==
            ERROR_SUCCESS &&
        dwVersion == kTreeVersion)
        return;
    std::printf("preparing HKCU\\%s: %lu keys, %lu values...\n", kTreePath,
                static_cast<unsigned long>(kTopKeys * (1 + kKeysPerTop)),
                static_cast<unsigned long>(kTopKeys * (1 + kKeysPerTop) * kValuesPerKey));
    char szName[32];
    DWORD dwSeed = 0;
    for (DWORD i = 0; i < kTopKeys; ++i)
    {
        std::snprintf(szName, sizeof(szName), "Group%02lu", static_cast<unsigned long>(i));
        UniqueHkey top = CreateKey(root.get(), szName);
        FillKey(top.get(), dwSeed++);
        for (DWORD j = 0; j < kKeysPerTop; ++j)
        {
            std::snprintf(szName, sizeof(szName), "Key%02lu", static_cast<unsigned long>(j));
            UniqueHkey key = CreateKey(top.get(), szName);
            FillKey(key.get(), dwSeed++);
        }
    }
    // The tree's own key marks the tree as complete (its unnamed value is the version).
    ::RegSetValueExA(root.get(), nullptr, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&kTreeVersion),
                     sizeof(kTreeVersion));
}

// The child's work: the tree's key folder written into the file, as the Export command does
// once its dialogs are answered. The folder needs none of the product's services for it, and
// the child so links only the registry floor and what lies below it (not the dialogs' library,
// whose loading alone starts Wine's desktop process).
int ExportTree(const char* pszFile)
{
    auto folder = CmdTargetPtr<CRegkeyExtension>::Attach(
        new CRegkeyExtension(nullptr, HKEY_CURRENT_USER, kTreePath, nullptr));
    CFileByteSink file;
    if (!file.Create(pszFile))
        return 2;
    const bool bOk = WriteRegFileHeader(file) && WriteKeyTree(*folder, file);
    return file.Close() && bOk ? 0 : 3;
}


DWORD FileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    return ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ? data.nFileSizeLow : 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && !std::strcmp(argv[1], "--export"))
        return ExportTree(argv[2]);
    bench::PrintArchitecture();

    PrepareTree();
    char szTemp[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, szTemp);
    const std::string oursFile = std::string(szTemp) + "corvasin-bench-export.reg";
    const std::string regeditFile = std::string(szTemp) + "corvasin-bench-regedit.reg";
    char szSelf[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, szSelf, MAX_PATH);
    std::string ours = "\"";
    ours.append(szSelf).append("\" --export \"").append(oursFile).append("\"");
    const std::string regedit =
        "regedit.exe /e \"" + regeditFile + "\" \"HKEY_CURRENT_USER\\" + kTreePath + "\"";

    // One unmeasured run of each: the first start of a program loads what later ones share.
    TimeProcess(ours);
    TimeProcess(regedit);

    // Rounds alternate which side goes first; each round's pair gives one ratio.
    std::vector<double> tOurs, tRegedit, ratios;
    for (int round = 0; round < kRounds; ++round)
    {
        double a, b;
        if (round % 2 == 0)
        {
            a = TimeProcess(ours);
            b = TimeProcess(regedit);
        }
        else
        {
            b = TimeProcess(regedit);
            a = TimeProcess(ours);
        }
        if (a < 0 || b < 0)
        {
            std::printf("round %d failed (ours %.3f, regedit %.3f)\n", round, a, b);
            return 1;
        }
        tOurs.push_back(a);
        tRegedit.push_back(b);
        ratios.push_back(a / b);
    }

    // The export alone, inside this process, for comparison with the whole process.
    double tInProcess = 1e30;
    for (int round = 0; round < 3; ++round)
    {
        const double t0 = Now();
        ExportTree(oursFile.c_str());
        tInProcess = std::min(tInProcess, Now() - t0);
    }

    std::printf("tree: %lu keys, %lu values; files: ours %lu bytes (REGEDIT4), regedit %lu bytes (UTF-16)\n",
                static_cast<unsigned long>(kTopKeys * (1 + kKeysPerTop) + 1),
                static_cast<unsigned long>(kTopKeys * (1 + kKeysPerTop) * kValuesPerKey + 1),
                static_cast<unsigned long>(FileSize(oursFile)), static_cast<unsigned long>(FileSize(regeditFile)));
    std::printf("ours (whole process):    median %.3f s, best %.3f s\n", Median(tOurs),
                *std::min_element(tOurs.begin(), tOurs.end()));
    std::printf("regedit /e (whole proc): median %.3f s, best %.3f s\n", Median(tRegedit),
                *std::min_element(tRegedit.begin(), tRegedit.end()));
    std::printf("ours, export alone in this process: best %.3f s\n", tInProcess);
    std::printf("ratio ours/regedit: %.3f median of %d paired rounds, %.3f of the best times "
                "(goal <= 1.0, aim 0.8)\n",
                Median(ratios), kRounds,
                *std::min_element(tOurs.begin(), tOurs.end()) / *std::min_element(tRegedit.begin(), tRegedit.end()));
    ::DeleteFileA(oursFile.c_str());
    ::DeleteFileA(regeditFile.c_str());
    return 0;
}

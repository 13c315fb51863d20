// Benchmark of the tree operations on the tree reader against plain loops of one thread with
// the same one-call reads, over a tree of 2,000 keys and 10,000 values of mixed types, rounds
// alternating in one run: the export as a whole process (the key folder and the file writer, as
// the Export command runs them) against a process that walks the tree; the paste's tree copy
// into an empty key against a copy loop; the tree delete against a delete loop. The registry
// server's CPU time is measured alongside each. With CORVASIN_BENCH_BIG=1 the same on a
// registry-sized tree of 50,000 keys and 250,000 values. Run by scripts/bench.sh inside the
// private Wine prefix; the trees are built for the run and deleted after it.
#include "BenchClock.h"
#include "BenchTree.h"
#include "core/CmdTargetPtr.h"
#include "core/Handles.h"
#include "core/Strings.h"
#include "registry/FileByteSink.h"
#include "registry/KeyOperations.h"
#include "registry/RegFileWriter.h"
#include "registry/RegistryAccess.h"
#include "registry/RegkeyExtension.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace corvasin;
using bench::Median;
using bench::Now;
using bench::TimeProcess;
using bench::ServerCpuSeconds;

namespace
{
const char* const kBenchPath = "Software\\CorvasinBench";
constexpr int kRounds = 7;

UniqueHkey OpenPath(const std::string& path, REGSAM sam = KEY_ALL_ACCESS)
{
    UniqueHkey key;
    ::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, sam, key.put());
    return key;
}

// ---- the plain loops of one thread ---------------------------------------------------------

// Reads a key's values (name, type and data in one call each), then its subkeys' trees.
struct PlainWalk
{
    std::vector<wchar_t> name = std::vector<wchar_t>(kMaxValueNameChars + 1);
    std::vector<BYTE> data;
    size_t cKeys = 0, cValues = 0;
    size_t cCalls = 0; // the walk's registry calls, each one round trip to the server

    void Walk(HKEY hKey)
    {
        ++cKeys;
        ++cCalls;
        DWORD cSubkeys = 0, cValuesHere = 0, cbMaxData = 0;
        if (::RegQueryInfoKeyW(hKey, nullptr, nullptr, nullptr, &cSubkeys, nullptr, nullptr, &cValuesHere,
                               nullptr, &cbMaxData, nullptr, nullptr) != ERROR_SUCCESS)
            return;
        if (data.size() < cbMaxData + 1)
            data.resize(cbMaxData + 1);
        for (DWORD i = 0; i < cValuesHere; ++i)
        {
            DWORD cch = static_cast<DWORD>(name.size()), cb = static_cast<DWORD>(data.size()), dwType = 0;
            if (::RegEnumValueW(hKey, i, name.data(), &cch, nullptr, &dwType, data.data(), &cb) == ERROR_SUCCESS)
                ++cValues;
        }
        cCalls += cValuesHere + 3 * static_cast<size_t>(cSubkeys); // a subkey's name, open and close
        for (DWORD i = 0; i < cSubkeys; ++i)
        {
            wchar_t szSubkey[kMaxKeyNameChars + 1];
            DWORD cch = kMaxKeyNameChars + 1;
            UniqueHkey subkey;
            if (::RegEnumKeyExW(hKey, i, szSubkey, &cch, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                OpenRegKeyW(hKey, szSubkey, KEY_READ, subkey.put()) == ERROR_SUCCESS)
                Walk(subkey.get());
        }
    }

    // The copy: the same reads, each key created and each value written below the target.
    void Copy(HKEY hSource, HKEY hTargetParent, const wchar_t* pszName)
    {
        UniqueHkey target;
        if (CreateRegKeyW(hTargetParent, pszName, KEY_ALL_ACCESS, target.put()) != ERROR_SUCCESS)
            return;
        DWORD cSubkeys = 0, cValuesHere = 0, cbMaxData = 0;
        if (::RegQueryInfoKeyW(hSource, nullptr, nullptr, nullptr, &cSubkeys, nullptr, nullptr, &cValuesHere,
                               nullptr, &cbMaxData, nullptr, nullptr) != ERROR_SUCCESS)
            return;
        if (data.size() < cbMaxData + 1)
            data.resize(cbMaxData + 1);
        for (DWORD i = 0; i < cValuesHere; ++i)
        {
            DWORD cch = static_cast<DWORD>(name.size()), cb = static_cast<DWORD>(data.size()), dwType = 0;
            if (::RegEnumValueW(hSource, i, name.data(), &cch, nullptr, &dwType, data.data(), &cb) == ERROR_SUCCESS)
                ::RegSetValueExW(target.get(), name.data(), 0, dwType, data.data(), cb);
        }
        for (DWORD i = 0; i < cSubkeys; ++i)
        {
            wchar_t szSubkey[kMaxKeyNameChars + 1];
            DWORD cch = kMaxKeyNameChars + 1;
            UniqueHkey subkey;
            if (::RegEnumKeyExW(hSource, i, szSubkey, &cch, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                OpenRegKeyW(hSource, szSubkey, KEY_READ, subkey.put()) == ERROR_SUCCESS)
                Copy(subkey.get(), target.get(), szSubkey);
        }
    }
};

// The delete loop: subkeys from the last index down, each tree before its key.
bool PlainDelete(HKEY hParent, const wchar_t* pszName)
{
    UniqueHkey key;
    if (OpenRegKeyW(hParent, pszName, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, key.put()) != ERROR_SUCCESS)
        return false;
    DWORD cSubkeys = 0;
    if (::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &cSubkeys, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr) == ERROR_SUCCESS)
        for (DWORD i = cSubkeys; i-- > 0;)
        {
            wchar_t szSubkey[kMaxKeyNameChars + 1];
            DWORD cch = kMaxKeyNameChars + 1;
            if (::RegEnumKeyExW(key.get(), i, szSubkey, &cch, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                !PlainDelete(key.get(), szSubkey))
                return false;
        }
    key.reset();
    return DeleteRegKeyW(hParent, pszName) == ERROR_SUCCESS;
}

// ---- the child processes of the export's measure -------------------------------------------

// The export as the Export command runs it once its dialogs are answered.
int ExportTree(const char* pszPath, const char* pszFile)
{
    auto folder = CmdTargetPtr<CRegkeyExtension>::Attach(
        new CRegkeyExtension(nullptr, HKEY_CURRENT_USER, pszPath, nullptr));
    CFileByteSink file;
    if (!file.Create(pszFile))
        return 2;
    const bool bOk = WriteRegFileHeader(file) && WriteKeyTree(*folder, file);
    return file.Close() && bOk ? 0 : 3;
}

int WalkTree(const char* pszPath)
{
    const UniqueHkey key = OpenPath(pszPath, KEY_READ);
    if (!key)
        return 2;
    PlainWalk walk;
    walk.Walk(key.get());
    return walk.cKeys > 1 ? 0 : 3;
}

// A process's CPU time, user and kernel.
double CpuSeconds(HANDLE hProcess)
{
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(hProcess, &created, &exited, &kernel, &user))
        return -1;
    const auto seconds = [](const FILETIME& ft) {
        return static_cast<double>((static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}


// ---- the measures ----------------------------------------------------------------------------

// One measure: the times of ours and of the plain loop, and the server's CPU time during each.
struct Measure
{
    const char* pszName;
    const char* pszGoal;
    std::vector<double> ours, plain, ratios, oursServer, plainServer, oursClient, plainClient; // seconds

    void Add(double dOurs, double dPlain, double dOursServer, double dPlainServer, double dOursClient,
             double dPlainClient)
    {
        oursClient.push_back(dOursClient);
        plainClient.push_back(dPlainClient);
        ours.push_back(dOurs);
        plain.push_back(dPlain);
        ratios.push_back(dOurs / dPlain);
        oursServer.push_back(dOursServer);
        plainServer.push_back(dPlainServer);
    }

    void Print() const
    {
        std::printf("%s: ours %.3f s, one-thread loop %.3f s: ratio %.2f (goal %s) median of %zu paired rounds\n",
                    pszName, Median(ours), Median(plain), Median(ratios), pszGoal, ratios.size());
        if (Median(plainServer) >= 0)
            std::printf("         registry server CPU: %.3f s during ours (%.0f%% of its time), %.3f s during the "
                        "loop (%.0f%%)\n",
                        Median(oursServer), 100 * Median(oursServer) / Median(ours), Median(plainServer),
                        100 * Median(plainServer) / Median(plain));
        if (Median(plainClient) >= 0 && Median(plainServer) >= 0)
            std::printf("         CPU time of server and program together: ours %.3f s, the loop %.3f s: on two "
                        "cores no run takes less than half of it, %.2f of the loop's time\n",
                        Median(oursServer) + Median(oursClient), Median(plainServer) + Median(plainClient),
                        (Median(oursServer) + Median(oursClient)) / 2 / Median(plain));
    }
};

// Times a call, and the server's and this process's CPU time meanwhile.
template <typename Fn>
double Timed(Fn fn, double* pdServer, double* pdClient = nullptr)
{
    const double c0 = ServerCpuSeconds();
    const double p0 = CpuSeconds(::GetCurrentProcess());
    const double t0 = Now();
    fn();
    const double dt = Now() - t0;
    *pdServer = ServerCpuSeconds() - c0;
    if (pdClient)
        *pdClient = CpuSeconds(::GetCurrentProcess()) - p0;
    return dt;
}

struct TreeTimes
{
    double dExport = 0, dCopy = 0, dDelete = 0;
};

// The three measures on the tree at HKCU\<path>; rounds alternate which side goes first.
TreeTimes MeasureTree(const std::string& path, int cRounds)
{
    char szSelf[MAX_PATH] = "", szTemp[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, szSelf, MAX_PATH);
    ::GetTempPathA(MAX_PATH, szTemp);
    const std::string file = std::string(szTemp) + "corvasin-bench-tree.reg";
    const std::string exportCommand = "\"" + std::string(szSelf) + "\" --export \"" + path + "\" \"" + file + "\"";
    const std::string walkCommand = "\"" + std::string(szSelf) + "\" --walk \"" + path + "\"";
    const std::string copyParent = std::string(kBenchPath) + "\\Copies";

    Measure exportMeasure{"export", "<= 0.45", {}, {}, {}, {}, {}};
    Measure exportHereMeasure{"export, in this process", "<= 0.45", {}, {}, {}, {}, {}};
    Measure copyMeasure{"paste", "<= 0.60", {}, {}, {}, {}, {}};
    Measure deleteMeasure{"delete", "<= 0.60", {}, {}, {}, {}, {}};
    TimeProcess(exportCommand); // the first start of a program loads what later ones share
    TimeProcess(walkCommand);
    for (int round = 0; round < cRounds; ++round)
    {
        const bool bOursFirst = round % 2 == 0;
        double sOurs = 0, sPlain = 0, cOurs = 0, cPlain = 0;
        double tOurs = 0, tPlain = 0;
        // Wine tells no CPU time of another process: the whole processes are timed, and the
        // same work inside this one is measured with its CPU time.
        const auto exportOurs = [&] { tOurs = Timed([&] { TimeProcess(exportCommand); }, &sOurs); };
        const auto walkPlain = [&] { tPlain = Timed([&] { TimeProcess(walkCommand); }, &sPlain); };
        bOursFirst ? (exportOurs(), walkPlain()) : (walkPlain(), exportOurs());
        exportMeasure.Add(tOurs, tPlain, sOurs, sPlain, -1, -1);
        const auto exportHere = [&] {
            tOurs = Timed([&] { ExportTree(path.c_str(), file.c_str()); }, &sOurs, &cOurs);
        };
        const auto walkHere = [&] { tPlain = Timed([&] { WalkTree(path.c_str()); }, &sPlain, &cPlain); };
        bOursFirst ? (exportHere(), walkHere()) : (walkHere(), exportHere());
        exportHereMeasure.Add(tOurs, tPlain, sOurs, sPlain, cOurs, cPlain);

        // Two copies into an empty key, one each way; then each deleted, one each way.
        ::RegDeleteTreeA(HKEY_CURRENT_USER, copyParent.c_str());
        UniqueHkey parent;
        ::RegCreateKeyExA(HKEY_CURRENT_USER, copyParent.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          parent.put(), nullptr);
        const size_t iLast = path.rfind('\\');
        const std::string sourceParentPath = path.substr(0, iLast);
        const std::wstring name = AnsiToWide(path.substr(iLast + 1).c_str());
        const UniqueHkey sourceParent = OpenPath(sourceParentPath, KEY_READ);
        const UniqueHkey source = OpenPath(path, KEY_READ);
        UniqueHkey ours, plain;
        ::RegCreateKeyExA(parent.get(), "Ours", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, ours.put(), nullptr);
        ::RegCreateKeyExA(parent.get(), "Plain", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, plain.put(), nullptr);
        const auto copyOurs = [&] {
            tOurs = Timed([&] { (void)CopyKeyTree(ours.get(), sourceParent.get(), name.c_str()); }, &sOurs, &cOurs);
        };
        const auto copyPlain = [&] {
            tPlain = Timed([&] { PlainWalk().Copy(source.get(), plain.get(), name.c_str()); }, &sPlain, &cPlain);
        };
        bOursFirst ? (copyOurs(), copyPlain()) : (copyPlain(), copyOurs());
        copyMeasure.Add(tOurs, tPlain, sOurs, sPlain, cOurs, cPlain);

        bool bDeleted = false, bPlainDeleted = false;
        const auto deleteOurs = [&] {
            tOurs = Timed([&] { bDeleted = SUCCEEDED(DeleteKeyTree(ours.get(), name.c_str())); }, &sOurs, &cOurs);
        };
        const auto deletePlain = [&] {
            tPlain = Timed([&] { bPlainDeleted = PlainDelete(plain.get(), name.c_str()); }, &sPlain, &cPlain);
        };
        bOursFirst ? (deleteOurs(), deletePlain()) : (deletePlain(), deleteOurs());
        if (!bDeleted || !bPlainDeleted)
            std::printf("round %d: a delete failed (ours %d, loop %d)\n", round + 1, bDeleted, bPlainDeleted);
        deleteMeasure.Add(tOurs, tPlain, sOurs, sPlain, cOurs, cPlain);
        std::printf("round %d: export %.3f / walk %.3f s, paste %.3f / %.3f s, delete %.3f / %.3f s\n", round + 1,
                    exportMeasure.ours.back(), exportMeasure.plain.back(), copyMeasure.ours.back(),
                    copyMeasure.plain.back(), deleteMeasure.ours.back(), deleteMeasure.plain.back());
    }
    ::RegDeleteTreeA(HKEY_CURRENT_USER, copyParent.c_str());
    ::DeleteFileA(file.c_str());

    // Where a walk's time goes: its calls, and the server's CPU time for each.
    std::vector<double> perCall, serverPerCall;
    PlainWalk counted;
    for (int round = 0; round < 3; ++round)
    {
        counted = PlainWalk();
        const UniqueHkey key = OpenPath(path, KEY_READ);
        double dServer = 0;
        const double dt = Timed([&] { counted.Walk(key.get()); }, &dServer);
        perCall.push_back(dt / static_cast<double>(counted.cCalls));
        serverPerCall.push_back(dServer / static_cast<double>(counted.cCalls));
    }
    std::printf("one-thread walk in this process: %zu keys, %zu values, %zu registry calls of %.1f us each; the "
                "server's CPU time per call %.1f us (%.0f%%): the least any number of threads can take a walk to\n",
                counted.cKeys, counted.cValues, counted.cCalls, 1e6 * Median(perCall), 1e6 * Median(serverPerCall),
                100 * Median(serverPerCall) / Median(perCall));
    exportMeasure.Print();
    exportHereMeasure.Print();
    copyMeasure.Print();
    deleteMeasure.Print();
    return {Median(exportMeasure.ours), Median(copyMeasure.ours), Median(deleteMeasure.ours)};
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && !std::strcmp(argv[1], "--export"))
        return ExportTree(argv[2], argv[3]);
    if (argc == 3 && !std::strcmp(argv[1], "--walk"))
        return WalkTree(argv[2]);
    bench::PrintArchitecture();

    const std::string small = std::string(kBenchPath) + "\\Tree";
    std::printf("preparing HKCU\\%s: 2,000 keys, 10,000 values of mixed types...\n", small.c_str());
    bench::BuildTree(small.c_str(), 40, 49, 5);
    const TreeTimes smallTimes = MeasureTree(small, kRounds);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, small.c_str());

    const char* pszBig = std::getenv("CORVASIN_BENCH_BIG");
    if (!pszBig || !*pszBig || !std::strcmp(pszBig, "0"))
    {
        std::printf("registry-sized run skipped (CORVASIN_BENCH_BIG=1 runs it, a few minutes)\n");
        return 0;
    }
    const std::string big = std::string(kBenchPath) + "\\BigTree";
    std::printf("preparing HKCU\\%s: 50,000 keys, 250,000 values...\n", big.c_str());
    bench::BuildTree(big.c_str(), 250, 199, 5);
    const TreeTimes bigTimes = MeasureTree(big, 1);
    std::printf("registry-sized tree, 25 times the keys and values: export %.1f s (%.1f times the small tree's), "
                "paste %.1f s (%.1f times), delete %.1f s (%.1f times)\n",
                bigTimes.dExport, bigTimes.dExport / smallTimes.dExport, bigTimes.dCopy,
                bigTimes.dCopy / smallTimes.dCopy, bigTimes.dDelete, bigTimes.dDelete / smallTimes.dDelete);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, big.c_str());
    return 0;
}

// The registration file reader: one table of files with the operations or errors each gives,
// mutated files that must never crash it and never pass unnoticed when broken, and exports of our
// own writer read back to the exact bytes of the registry, also as the registry editor imports
// them.
#include "core/Handles.h"
#include "registry/KeyTreeWriter.h"
#include "registry/MemoryByteSink.h"
#include "registry/PredefinedKeys.h"
#include "registry/RegFileImport.h"
#include "registry/RegFileParser.h"
#include "registry/RegFileText.h"
#include "registry/Utf16ByteSink.h"
#include "support/RegistrySnapshot.h"
#include "support/ScratchKey.h"
#include "support/TableRow.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string_view>

using namespace corvasin;
using namespace corvasin::test;
using namespace std::string_view_literals;

namespace
{

// The key the table's files name, shortened to "K" in the expectations.
#define K "HKEY_CURRENT_USER\\Software\\CorvasinTest\\RegFileParser"
const char c_szKeyPath[] = "Software\\CorvasinTest\\RegFileParser";
// Each import starts the registry editor: a couple of dozen keep the run short.
constexpr int kMutatedImports = 25;

std::string Utf8(const std::wstring& text) { return ToUtf8(text); }

std::string UnicodeFile(const std::string& utf8)
{
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(static_cast<size_t>(::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                                          wide.data(), static_cast<int>(wide.size()))));
    return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
}

// One line per operation or error: "3 key K\Sub", "4 set "name" 1 61,00,00,00", "5 error".
std::string Render(const RegFileContents& contents)
{
    std::string out;
    for (const RegFileOperation& op : contents.operations)
    {
        std::string key = FindPredefinedKey(op.hRootKey)->pszLongName;
        if (!op.keyPath.empty())
            key.append("\\").append(Utf8(op.keyPath));
        if (key.rfind(K, 0) == 0)
            key.replace(0, sizeof(K) - 1, "K");
        std::string name = "@";
        if (!op.valueName.empty())
            name.assign("\"").append(Utf8(op.valueName)).append("\"");
        char sz[16];
        std::snprintf(sz, sizeof(sz), "%u ", op.nLine);
        out += sz;
        switch (op.kind)
        {
        case RegFileOperationKind::CreateKey:
            out += "key " + key;
            break;
        case RegFileOperationKind::DeleteKeyTree:
            out += "delete key " + key;
            break;
        case RegFileOperationKind::DeleteValue:
            out += "delete " + name;
            break;
        case RegFileOperationKind::SetValue:
            std::snprintf(sz, sizeof(sz), " %lx ", op.dwType);
            out += "set " + name + sz;
            for (size_t i = 0; i < op.data.size(); ++i)
            {
                std::snprintf(sz, sizeof(sz), "%s%02x", i ? "," : "", op.data[i]);
                out += sz;
            }
            break;
        }
        out += "\n";
    }
    for (const RegFileError& error : contents.errors)
        out += std::to_string(error.nLine) + " error\n";
    return out;
}

RegFileContents Parse(const std::string& bytes)
{
    RegFileContents contents;
    EXPECT_EQ(ParseRegFile(bytes.data(), bytes.size(), contents), S_OK);
    return contents;
}

struct FileRow : Row
{
    std::string_view text; // after the header line
    const char* pszExpected;
    bool bUnicode = false; // the text is UTF-8 for a UTF-16 file
    bool bRaw = false; // the text is the whole file, header and all
};

std::string FileBytes(const FileRow& row)
{
    if (row.bRaw)
        return std::string(row.text);
    if (row.bUnicode)
        return UnicodeFile("Windows Registry Editor Version 5.00\r\n" + std::string(row.text));
    return "REGEDIT4\r\n" + std::string(row.text);
}

const FileRow c_files[] = {
    {{"KeyAndValues"}, "\r\n[" K "]\r\n\"s\"=\"ab\"\r\n@=dword:0000002a\r\n",
     "3 key K\n4 set \"s\" 1 61,00,62,00,00,00\n5 set @ 4 2a,00,00,00\n"},
    {{"CommentsBlanksAndLineFeedsAlone"}, ";c\n  \n  [" K "]  \n\t\"a\" = \"x\" ;c\n;\"b\"=\"y\"\n",
     "4 key K\n5 set \"a\" 1 78,00,00,00\n"},
    {{"RootNamesInAnyCase"}, "[hkey_current_user\\Software\\CorvasinTest\\RegFileParser\\Sub]\r\n[HKEY_USERS]\r\n",
     "2 key K\\Sub\n3 key HKEY_USERS\n"},
    {{"Deletions"}, "[-" K "\\Sub]\r\n[" K "]\r\n\"a\"=-\r\n@ = - ;c\r\n",
     "2 delete key K\\Sub\n3 key K\n4 delete \"a\"\n5 delete @\n"},
    {{"Escapes"}, "[" K "]\r\n\"q\\\"n\\\\\"=\"a\\\\b\\\"c\\nd\\re\"\r\n\"\"=\"unnamed\"\r\n",
     "2 key K\n3 set \"q\"n\\\" 1 61,00,5c,00,62,00,22,00,63,00,0a,00,64,00,0d,00,65,00,00,00\n"
     "4 set @ 1 75,00,6e,00,6e,00,61,00,6d,00,65,00,64,00,00,00\n"},
    {{"EveryHexType"},
     "[" K "]\r\n\"b\"=hex:01,ff\r\n\"n\"=hex(0):\r\n\"e\"=hex(2):25,41,25,00\r\n"
     "\"m\"=hex(7):61,00,62,00,00\r\n\"q\"=hex(b):01,02,03,04,05,06,07,08\r\n\"d\"=hex(4):1,2\r\n"
     "\"x\"=hex(12345):0a\r\n\"s\"=hex(1):61\r\n\"z\"=hex(2):\r\n",
     "2 key K\n3 set \"b\" 3 01,ff\n4 set \"n\" 0 \n5 set \"e\" 2 25,00,41,00,25,00,00,00\n"
     "6 set \"m\" 7 61,00,00,00,62,00,00,00,00,00\n7 set \"q\" b 01,02,03,04,05,06,07,08\n"
     "8 set \"d\" 4 01,02\n9 set \"x\" 12345 0a\n10 set \"s\" 1 61,00,00,00\n11 set \"z\" 2 \n"},
    {{"ContinuedHex"}, "[" K "]\r\n\"c\"=hex:01,02,\\\r\n  03,\\ ;c\r\n\t04 ;end\r\n\"d\"=hex:\\\n 05,\n",
     "2 key K\n3 set \"c\" 3 01,02,03,04\n6 set \"d\" 3 05\n"},
    {{"DwordWithBlanksAndComment"}, "[" K "]\r\n\"d\"=dword: FFFFffff ;c\r\n\"e\"=dword:0\r\n",
     "2 key K\n3 set \"d\" 4 ff,ff,ff,ff\n4 set \"e\" 4 00,00,00,00\n"},
    {{"UnicodeForm"}, "[" K "\\\xD0\x96]\r\n\"\xC3\xA9\"=\"\xC3\xBC\"\r\n\"e\"=hex(2):41,00\r\n\"m\"=hex(7):41,00,00,00\r\n",
     "2 key K\\\xD0\x96\n3 set \"\xC3\xA9\" 1 fc,00,00,00\n4 set \"e\" 2 41,00,00,00\n5 set \"m\" 7 41,00,00,00\n",
     true},
    {{"HeaderOnly"}, "", ""},
    // Errors.
    {{"ValueBeforeAnyKey"}, "\"a\"=\"x\"\r\n[" K "]\r\n", "3 key K\n2 error\n"},
    {{"ValueBelowADeletion"}, "[-" K "]\r\n\"a\"=\"x\"\r\n", "2 delete key K\n3 error\n"},
    {{"ShortRootName"}, "[HKCU\\Software]\r\n\"a\"=\"x\"\r\n", "2 error\n"},
    {{"RootsFilesDoNotName"}, "[HKEY_PERFORMANCE_DATA\\x]\r\n[HKEY_DYN_DATA\\x]\r\n[HKEY_NOWHERE\\x]\r\n[HKEY_USERS\\x\\]\r\n",
     "2 error\n3 error\n4 error\n5 error\n"},
    {{"EmptyKeyNames"}, "[HKEY_USERS\\\\x]\r\n[HKEY_USERS\\]\r\n[-HKEY_USERS]\r\n[]\r\n", "2 error\n3 error\n4 error\n5 error\n"},
    {{"KeyNameTooLong"}, "[HKEY_USERS\\" "0123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890123456789"
     "0123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890123456789"
     "0123456789012345678901234567890123456789012345678901234567]\r\n", "2 error\n"},
    {{"BadKeyLines"}, "[HKEY_USERS\\x\r\n[HKEY_USERS\\x] junk\r\n[ HKEY_USERS\\x]\r\n[- HKEY_USERS\\x]\r\n",
     "2 error\n3 error\n4 error\n5 error\n"},
    {{"BadValueLines"}, "[" K "]\r\n\"a\" \"x\"\r\n@x=\"x\"\r\n# comment\r\n\"a\"=\r\n\"a\"=-x\r\n\"a\"=\"x\" y\r\n",
     "2 key K\n3 error\n4 error\n5 error\n6 error\n7 error\n8 error\n"},
    {{"UnknownTypes"}, "[" K "]\r\n\"a\"=str(2):\"x\"\r\n\"a\"=HEX:01\r\n\"a\"=hex(0x2):01\r\n\"a\"=hex():01\r\n\"a\"=hex( 2):01\r\n\"a\"=hex(123456789):01\r\n",
     "2 key K\n3 error\n4 error\n5 error\n6 error\n7 error\n8 error\n"},
    {{"BadStrings"}, "[" K "]\r\n\"a\"=\"x\r\n\"a\"=\"x\\qy\"\r\n\"a\"=\"x\\0y\"\r\n\"a\"=\"x\\\r\n\"a\r\n",
     "2 key K\n3 error\n4 error\n5 error\n6 error\n7 error\n"},
    {{"BadDwords"}, "[" K "]\r\n\"a\"=dword:\r\n\"a\"=dword:;c\r\n\"a\"=dword:123456789\r\n\"a\"=dword:1x\r\n",
     "2 key K\n3 error\n4 error\n5 error\n6 error\n"},
    {{"BadHexBytes"}, "[" K "]\r\n\"a\"=hex:01 ,02\r\n\"a\"=hex:1,,2\r\n\"a\"=hex:001\r\n\"a\"=hex:0x1\r\n\"a\"=hex:01\\\r\n\"a\"=hex:01,\\ x\r\n",
     "2 key K\n3 error\n4 error\n5 error\n6 error\n7 error\n8 error\n"},
    {{"BrokenContinuations"}, "[" K "]\r\n\"a\"=hex:01,\\\r\n\r\n\"b\"=hex:01,\\\r\n\"c\"=dword:1\r\n\"d\"=hex:01,\\\r\n  02, \r\n\"e\"=hex:01,\\",
     "2 key K\n4 error\n6 error\n8 error\n9 error\n"},
    {{"StringHexWithoutBytes"}, "[" K "]\r\n\"a\"=hex(2): ;c\r\n\"b\"=hex: ;c\r\n", "2 key K\n4 set \"b\" 3 \n3 error\n"},
    {{"OddStringBytesInUnicode"}, "[" K "]\r\n\"a\"=hex(2):41,00,42\r\n", "2 key K\n3 error\n", true},
    {{"LoneCarriageReturnAndZero"}, "[" K "]\r\"a\"=\"x\"\r\n\"b\"=\"\0\"\r\n"sv, "2 key K\n3 set \"a\" 1 78,00,00,00\n2 error\n4 error\n"},
    {{"UnicodeHeaderInAnsi"}, "Windows Registry Editor Version 5.00\r\n[" K "]\r\n", "1 error\n", false, true},
    {{"AnsiHeaderInUnicode"}, "\xFF\xFER\0E\0G\0E\0D\0I\0T\0" "4\0\r\0\n\0"sv, "1 error\n", false, true},
    {{"Utf8WithByteOrderMark"}, "\xEF\xBB\xBFREGEDIT4\r\n", "0 error\n", false, true},
    {{"NoHeader"}, "[" K "]\r\n", "1 error\n", false, true},
    {{"Empty"}, "", "0 error\n", false, true},
};

class RegFileTable : public testing::TestWithParam<FileRow>
{
};

TEST_P(RegFileTable, GivesTheExpectedOperationsAndErrors)
{
    const RegFileContents contents = Parse(FileBytes(GetParam()));
    EXPECT_EQ(Render(contents), GetParam().pszExpected);
    EXPECT_EQ(contents.HasErrors(), !contents.errors.empty());
    for (const RegFileError& error : contents.errors)
        EXPECT_FALSE(error.message.empty());
}

INSTANTIATE_TEST_SUITE_P(Files, RegFileTable, testing::ValuesIn(c_files), RowName());

TEST(RegFileParser, AMegabyteLineOfHexIsReadInLinearTime)
{
    std::string file = "REGEDIT4\r\n[" K "]\r\n\"big\"=hex:";
    const size_t cBytes = 350000;
    for (size_t i = 0; i < cBytes; ++i)
        file += i + 1 < cBytes ? "a5," : "a5";
    file += "\r\n";
    ASSERT_GT(file.size(), 1000000u);
    const auto start = std::chrono::steady_clock::now();
    const RegFileContents contents = Parse(file);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    ASSERT_FALSE(contents.HasErrors());
    ASSERT_EQ(contents.operations.size(), 2u);
    EXPECT_EQ(contents.operations[1].data, std::vector<BYTE>(cBytes, 0xA5));
}

TEST(RegFileParser, AnOversizedFileIsOneErrorAndNothingElse)
{
    std::string file = "REGEDIT4\r\n[" K "]\r\n";
    file.resize(kMaxRegFileBytes + 1, ';');
    const RegFileContents contents = Parse(file);
    EXPECT_TRUE(contents.operations.empty());
    ASSERT_EQ(contents.errors.size(), 1u);
    EXPECT_EQ(contents.errors[0].nLine, 0u);
}

TEST(RegFileParser, AStrayByteAfterUnicodeTextIsAnError)
{
    const RegFileContents contents = Parse(UnicodeFile("Windows Registry Editor Version 5.00\r\n") + "X");
    EXPECT_EQ(Render(contents), "0 error\n");
}

TEST(RegFileParser, ErrorsStopAtTheirLimitAndQuoteTheirLineShortened)
{
    std::string file = "REGEDIT4\r\n";
    for (int i = 0; i < 1000; ++i)
        file += std::string(200, 'x') + "\r\n";
    const RegFileContents contents = Parse(file);
    ASSERT_EQ(contents.errors.size(), kMaxRegFileErrors);
    EXPECT_EQ(contents.errors[0].text, std::wstring(kMaxRegFileErrorText, L'x'));
}

// Byte flips, cuts and insertions of what breaks lines, on valid files of both forms.
class CMutator
{
public:
    CMutator()
    {
        const std::string body = "[" K "]\r\n\"s\"=\"a\\\\b\\\"c\\n\"\r\n@=dword:12345678\r\n"
                                 "\"m\"=hex(7):61,00,62,00,00,00,\\\r\n  00,00\r\n\"b\"=hex:01,02 ;c\r\n"
                                 "\"e\"=hex(2):25,00,41,00,00,00\r\n\"q\"=hex(b):01,02,03,04,05,06,07,08\r\n"
                                 "[-" K "\\Sub]\r\n";
        m_valid[0] = "REGEDIT4\r\n" + body;
        m_valid[1] = UnicodeFile("Windows Registry Editor Version 5.00\r\n" + body);
    }

    const std::string& Base(int i) const { return m_valid[i % 2]; }

    std::string Mutated(int i)
    {
        static const char* const inserts[] = {"\\", "\"", "[", "]", "\r", "\n", ",", "\0", "hex(", ";", "=", "\\\r\n"};
        std::string file = Base(i);
        for (uint32_t m = 1 + Random(3); m > 0 && !file.empty(); --m)
        {
            const size_t at = Random(static_cast<uint32_t>(file.size()));
            switch (Random(4))
            {
            case 0:
                file[at] = static_cast<char>(file[at] ^ (1u << Random(8)));
                break;
            case 1:
                file.resize(at);
                break;
            case 2:
                file.erase(at, 1 + Random(8));
                break;
            default:
            {
                const char* psz = inserts[Random(std::size(inserts))];
                file.insert(at, psz, std::max<size_t>(std::strlen(psz), 1));
                break;
            }
            }
        }
        return file;
    }

private:
    uint32_t Random(uint32_t n)
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state % n;
    }

    std::string m_valid[2];
    uint32_t m_state = 12345;
};

TEST(RegFileParser, MutatedFilesNeverCrashAndTheirErrorsBlockWriting)
{
    CMutator mutator;
    ASSERT_FALSE(Parse(mutator.Base(0)).HasErrors());
    ASSERT_FALSE(Parse(mutator.Base(1)).HasErrors());
    int cBroken = 0, cKept = 0;
    for (int i = 0; i < 4000; ++i)
    {
        const std::string file = mutator.Mutated(i);
        RegFileContents contents;
        ASSERT_EQ(ParseRegFile(file.data(), file.size(), contents), S_OK);
        ASSERT_EQ(contents.HasErrors(), !contents.errors.empty());
        for (const RegFileOperation& op : contents.operations)
            ASSERT_TRUE(FindPredefinedKey(op.hRootKey) && op.nLine >= 2);
        (contents.HasErrors() ? cBroken : cKept)++;
    }
    // Most mutations break the file; some (a changed letter inside a name) leave it readable.
    EXPECT_GT(cBroken, 1000);
    EXPECT_GT(cKept, 0);
}

// ---- against the registry -----------------------------------------------------------------

using WideValues = std::map<std::wstring, std::pair<DWORD, std::vector<BYTE>>>;
using WideTree = std::map<std::wstring, WideValues>; // by path below HKEY_CURRENT_USER

void SnapWide(HKEY hKey, const std::wstring& path, WideTree& tree)
{
    WideValues& values = tree[path];
    std::vector<wchar_t> name(16384);
    std::vector<BYTE> data(1 << 16);
    DWORD cch = 0, cb = 0, dwType = 0;
    for (DWORD i = 0; cch = static_cast<DWORD>(name.size()), cb = static_cast<DWORD>(data.size()),
               ::RegEnumValueW(hKey, i, name.data(), &cch, nullptr, &dwType, data.data(), &cb) == ERROR_SUCCESS;
         ++i)
        values[std::wstring(name.data(), cch)] = {dwType, std::vector<BYTE>(data.begin(), data.begin() + cb)};
    for (DWORD i = 0; cch = static_cast<DWORD>(name.size()),
               ::RegEnumKeyExW(hKey, i, name.data(), &cch, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i)
    {
        const std::wstring sub(name.data(), cch);
        UniqueHkey subKey;
        if (::RegOpenKeyExW(hKey, sub.c_str(), 0, KEY_READ, subKey.put()) == ERROR_SUCCESS)
            SnapWide(subKey.get(), path + L"\\" + sub, tree);
    }
}

WideTree SnapWide(const std::wstring& path)
{
    WideTree tree;
    UniqueHkey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS)
        SnapWide(key.get(), path, tree);
    return tree;
}

void ExpectSameWideTree(const WideTree& actual, const WideTree& expected)
{
    for (const auto& [key, values] : expected)
    {
        SCOPED_TRACE(Utf8(key));
        ASSERT_TRUE(actual.count(key)) << "missing key";
        const WideValues& actualValues = actual.at(key);
        EXPECT_EQ(actualValues.size(), values.size());
        for (const auto& [name, value] : values)
        {
            SCOPED_TRACE("value \"" + Utf8(name) + "\"");
            ASSERT_TRUE(actualValues.count(name)) << "missing value";
            EXPECT_EQ(actualValues.at(name).first, value.first);
            EXPECT_EQ(actualValues.at(name).second, value.second);
        }
    }
    EXPECT_EQ(actual.size(), expected.size());
}

// Merges the file into the emptied key at path with the registry editor, then what we read of it
// with our own merge: both leave the same tree, which goes to *pMerged. False (nothing merged)
// when we read errors or operations outside that key.
bool ExpectImportedAsRead(const std::string& bytes, const std::wstring& path, WideTree* pMerged = nullptr)
{
    const RegFileContents contents = Parse(bytes);
    const auto outside = [&](const RegFileOperation& op) {
        return op.hRootKey != HKEY_CURRENT_USER ||
               (op.keyPath != path && op.keyPath.rfind(path + L"\\", 0) != 0);
    };
    if (contents.HasErrors() ||
        std::any_of(contents.operations.begin(), contents.operations.end(), outside))
        return false;
    ::SHDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
    const std::string fileName = TempFile("corvasin-parser.reg");
    if (FILE* pFile = std::fopen(fileName.c_str(), "wb"))
    {
        std::fwrite(bytes.data(), 1, bytes.size(), pFile);
        std::fclose(pFile);
    }
    EXPECT_EQ(ImportRegFile(fileName), 0u);
    ::DeleteFileA(fileName.c_str());
    const WideTree imported = SnapWide(path);
    ::SHDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
    EXPECT_EQ(ApplyImport(contents.operations), S_OK);
    ExpectSameWideTree(SnapWide(path), imported);
    ::SHDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
    if (pMerged)
        *pMerged = imported;
    return true;
}

class RegFileExport : public testing::Test
{
protected:
    ScratchKey scratch;
    const std::wstring path = AnsiToWide(scratch.path().c_str());

    void Set(const wchar_t* pszKey, const wchar_t* pszName, DWORD dwType, std::wstring_view bytes)
    {
        ASSERT_EQ(::RegSetKeyValueW(scratch.get(), pszKey, pszName, dwType, bytes.data(),
                                    static_cast<DWORD>(bytes.size() * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
    void SetBytes(const wchar_t* pszName, DWORD dwType, const std::string& bytes)
    {
        ASSERT_EQ(::RegSetKeyValueW(scratch.get(), nullptr, pszName, dwType, bytes.data(),
                                    static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
    }

    void FillMixedTypes()
    {
        using namespace std::string_literals;
        std::string binary(300, '\0');
        for (size_t i = 0; i < binary.size(); ++i)
            binary[i] = static_cast<char>(i * 7);
        Set(nullptr, nullptr, REG_SZ, L"the default\0"s);
        Set(nullptr, L"quote\"d \\name", REG_SZ, L"C:\\Temp\\\"q\"\0"s);
        Set(nullptr, L"lines", REG_SZ, L"one\r\ntwo\0"s);
        Set(nullptr, L"expand", REG_EXPAND_SZ, L"%SystemRoot%\\x\0"s);
        Set(nullptr, L"multi", REG_MULTI_SZ, L"a\0bb\0\0"s);
        SetBytes(L"binary", REG_BINARY, binary);
        SetBytes(L"empty", REG_BINARY, ""s);
        SetBytes(L"dword", REG_DWORD, "\xEF\xBE\xAD\xDE"s);
        SetBytes(L"qword", REG_QWORD, "\x01\x02\x03\x04\x05\x06\x07\x08"s);
        SetBytes(L"none", REG_NONE, "\x01\x02\x03"s);
        SetBytes(L"type 12345", 0x12345, binary.substr(0, 77));
        Set(L"Sub\\Deeper", L"deep", REG_SZ, L"d\0"s);
    }

    std::string Export(bool bUnicode)
    {
        CMemoryByteSink memory;
        CUtf16ByteSink utf16(memory);
        CByteSink& sink = bUnicode ? static_cast<CByteSink&>(utf16) : memory;
        CString keyName;
        EXPECT_TRUE(RegFileKeyName(HKEY_CURRENT_USER, scratch.path(), keyName));
        EXPECT_TRUE(bUnicode ? WriteUnicodeRegFileHeader(sink) : WriteRegFileHeader(sink));
        EXPECT_TRUE(CKeyTreeWriter(sink, bUnicode).Write(scratch.get(), keyName));
        return memory.Bytes();
    }

    // The export merged into the emptied key, by the registry editor and by our own merge of
    // what we read, gives back the registry's exact types and bytes.
    void ExpectExportReadsBack(bool bUnicode)
    {
        const WideTree before = SnapWide(path);
        const std::string file = Export(bUnicode);
        ASSERT_FALSE(Parse(file).HasErrors()) << Render(Parse(file));
        WideTree merged;
        EXPECT_TRUE(ExpectImportedAsRead(file, path, &merged));
        ExpectSameWideTree(merged, before);
    }
};

TEST_F(RegFileExport, TheAnsiFormReadsBackToTheRegistrysBytes)
{
    FillMixedTypes();
    ExpectExportReadsBack(false);
}

TEST_F(RegFileExport, TheUnicodeFormReadsBackToTheRegistrysBytes)
{
    using namespace std::string_literals;
    FillMixedTypes();
    Set(L"\x0416\x0436", L"\x0416", REG_SZ, L"\x0436\x4E2D\0"s);
    Set(nullptr, L"multi \x4E2D", REG_MULTI_SZ, L"\x4E2D\0\x0416\0\0"s);
    ExpectExportReadsBack(true);
}

// The table's readable files, and readable mutations of a file, merged by the registry editor
// and by our own merge: both leave the same, whatever a mutation made of the names, types and bytes.
TEST(RegFileParser, TheRegistryEditorImportsReadableFilesAsRead)
{
    const std::wstring path = AnsiToWide(c_szKeyPath);
    int cImported = 0;
    for (const FileRow& row : c_files)
    {
        SCOPED_TRACE(row.pszName);
        cImported += ExpectImportedAsRead(FileBytes(row), path);
    }
    EXPECT_GE(cImported, 8);
    CMutator mutator;
    cImported = 0;
    for (int i = 0; i < 4000 && cImported < kMutatedImports; ++i)
    {
        SCOPED_TRACE("mutation " + std::to_string(i));
        cImported += ExpectImportedAsRead(mutator.Mutated(i), path);
    }
    EXPECT_EQ(cImported, kMutatedImports);
}

} // namespace

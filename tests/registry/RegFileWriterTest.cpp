// The registration file writer into memory, byte for byte: value lines of every data form, the
// escapes and the wrapping of hexadecimal bytes, key and deletion lines of every root, and the
// bodies of normal and inverse exports of scratch keys.
#include "registry/FolderTestUtil.h"
#include "registry/ByteSink.h"
#include "registry/MemoryByteSink.h"
#include "registry/RegFileWriter.h"
#include "registry/RegistryAccess.h"

using namespace corvasin;
using namespace corvasin::test;

namespace
{
std::vector<BYTE> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

std::vector<BYTE> Counting(size_t n)
{
    std::vector<BYTE> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<BYTE>(i);
    return v;
}

struct ValueLineRow
{
    const char* pszName; // null: the unnamed value
    DWORD dwType;
    std::vector<BYTE> data;
    std::string expected;
};

class ValueLine : public ::testing::TestWithParam<ValueLineRow>
{
};

const std::string c_hex23 = "00,01,02,03,04,05,06,07,08,09,0A,0B,0C,0D,0E,0F,10,11,12,13,14,15,16";

const ValueLineRow c_valueLines[] = {
    {"say \"hi\"\\", REG_SZ, Bytes(std::string("a \"q\" \\", 8)),
     "\"say \\\"hi\\\"\\\\\"=\"a \\\"q\\\" \\\\\"\r\n"},
    {nullptr, REG_SZ, Bytes(std::string("x", 2)), "@=\"x\"\r\n"},
    {"", REG_DWORD, {0xFF, 0, 0, 0}, "@=dword:000000FF\r\n"},
    {"D", REG_DWORD, {0x78, 0x56, 0x34, 0x12}, "\"D\"=dword:12345678\r\n"},
    {"E", REG_EXPAND_SZ, Bytes(std::string("%P%", 4)), "\"E\"=hex(2):25,50,25,00\r\n"},
    {"M", REG_MULTI_SZ, Bytes(std::string("a\0b\0", 5)), "\"M\"=hex(7):61,00,62,00,00\r\n"},
    {"Q", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 0xAB}, "\"Q\"=hex(b):01,02,03,04,05,06,07,AB\r\n"},
    // Type codes are hexadecimal: a decimal 17 would read back as type 0x17.
    {"T", 17, {1}, "\"T\"=hex(11):01\r\n"},
    {"T", 0x8000ABCD, {}, "\"T\"=hex(8000abcd):\r\n"},
    {"B", REG_BINARY, {}, "\"B\"=hex:\r\n"},
    {"N", REG_NONE, {}, "\"N\"=hex(0):\r\n"},
    // Strings go in their byte form whenever the string form would not give the bytes back.
    {"S", REG_SZ, {}, "\"S\"=hex(1):\r\n"},
    {"S", REG_SZ, Bytes("ab"), "\"S\"=hex(1):61,62\r\n"},
    {"S", REG_SZ, Bytes(std::string("a\r\nb", 5)), "\"S\"=hex(1):61,0D,0A,62,00\r\n"},
    {"S", REG_SZ, Bytes(std::string("a\0b", 4)), "\"S\"=hex(1):61,00,62,00\r\n"},
    {"D", REG_DWORD, {1, 2, 3}, "\"D\"=hex(4):01,02,03\r\n"},
    {"D", REG_DWORD_BIG_ENDIAN, {0, 0, 0, 1}, "\"D\"=hex(5):00,00,00,01\r\n"},
    // The count starts at 4 ("A" and "="), 8 after "hex:", and passes 76 with the 23rd byte.
    {"A", REG_BINARY, Counting(23), "\"A\"=hex:" + c_hex23 + "\r\n"},
    {"A", REG_BINARY, Counting(24), "\"A\"=hex:" + c_hex23 + ",\\\r\n  17\r\n"},
    {"A", REG_BINARY, Counting(30), "\"A\"=hex:" + c_hex23 + ",\\\r\n  17,18,19,1A,1B,1C,1D\r\n"},
    // Continuation lines start at 2 and so hold 25 bytes.
    {"A", REG_BINARY, Counting(60),
     "\"A\"=hex:" + c_hex23 +
         ",\\\r\n  17,18,19,1A,1B,1C,1D,1E,1F,20,21,22,23,24,25,26,27,28,29,2A,2B,2C,2D,2E,2F,"
         "\\\r\n  30,31,32,33,34,35,36,37,38,39,3A,3B\r\n"},
    // "hex(2):" is three longer than "hex:": the first line holds 22 bytes.
    {"E", REG_EXPAND_SZ, Counting(23),
     "\"E\"=hex(2):00,01,02,03,04,05,06,07,08,09,0A,0B,0C,0D,0E,0F,10,11,12,13,14,15,\\\r\n  16\r\n"},
    // The escaped name counts: "a\"b" is 6 characters, 7 with "=", 11 with "hex:".
    {"a\"b", REG_BINARY, Counting(23),
     "\"a\\\"b\"=hex:00,01,02,03,04,05,06,07,08,09,0A,0B,0C,0D,0E,0F,10,11,12,13,14,15,\\\r\n  16\r\n"},
};

TEST_P(ValueLine, IsWrittenByteForByte)
{
    const ValueLineRow& row = GetParam();
    CString line = "kept";
    AppendValueLine(line, row.pszName, row.dwType, row.data.data(), static_cast<DWORD>(row.data.size()));
    EXPECT_EQ(line, "kept" + row.expected);
}

INSTANTIATE_TEST_SUITE_P(Forms, ValueLine, ::testing::ValuesIn(c_valueLines));

TEST(RegFileWriter, HeaderIsTheFormatWordAndTwoComments)
{
    CMemoryByteSink sink;
    ASSERT_TRUE(WriteRegFileHeader(sink));
    EXPECT_EQ(sink.Bytes(),
              "REGEDIT4\r\n\r\n;Generated with Corvasin\r\n;https://corvasin.example/\r\n\r\n");
}

TEST(RegFileWriter, KeyLinesNameEveryRootThatFilesCanName)
{
    // Null: a root that files cannot name.
    const std::pair<HKEY, const char*> rows[] = {
        {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"}, {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
        {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},   {HKEY_USERS, "HKEY_USERS"},
        {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG"}, {HKEY_PERFORMANCE_DATA, nullptr}, {HKEY_DYN_DATA, nullptr},
    };
    for (const auto& [hRoot, pszRoot] : rows)
    {
        const std::string key = pszRoot ? std::string(pszRoot) + "\\Software\\X]\r\n" : "";
        SCOPED_TRACE(key);
        auto folder = CmdTargetPtr<CRegkeyExtension>::Attach(
            new CRegkeyExtension(nullptr, hRoot, "Software\\X", &RegistryServices()));
        CMemoryByteSink line, deletion, body;
        EXPECT_TRUE(WriteKeyLine(*folder, line));
        EXPECT_TRUE(WriteDeleteKeyLine(*folder, deletion));
        EXPECT_EQ(line.Bytes(), pszRoot ? "[" + key : "");
        EXPECT_EQ(deletion.Bytes(), pszRoot ? "[-" + key : "");
        // Nothing at all goes out for keys that files cannot name.
        if (!pszRoot)
        {
            EXPECT_TRUE(WriteExportBody(*folder, 0, nullptr, false, body));
            EXPECT_TRUE(WriteExportBody(*folder, 0, nullptr, true, body));
            EXPECT_EQ(body.Bytes(), "");
        }
    }
    // A predefined key is its full name with an empty path, and is never deleted.
    auto hkcu = CmdTargetPtr<CRegkeyExtension>::Attach(
        new CRegkeyExtension(nullptr, HKEY_CURRENT_USER, "", &RegistryServices()));
    CMemoryByteSink line, deletion;
    WriteKeyLine(*hkcu, line);
    WriteDeleteKeyLine(*hkcu, deletion);
    EXPECT_EQ(line.Bytes(), "[HKEY_CURRENT_USER\\]\r\n");
    EXPECT_EQ(deletion.Bytes(), "");
}

// ---- bodies of exports of a scratch key ------------------------------------------------------

class ExportBody : public ScratchFolder
{
protected:
    std::string KeyName(const std::string& sub = {}) const
    {
        return "HKEY_CURRENT_USER\\" + scratch.path() + (sub.empty() ? "" : "\\" + sub);
    }
    // Each export through a new folder, as each Export command makes one.
    std::string Export(UINT cidl, LPCITEMIDLIST* apidl, bool bInverse)
    {
        CMemoryByteSink sink;
        EXPECT_TRUE(WriteExportBody(*KeyObject(KeyFolder(scratch.path()).get()), cidl, apidl, bInverse, sink));
        return sink.Bytes();
    }
};

TEST_F(ExportBody, WholeKeyIsItsBlockThenItsSubkeysDepthFirst)
{
    scratch.SetString("Name", "C:\\Temp");
    scratch.SetString(nullptr, "unnamed");
    scratch.CreateSubkey("B\\Deep");
    scratch.CreateSubkey("A");
    const DWORD dw = 255;
    ::RegSetKeyValueA(scratch.get(), "A", "Count", REG_DWORD, &dw, 4);
    // A value whose name does not fit a record is left out, as the listing leaves it out.
    scratch.SetString(std::string(kRegItemNameSize, 'n').c_str(), "too long");

    EXPECT_EQ(Export(0, nullptr, false),
              "[" + KeyName() + "]\r\n@=\"unnamed\"\r\n\"Name\"=\"C:\\\\Temp\"\r\n\r\n" +
              "[" + KeyName("A") + "]\r\n\"Count\"=dword:000000FF\r\n\r\n" +
              "[" + KeyName("B") + "]\r\n\r\n" +
              "[" + KeyName("B\\Deep") + "]\r\n\r\n");
    EXPECT_EQ(Export(0, nullptr, true), "[-" + KeyName() + "]\r\n");
}

TEST_F(ExportBody, SelectedItemsNormalAndInverse)
{
    scratch.SetString("V", "v");
    scratch.SetBinary("W", {1, 2});
    scratch.SetString(nullptr, "dv");
    scratch.CreateSubkey("K");
    UniquePidl v = ItemId(REGITEM_VALUE, "V", 0, REG_SZ);
    UniquePidl w = ItemId(REGITEM_VALUE, "W", 1, REG_BINARY);
    UniquePidl k = ItemId(REGITEM_KEY, "K");
    UniquePidl def = ItemId(REGITEM_DEFAULT, "(default)", 0, REG_SZ);
    UniquePidl gone = ItemId(REGITEM_VALUE, "Gone", 2, REG_SZ);

    LPCITEMIDLIST mixed[] = {k.get(), w.get(), v.get(), gone.get(), def.get()};
    EXPECT_EQ(Export(5, mixed, false),
              "[" + KeyName() + "]\r\n\"W\"=hex:01,02\r\n\"V\"=\"v\"\r\n@=\"dv\"\r\n\r\n" +
              "[" + KeyName("K") + "]\r\n\r\n");
    EXPECT_EQ(Export(5, mixed, true),
              "[" + KeyName() + "]\r\n\"W\"=-\r\n\"V\"=-\r\n\"Gone\"=-\r\n@=-\r\n\r\n[-" +
              KeyName("K") + "]\r\n");

    LPCITEMIDLIST keysOnly[] = {k.get()};
    EXPECT_EQ(Export(1, keysOnly, true), "\r\n[-" + KeyName("K") + "]\r\n");
    // A foreign id is no item of the folder.
    const BYTE foreign[] = {6, 0, 'x', 'y', 'z', 'w', 0, 0};
    LPCITEMIDLIST strange[] = {reinterpret_cast<LPCITEMIDLIST>(foreign), v.get()};
    EXPECT_EQ(Export(2, strange, false), "[" + KeyName() + "]\r\n\"V\"=\"v\"\r\n\r\n");
}

TEST_F(ExportBody, TheRegistryRootWritesNoLineOfItsOwn)
{
    ComPtr<IShellFolder2> psf = RootFolder();
    CRegkeyExtension* pRoot = KeyObject(psf.get());
    UniquePidl hkcu = ItemId(REGITEM_KEY, "HKEY_CURRENT_USER", 0x80000001);
    UniquePidl hkcc = ItemId(REGITEM_KEY, "HKEY_CURRENT_CONFIG", 0x80000005);
    UniquePidl hkpd = ItemId(REGITEM_KEY, "HKEY_PERFORMANCE_DATA", 0x80000004);
    UniquePidl hkdd = ItemId(REGITEM_KEY, "HKEY_DYN_DATA", 0x80000006);
    auto body = [&](UINT cidl, LPCITEMIDLIST* apidl, bool bInverse) {
        CMemoryByteSink sink;
        EXPECT_TRUE(WriteExportBody(*pRoot, cidl, apidl, bInverse, sink));
        return sink.Bytes();
    };

    LPCITEMIDLIST hidden[] = {hkpd.get(), hkdd.get()};
    EXPECT_EQ(body(2, hidden, false), "");
    LPCITEMIDLIST config[] = {hkcc.get()};
    const std::string normal = body(1, config, false);
    EXPECT_EQ(normal.rfind("[HKEY_CURRENT_CONFIG\\]\r\n", 0), 0u) << normal;
    EXPECT_EQ(normal.find("[]"), std::string::npos);
    // Predefined keys are never deleted.
    LPCITEMIDLIST user[] = {hkcu.get()};
    EXPECT_EQ(body(1, user, true), "\r\n");
    EXPECT_EQ(body(0, nullptr, true), "");
}

TEST_F(ExportBody, SubtreesReadSideBySideComeOutInDepthFirstOrder)
{
    // Enough text per subtree to travel in several pieces, and in all more than is read ahead.
    const std::vector<BYTE> big = Counting(400 * 1000);
    for (int i = 0; i < 10; ++i)
    {
        const std::string name = "K" + std::to_string(i);
        scratch.CreateSubkey(name + "\\Leaf");
        const DWORD cb = static_cast<DWORD>(big.size()) - i;
        ::RegSetKeyValueA(scratch.get(), name.c_str(), "big", REG_BINARY, big.data(), cb);
    }
    CRegkeyExtension* pFolder = Object();
    // Each subkey's tree on its own, one after the other, is what the whole tree must read.
    CMemoryByteSink expected;
    ASSERT_TRUE(WriteKeyLine(*pFolder, expected));
    expected.Write("\r\n", 2);
    for (int i = 0; i < 10; ++i)
    {
        const CmdTargetPtr<CRegkeyExtension> pSub =
            pFolder->GetKeySubFolder(MakeRegItem(REGITEM_KEY, 0, ("K" + std::to_string(i)).c_str()));
        ASSERT_TRUE(pSub);
        CMemoryByteSink one;
        ASSERT_TRUE(WriteKeyLine(*pSub, one));
        ASSERT_TRUE(WriteValueLine(*pSub, one, MakeRegItem(REGITEM_VALUE, 0, "big")));
        expected.Write(one.Bytes());
        expected.Write("\r\n[" + KeyName("K" + std::to_string(i) + "\\Leaf") + "]\r\n\r\n");
    }
    const std::string text = Export(0, nullptr, false);
    EXPECT_GT(text.size(), 10u * 1000 * 1000);
    EXPECT_TRUE(text == expected.Bytes()) << "sizes " << text.size() << " and " << expected.Bytes().size();

    // A sink that fails part of the way stops the walk, helpers included.
    struct CFullSink : CByteSink
    {
        size_t cbLeft = 3 * 1000 * 1000;
        bool Write(const void*, size_t cb) noexcept override
        {
            if (cb > cbLeft)
                return false;
            cbLeft -= cb;
            return true;
        }
    } full;
    EXPECT_FALSE(WriteKeyTree(*pFolder, full));
}

TEST_F(ExportBody, ATreeDeeperThanTheLimitIsCutAtTheLimit)
{
    UniqueHkey hKey;
    ::RegOpenKeyExA(scratch.get(), nullptr, 0, KEY_ALL_ACCESS, hKey.put());
    for (unsigned i = 0; i < kMaxKeyDepth + 3; ++i)
    {
        UniqueHkey hSub;
        ASSERT_EQ(::RegCreateKeyExA(hKey.get(), "k", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, hSub.put(), nullptr),
                  ERROR_SUCCESS);
        hKey = std::move(hSub);
    }
    hKey.reset();
    const std::string text = Export(0, nullptr, false);
    size_t cLines = 0;
    for (size_t pos = text.find("\r\n["); pos != std::string::npos; pos = text.find("\r\n[", pos + 1))
        ++cLines;
    // The start and kMaxKeyDepth levels below it.
    EXPECT_EQ(cLines + 1, kMaxKeyDepth + 1);
}

} // namespace

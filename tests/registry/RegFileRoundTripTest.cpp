// Exported files read back by the system's own registry editor ("regedit.exe /s" in the test
// prefix): a normal file recreates every value with its type and bytes, an inverse file deletes
// exactly the exported items.
#include "registry/FileByteSink.h"
#include "registry/FolderTestUtil.h"
#include "registry/RegFileWriter.h"
#include "registry/RegistryTree.h"
#include "support/RegistrySnapshot.h"
#include "support/ScratchKey.h"

#include <map>

using namespace corvasin;
using namespace corvasin::test;

namespace
{

class RoundTrip : public ScratchFolder
{
protected:
    const std::string file = TempFile("corvasin-roundtrip.reg");

    ~RoundTrip() override { ::DeleteFileA(file.c_str()); }

    void Set(const char* pszKey, const char* pszName, DWORD dwType, const std::string& data)
    {
        // The subkey is made on the way when it is not there.
        ASSERT_EQ(
            ::RegSetKeyValueA(scratch.get(), pszKey, pszName, dwType, data.data(), static_cast<DWORD>(data.size())),
            ERROR_SUCCESS);
    }

    void WriteFile(UINT cidl, LPCITEMIDLIST* apidl, bool bInverse)
    {
        CFileByteSink sink;
        ASSERT_TRUE(sink.Create(file.c_str()));
        ASSERT_TRUE(WriteRegFileHeader(sink));
        ASSERT_TRUE(WriteExportBody(*KeyObject(KeyFolder(scratch.path()).get()), cidl, apidl, bInverse, sink));
        ASSERT_TRUE(sink.Close());
    }

    void FillEveryType()
    {
        using namespace std::string_literals;
        std::string binary(1000, '\0');
        for (size_t i = 0; i < binary.size(); ++i)
            binary[i] = static_cast<char>(i * 7);
        Set("", nullptr, REG_SZ, "the default\0"s);
        Set("", "sz", REG_SZ, "plain text\0"s);
        Set("", "sz empty", REG_SZ, ""s);
        Set("", "sz zero", REG_SZ, "\0"s);
        Set("", "quote\"d \\back\\slash\"", REG_SZ, "C:\\Temp\\\"quoted\" \\\0"s);
        Set("", "sz lines", REG_SZ, "one\r\ntwo\nthree\0"s);
        Set("", "sz unterminated", REG_SZ, "abc"s);
        Set("", "sz two zeros", REG_SZ, "abc\0\0"s);
        Set("", "expand", REG_EXPAND_SZ, "%SystemRoot%\\x\0"s);
        Set("", "expand empty", REG_EXPAND_SZ, ""s);
        Set("", "multi", REG_MULTI_SZ, "a\0bb\0ccc\0\0"s);
        Set("", "multi empty", REG_MULTI_SZ, ""s);
        Set("", "binary long", REG_BINARY, binary);
        Set("", "binary empty", REG_BINARY, ""s);
        // "A" of 23 bytes passes the wrap column with its last byte.
        Set("", "A", REG_BINARY, binary.substr(0, 23));
        Set("", "dword", REG_DWORD, "\xEF\xBE\xAD\xDE"s);
        Set("", "dword short", REG_DWORD, "\x01\x02"s);
        Set("", "dword big endian", REG_DWORD_BIG_ENDIAN, "\x00\x00\x01\x02"s);
        Set("", "qword", REG_QWORD, "\x01\x02\x03\x04\x05\x06\x07\x08"s);
        Set("", "none", REG_NONE, "\x01\x02\x03"s);
        Set("", "none empty", REG_NONE, ""s);
        Set("", "link", REG_LINK, "\\\0R\0"s);
        Set("", "resource list", REG_RESOURCE_LIST, binary.substr(0, 40));
        Set("", "full resource", REG_FULL_RESOURCE_DESCRIPTOR, binary.substr(0, 90));
        Set("", "requirements", REG_RESOURCE_REQUIREMENTS_LIST, binary.substr(0, 3));
        Set("", "type 17", 17, "\x11"s);
        Set("", "type 12345", 0x12345, binary.substr(0, 77));
        Set("Sub", nullptr, REG_BINARY, "\x01"s);
        Set("Sub", "in sub", REG_SZ, "sub\0"s);
        Set("Sub\\Deeper", "deep", REG_DWORD, "\x05\x00\x00\x00"s);
        Set("Sub\\Empty\\Leaf", "leaf", REG_SZ, "\0"s);
        Set("key \"quoted\"", "q", REG_SZ, "q\0"s);
    }
};

TEST_F(RoundTrip, ANormalFileRecreatesEveryValueWithItsTypeAndBytes)
{
    FillEveryType();
    const Snapshot before = SnapKey(scratch.path());
    ASSERT_EQ(before.size(), 6u);
    ASSERT_GT(before.at("").size(), 25u);

    WriteFile(0, nullptr, false);
    ASSERT_TRUE(DeleteRegKeyTree(HKEY_CURRENT_USER, scratch.path().c_str()));
    ASSERT_TRUE(SnapKey(scratch.path()).empty());
    ASSERT_EQ(ImportRegFile(file), 0u);
    ExpectSameTree(SnapKey(scratch.path()), before);
}

TEST_F(RoundTrip, AnInverseFileDeletesExactlyTheExportedItems)
{
    FillEveryType();
    Snapshot expected = SnapKey(scratch.path());
    const UniquePidl ids[] = {ItemId(REGITEM_VALUE, "sz", 0, REG_SZ), ItemId(REGITEM_KEY, "Sub"),
                              ItemId(REGITEM_VALUE, "quote\"d \\back\\slash\"", 0, REG_SZ),
                              ItemId(REGITEM_DEFAULT, "(default)", 0, REG_SZ)};
    LPCITEMIDLIST items[] = {ids[0].get(), ids[1].get(), ids[2].get(), ids[3].get()};
    WriteFile(4, items, true);
    ASSERT_EQ(ImportRegFile(file), 0u);
    for (const char* pszName : {"sz", "quote\"d \\back\\slash\"", ""})
        expected[""].erase(pszName);
    for (const char* pszKey : {"Sub", "Sub\\Deeper", "Sub\\Empty", "Sub\\Empty\\Leaf"})
        expected.erase(pszKey);
    ExpectSameTree(SnapKey(scratch.path()), expected);

    // The inverse of the whole key takes the key with it.
    WriteFile(0, nullptr, true);
    ASSERT_EQ(ImportRegFile(file), 0u);
    EXPECT_TRUE(SnapKey(scratch.path()).empty());
}

} // namespace

// The key tree writer: the tree reader's walk turned into blocks of text. The reader's helper
// threads read ahead while this thread writes; the text comes out in the order of a one-thread
// depth-first walk whatever the threads do.
#include "registry/KeyTreeWriter.h"

#include "core/Result.h"
#include "registry/RegFileText.h"
#include "registry/RegItem.h"
#include "registry/RegistryAccess.h"
#include "registry/TreeReader.h"

#include <string>
#include <vector>

namespace corvasin
{

namespace
{
// Text is handed to the sink in pieces of about this size.
constexpr size_t kChunkSize = 64 * 1024;

// The name a file gives a key or value: the Unicode form writes real names (in UTF-8 for the
// UTF-16 sink), REGEDIT4 the code page's text of them, as an item record holds it. False when
// REGEDIT4 has no text for it: the name does not fit, and the entry is left out.
bool NameText(const std::wstring& name, bool bUnicode, CString& text)
{
    if (bUnicode)
    {
        text = ToUtf8(name);
        return true;
    }
    char szName[kRegItemNameSize];
    bool bLossy = false;
    if (!NameToItemText(name, szName, kRegItemNameSize, &bLossy))
        return false;
    text = szName;
    return true;
}

// The name of a subkey below the key named strKeyName; a predefined key's name already ends in "\".
void EnterSubkey(CString& strKeyName, const CString& name)
{
    if (strKeyName.empty() || strKeyName.back() != '\\')
        strKeyName += '\\';
    strKeyName += name;
}

// One value line; REGEDIT4 writes string data in the code page, as the ANSI calls read it.
void AppendValue(CString& line, const TreeEntry& value, bool bUnicode, std::vector<BYTE>& converted)
{
    const BYTE* pData = value.data.empty() ? nullptr : value.data.data();
    if (bUnicode)
    {
        AppendValueLineUnicode(line, value.name.c_str(), value.dwType, pData,
                               static_cast<DWORD>(value.data.size()));
        return;
    }
    CString name;
    if (!NameText(value.name, false, name))
        return;
    bool bLossy = false;
    if (StringDataToCodePage(value.dwType, value.data, converted, &bLossy))
        AppendValueLine(line, name.c_str(), value.dwType, converted.empty() ? nullptr : converted.data(),
                        static_cast<DWORD>(converted.size()));
    else
        AppendValueLine(line, name.c_str(), value.dwType, pData, static_cast<DWORD>(value.data.size()));
}
} // namespace

bool CKeyTreeWriter::Write(HKEY hKey, const CString& strKeyName) noexcept
{
    try
    {
        TreeReaderOptions options;
        // Subkeys open as far as their rights allow: a key whose values cannot be read still
        // has its block and its subkeys.
        options.samSubkeys = MAXIMUM_ALLOWED;
        CTreeReader reader(hKey, options);
        CString name = strKeyName;
        std::vector<size_t> parentLengths; // the name's length above each key of the walk
        CString line;
        CString part;
        std::vector<BYTE> converted;
        bool bInBlock = false; // a key's line is written and its empty line is not yet
        const TreeEntry* pEntry = nullptr;
        while (reader.Next(&pEntry) == CTreeReader::Result::Entry)
        {
            const TreeEntry& entry = *pEntry;
            switch (entry.kind)
            {
            case TreeEntry::KeyStart:
                // A key's block ends where its first subkey's begins.
                if (bInBlock)
                    line += c_szRegFileLineEnd;
                bInBlock = false;
                if (entry.nDepth > 0 && !NameText(entry.name, m_bUnicode, part))
                {
                    reader.SkipSubtree();
                    break;
                }
                parentLengths.push_back(name.size());
                if (entry.nDepth > 0)
                    EnterSubkey(name, part);
                AppendKeyLine(line, name);
                bInBlock = true;
                break;
            case TreeEntry::Value:
                AppendValue(line, entry, m_bUnicode, converted);
                break;
            case TreeEntry::KeyEnd:
                if (bInBlock)
                    line += c_szRegFileLineEnd;
                bInBlock = false;
                if (!parentLengths.empty())
                {
                    name.resize(parentLengths.back());
                    parentLengths.pop_back();
                }
                break;
            }
            if (line.size() >= kChunkSize)
            {
                if (!m_file.Write(line))
                    return false;
                line.clear();
            }
        }
        if (reader.Failed())
            return false;
        return line.empty() || m_file.Write(line);
    }
    CATCH_RETURN(false)
}

} // namespace corvasin

// The registration file grammar: the header, key lines, value lines with every data form, hex
// data continued over lines, comments. The rules follow the registry editor's import line by
// line; where it skips a line in silence, reads a text in more than one way, or stores bytes
// it did not read, the line is an error here.
#include "registry/RegFileParser.h"

#include "registry/PredefinedKeys.h"
#include "registry/RegFileLines.h"
#include "registry/RegistryAccess.h"

#include <climits>
#include <cstring>
#include <string_view>

namespace corvasin
{

namespace
{
constexpr std::wstring_view c_szAnsiHeader = L"REGEDIT4";
constexpr std::wstring_view c_szUnicodeHeader = L"Windows Registry Editor Version 5.00";

// The registry editor skips blanks and tabs only; other white space is text.
bool IsBlank(wchar_t ch) noexcept { return ch == L' ' || ch == L'\t'; }

int HexValue(wchar_t ch) noexcept
{
    if (ch >= L'0' && ch <= L'9')
        return ch - L'0';
    if (ch >= L'a' && ch <= L'f')
        return ch - L'a' + 10;
    if (ch >= L'A' && ch <= L'F')
        return ch - L'A' + 10;
    return -1;
}

size_t SkipBlanks(std::wstring_view s, size_t i) noexcept
{
    while (i < s.size() && IsBlank(s[i]))
        ++i;
    return i;
}

// Nothing but blanks from i on, or blanks and then a comment.
bool RestIsComment(std::wstring_view s, size_t i) noexcept
{
    i = SkipBlanks(s, i);
    return i == s.size() || s[i] == L';';
}

std::wstring_view TrimTrailingBlanks(std::wstring_view s) noexcept
{
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool EqualsAsciiNoCase(std::wstring_view text, const char* pszAscii) noexcept
{
    const size_t cch = std::strlen(pszAscii);
    if (text.size() != cch)
        return false;
    for (size_t i = 0; i < cch; ++i)
    {
        wchar_t ch = text[i];
        char chAscii = pszAscii[i];
        if (ch >= L'a' && ch <= L'z')
            ch = static_cast<wchar_t>(ch - L'a' + L'A');
        if (chAscii >= 'a' && chAscii <= 'z')
            chAscii = static_cast<char>(chAscii - 'a' + 'A');
        if (ch != static_cast<unsigned char>(chAscii))
            return false;
    }
    return true;
}

bool IsStringType(DWORD dwType) noexcept
{
    return dwType == REG_SZ || dwType == REG_EXPAND_SZ || dwType == REG_MULTI_SZ;
}

// The text between double quotes from just behind the opening one; i ends behind the closing
// one. The escapes the registry editor reads: \\ \" \n \r. It reads "\0" as the end of the
// line (and loses the next one) and any other as the character alone, with a warning.
const char* ReadQuoted(std::wstring_view s, size_t& i, std::wstring& text)
{
    text.clear();
    while (i < s.size())
    {
        const wchar_t ch = s[i++];
        if (ch == L'"')
            return nullptr;
        if (ch != L'\\')
        {
            text += ch;
            continue;
        }
        if (i == s.size())
            break;
        switch (s[i++])
        {
        case L'\\':
            text += L'\\';
            break;
        case L'"':
            text += L'"';
            break;
        case L'n':
            text += L'\n';
            break;
        case L'r':
            text += L'\r';
            break;
        default:
            return "unknown escape sequence (only \\\\, \\\", \\n and \\r are read)";
        }
    }
    return "no closing double quote";
}

// How one line's stretch of a hex list ended.
enum class HexEnd
{
    Done,
    Continued, // a backslash: the list goes on in the next line
};

// Appends the bytes of one line's stretch of a hex list ("01,ab,..."). The registry editor takes
// blanks before a byte, blanks and a comment after the last one, and a backslash after a comma
// (or alone) to continue; a byte is one or two hexadecimal digits here (it also takes more
// digits, signs and "0x", which our writer never makes).
const char* ReadHexBytes(std::wstring_view s, std::vector<BYTE>& data, HexEnd& end)
{
    end = HexEnd::Done;
    size_t i = 0;
    for (;;)
    {
        // A comma just read (or the start): a byte, the continuation, a comment or the end.
        if (i == s.size())
            return nullptr;
        i = SkipBlanks(s, i);
        if (i < s.size() && HexValue(s[i]) >= 0)
        {
            int nByte = HexValue(s[i++]);
            if (i < s.size() && HexValue(s[i]) >= 0)
                nByte = nByte * 16 + HexValue(s[i++]);
            if (i < s.size() && HexValue(s[i]) >= 0)
                return "a byte has more than two hexadecimal digits";
            data.push_back(static_cast<BYTE>(nByte));
            if (i < s.size() && s[i] == L',')
            {
                ++i;
                continue;
            }
            return RestIsComment(s, i) ? nullptr : "a byte is not followed by a comma";
        }
        if (i < s.size() && s[i] == L'\\')
        {
            end = HexEnd::Continued;
            return RestIsComment(s, i + 1) ? nullptr : "text after the continuation backslash";
        }
        if (i < s.size() && s[i] == L';')
            return nullptr;
        // The registry editor drops a value whose last comma is followed by blanks alone,
        // except in its first line, whose end it trims first (done by the caller).
        return i == s.size() ? "blanks after the last comma" : "not a hexadecimal byte";
    }
}

class CParser
{
public:
    explicit CParser(RegFileContents& contents) noexcept : m_contents(contents) {}

    void Run(const BYTE* pData, size_t cb);

private:
    enum class KeyState
    {
        None, // no key line yet
        Open, // values go to m_key
        Deleted, // the last key line deleted a tree: values have no key
        Bad, // the last key line was an error, already reported
    };

    void Error(const char* pszMessage);
    bool Header(const std::wstring& line, RegFileEncoding encoding);
    void Line(std::wstring_view line);
    void KeyLine(std::wstring_view line, size_t i);
    const char* ReadKeyName(std::wstring_view name, HKEY& hRoot, std::wstring& path);
    void ValueLine(std::wstring_view line, size_t i);
    const char* ReadData(std::wstring_view data, RegFileOperation& op);
    void ContinueHex(std::wstring_view line);
    void FinishHex();
    const char* FinishStringBytes(RegFileOperation& op) const;

    RegFileContents& m_contents;
    const std::wstring* m_pLine = nullptr; // the line being read, quoted by errors
    UINT m_nLine = 0;
    bool m_bStop = false;

    KeyState m_keyState = KeyState::None;
    HKEY m_hRoot = nullptr;
    std::wstring m_keyPath;

    // A hex list that continues in the next line, and its value.
    bool m_bContinued = false;
    RegFileOperation m_continued;
};

void CParser::Error(const char* pszMessage)
{
    if (m_bStop)
        return;
    RegFileError error;
    error.nLine = m_nLine;
    if (m_contents.errors.size() + 1 >= kMaxRegFileErrors)
    {
        error.message = "too many errors: the rest of the file was not read";
        m_bStop = true;
    }
    else
    {
        error.message = pszMessage;
        if (m_pLine)
            error.text = m_pLine->substr(0, kMaxRegFileErrorText);
    }
    m_contents.errors.push_back(std::move(error));
}

void CParser::Run(const BYTE* pData, size_t cb)
{
    if (cb > kMaxRegFileBytes)
    {
        Error("the file is larger than 64 MiB");
        return;
    }
    CRegFileLines lines(pData, cb);
    m_contents.bUnicode = lines.Encoding() == RegFileEncoding::Utf16Le;
    std::wstring line;
    bool bHeader = true;
    while (!m_bStop && lines.Next(line))
    {
        m_nLine = lines.LineNumber();
        m_pLine = &line;
        if (lines.EndedInLoneCr())
            Error("a carriage return without a line feed");
        if (lines.HoldsZero())
        {
            // The registry editor cuts such a line short; its end is lost.
            Error("the line holds a zero character");
            m_bContinued = false;
            continue;
        }
        if (bHeader)
        {
            bHeader = false;
            if (!Header(line, lines.Encoding()))
                return;
            continue;
        }
        if (m_bContinued)
            ContinueHex(line);
        else
            Line(line);
    }
    m_pLine = nullptr;
    if (m_bStop)
        return;
    if (bHeader)
    {
        switch (lines.Encoding())
        {
        case RegFileEncoding::Utf8:
            Error("UTF-8 files are not read: save it as UTF-16 (Unicode) or ANSI");
            break;
        case RegFileEncoding::Utf16Be:
            Error("big-endian UTF-16 files are not read");
            break;
        default:
            Error("the file is empty");
            break;
        }
        return;
    }
    if (m_bContinued)
    {
        // The registry editor stores what it has read so far: the file may have been cut.
        Error("the file ends inside hex data continued with a backslash");
        m_bContinued = false;
    }
    if (lines.HasStrayByte())
    {
        m_nLine = 0;
        Error("the UTF-16 file has an odd number of bytes");
    }
}

bool CParser::Header(const std::wstring& line, RegFileEncoding encoding)
{
    const std::wstring_view header = std::wstring_view(line).substr(SkipBlanks(line, 0));
    const bool bUnicode = encoding == RegFileEncoding::Utf16Le;
    if (header == (bUnicode ? c_szUnicodeHeader : c_szAnsiHeader))
        return true;
    // The registry editor goes by the byte order mark alone; other editors by the header. Files
    // whose two disagree have hex string data that editors store differently.
    if (header == (bUnicode ? c_szAnsiHeader : c_szUnicodeHeader))
        Error(bUnicode ? "a REGEDIT4 header in a UTF-16 file"
                       : "a Version 5.00 header in a file that is not UTF-16 with a byte order mark");
    else
        Error("not a registration file: the first line is neither REGEDIT4 nor "
              "Windows Registry Editor Version 5.00");
    return false;
}

void CParser::Line(std::wstring_view line)
{
    const size_t i = SkipBlanks(line, 0);
    if (i == line.size() || line[i] == L';')
        return;
    if (line[i] == L'[')
        KeyLine(line, i + 1);
    else if (line[i] == L'@' || line[i] == L'"')
        ValueLine(line, i);
    else
        Error("neither a key, a value nor a comment");
}

void CParser::KeyLine(std::wstring_view line, size_t i)
{
    // The registry editor takes the name up to the line's last "]" and ignores what follows.
    const size_t iClose = line.rfind(L']');
    const char* pszError = nullptr;
    if (iClose == std::wstring_view::npos || iClose < i)
        pszError = "no closing bracket";
    else if (SkipBlanks(line, iClose + 1) != line.size())
        pszError = "text after the closing bracket";
    else if (i < iClose && IsBlank(line[i]))
        pszError = "blank before the key name";
    if (pszError)
    {
        Error(pszError);
        m_keyState = KeyState::Bad;
        return;
    }

    std::wstring_view name = line.substr(i, iClose - i);
    const bool bDelete = !name.empty() && name.front() == L'-';
    if (bDelete)
        name.remove_prefix(1);
    HKEY hRoot = nullptr;
    std::wstring path;
    pszError = ReadKeyName(name, hRoot, path);
    if (!pszError && bDelete && path.empty())
        pszError = "a predefined key cannot be deleted";
    if (pszError)
    {
        Error(pszError);
        m_keyState = KeyState::Bad;
        return;
    }

    RegFileOperation op;
    op.kind = bDelete ? RegFileOperationKind::DeleteKeyTree : RegFileOperationKind::CreateKey;
    op.nLine = m_nLine;
    op.hRootKey = hRoot;
    op.keyPath = path;
    m_contents.operations.push_back(std::move(op));
    m_keyState = bDelete ? KeyState::Deleted : KeyState::Open;
    m_hRoot = hRoot;
    m_keyPath = std::move(path);
}

const char* CParser::ReadKeyName(std::wstring_view name, HKEY& hRoot, std::wstring& path)
{
    const size_t iSlash = name.find(L'\\');
    const std::wstring_view root = name.substr(0, iSlash);
    const PredefinedKey* pRoot = nullptr;
    bool bShortName = false;
    // Compared character by character: the system's comparison may ignore hyphens, and the
    // registry editor's does not.
    for (const PredefinedKey& key : AllPredefinedKeys())
    {
        if (EqualsAsciiNoCase(root, key.pszLongName))
            pRoot = &key;
        else if (key.pszShortName && EqualsAsciiNoCase(root, key.pszShortName))
            bShortName = true;
    }
    if (!pRoot)
        return bShortName ? "short root names (HKLM, HKCU...) are not read: write the full name"
                          : "the key name does not begin with a predefined key";
    if (!pRoot->bNamedInFiles)
        return "registration files cannot change this predefined key";
    hRoot = pRoot->hKey;
    path.clear();
    if (iSlash == std::wstring_view::npos)
        return nullptr;

    // Empty names (a doubled, leading or trailing backslash) are merged away by one editor and
    // refused by others.
    std::wstring_view rest = name.substr(iSlash + 1);
    for (;;)
    {
        const size_t iNext = rest.find(L'\\');
        const std::wstring_view component = rest.substr(0, iNext);
        if (component.empty())
            return "an empty key name in the path (a doubled or trailing backslash)";
        if (component.size() > kMaxKeyNameChars)
            return "a key name longer than 255 characters";
        if (iNext == std::wstring_view::npos)
            break;
        rest.remove_prefix(iNext + 1);
    }
    path.assign(name.substr(iSlash + 1));
    return nullptr;
}

void CParser::ValueLine(std::wstring_view line, size_t i)
{
    RegFileOperation op;
    op.nLine = m_nLine;
    if (line[i] == L'@')
    {
        ++i;
    }
    else
    {
        ++i;
        if (const char* pszError = ReadQuoted(line, i, op.valueName))
        {
            Error(pszError);
            return;
        }
        if (op.valueName.size() > kMaxValueNameChars)
        {
            Error("a value name longer than 16383 characters");
            return;
        }
    }
    i = SkipBlanks(line, i);
    if (i == line.size() || line[i] != L'=')
    {
        Error("no \"=\" after the value name");
        return;
    }
    i = SkipBlanks(line, i + 1);

    // Without an open key the value is not kept, but its data is still read: a continued hex
    // list must not be taken for lines of their own. A bad key line was reported already.
    if (m_keyState == KeyState::None)
        Error("a value before the first key line");
    else if (m_keyState == KeyState::Deleted)
        Error("a value below a key line that deletes its key");
    op.hRootKey = m_hRoot;
    op.keyPath = m_keyPath;

    // As the registry editor does, the data loses its trailing blanks first.
    if (const char* pszError = ReadData(TrimTrailingBlanks(line.substr(i)), op))
    {
        Error(pszError);
        return;
    }
    if (m_bContinued)
        m_continued = std::move(op);
    else if (m_keyState == KeyState::Open)
        m_contents.operations.push_back(std::move(op));
}

const char* CParser::ReadData(std::wstring_view data, RegFileOperation& op)
{
    auto startsWith = [&](std::wstring_view prefix) {
        if (data.substr(0, prefix.size()) != prefix)
            return false;
        data.remove_prefix(prefix.size());
        return true;
    };
    if (data.empty())
        return "no data after \"=\"";
    if (startsWith(L"-"))
    {
        op.kind = RegFileOperationKind::DeleteValue;
        return RestIsComment(data, 0) ? nullptr : "text after \"=-\"";
    }
    op.kind = RegFileOperationKind::SetValue;
    if (startsWith(L"\""))
    {
        size_t i = 0;
        std::wstring text;
        if (const char* pszError = ReadQuoted(data, i, text))
            return pszError;
        if (!RestIsComment(data, i))
            return "text after the closing double quote";
        op.dwType = REG_SZ;
        op.data.resize((text.size() + 1) * sizeof(wchar_t));
        std::memcpy(op.data.data(), text.c_str(), op.data.size());
        return nullptr;
    }
    if (startsWith(L"dword:"))
    {
        size_t i = SkipBlanks(data, 0);
        const size_t iDigits = i;
        DWORD dw = 0;
        while (i < data.size() && HexValue(data[i]) >= 0 && i - iDigits < 8)
            dw = dw * 16 + static_cast<DWORD>(HexValue(data[i++]));
        if (i == iDigits)
            return "no digits after \"dword:\"";
        if (i < data.size() && HexValue(data[i]) >= 0)
            return "more than eight digits after \"dword:\"";
        if (!RestIsComment(data, i))
            return "text after the dword";
        op.dwType = REG_DWORD;
        op.data.resize(sizeof(dw));
        std::memcpy(op.data.data(), &dw, sizeof(dw));
        return nullptr;
    }
    if (startsWith(L"hex:"))
    {
        op.dwType = REG_BINARY;
    }
    else if (startsWith(L"hex("))
    {
        // One to eight hexadecimal digits; the registry editor's reading of the number also
        // takes blanks, signs and numbers that do not fit.
        size_t i = 0;
        DWORD dwType = 0;
        while (i < data.size() && HexValue(data[i]) >= 0 && i < 8)
            dwType = dwType * 16 + static_cast<DWORD>(HexValue(data[i++]));
        if (i == 0 || i == data.size() || data.substr(i, 2) != L"):")
            return "the type in \"hex(...):\" is not one to eight hexadecimal digits";
        op.dwType = dwType;
        data.remove_prefix(i + 2);
    }
    else
    {
        return "unknown data type (only \"...\", dword:, hex: and hex(N): are read)";
    }
    // An empty list is an empty value of any type; the registry editor adds no terminator.
    if (data.empty())
        return nullptr;
    HexEnd end;
    if (const char* pszError = ReadHexBytes(data, op.data, end))
        return pszError;
    if (end == HexEnd::Continued)
    {
        m_bContinued = true;
        return nullptr;
    }
    return FinishStringBytes(op);
}

void CParser::ContinueHex(std::wstring_view line)
{
    // The registry editor would skip blank and comment lines here; a gap inside a value is more
    // likely a cut or a slip, and is refused.
    const size_t i = SkipBlanks(line, 0);
    const char* pszError = nullptr;
    HexEnd end = HexEnd::Done;
    if (i == line.size() || line[i] == L';')
        pszError = "a blank or comment line inside hex data continued with a backslash";
    else if (HexValue(line[i]) < 0)
        pszError = "the line after a continuation backslash does not go on with hex bytes";
    else
        pszError = ReadHexBytes(line.substr(i), m_continued.data, end);
    if (!pszError && end == HexEnd::Continued)
        return;
    m_bContinued = false;
    if (!pszError)
        pszError = FinishStringBytes(m_continued);
    if (pszError)
    {
        Error(pszError);
        return;
    }
    if (m_keyState == KeyState::Open)
        m_contents.operations.push_back(std::move(m_continued));
}

// Hex data of the string types becomes what the registry editor stores: one terminator added
// when the last character is not one, and in the REGEDIT4 form the bytes read as text of the
// ANSI code page and stored in UTF-16.
const char* CParser::FinishStringBytes(RegFileOperation& op) const
{
    if (!IsStringType(op.dwType))
        return nullptr;
    std::vector<BYTE>& data = op.data;
    // Both cases make the registry editor store bytes it never read.
    if (data.empty())
        return "string data in hex form with no bytes before the comment";
    if (m_contents.bUnicode)
    {
        if (data.size() % sizeof(wchar_t) != 0)
            return "string data in hex form with an odd number of bytes";
        if (data[data.size() - 1] != 0 || data[data.size() - 2] != 0)
            data.insert(data.end(), sizeof(wchar_t), 0);
        return nullptr;
    }
    if (data.back() != 0)
        data.push_back(0);
    if (data.size() > INT_MAX)
        return "string data too long";
    const auto* psz = reinterpret_cast<const char*>(data.data());
    const int cch = ::MultiByteToWideChar(CP_ACP, 0, psz, static_cast<int>(data.size()), nullptr, 0);
    if (cch <= 0)
        return "string data that the ANSI code page cannot read";
    std::vector<BYTE> wide(static_cast<size_t>(cch) * sizeof(wchar_t));
    ::MultiByteToWideChar(CP_ACP, 0, psz, static_cast<int>(data.size()),
                          reinterpret_cast<wchar_t*>(wide.data()), cch);
    data = std::move(wide);
    return nullptr;
}
} // namespace

HRESULT ParseRegFile(const void* pData, size_t cb, RegFileContents& contents) noexcept
{
    contents.bUnicode = false;
    contents.operations.clear();
    contents.errors.clear();
    contents.bIncomplete = false;
    if (!pData && cb != 0)
    {
        contents.bIncomplete = true;
        return E_INVALIDARG;
    }
    try
    {
        CParser(contents).Run(static_cast<const BYTE*>(pData), cb);
        return S_OK;
    }
    catch (...)
    {
        contents.bIncomplete = true;
        return E_OUTOFMEMORY;
    }
}

} // namespace corvasin

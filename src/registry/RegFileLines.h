// CRegFileLines: the bytes of a registration file cut into lines of wide text, the way the
// registry editor reads them: the encoding from the first bytes, UTF-16LE as it stands, every
// other file line by line through the ANSI code page.
#pragma once

#include <windows.h>
#include <cstddef>
#include <string>

namespace corvasin
{

enum class RegFileEncoding
{
    Ansi, // no byte order mark: the REGEDIT4 form
    Utf16Le, // FF FE: the Unicode form
    Utf16Be, // FE FF: read by no registry editor
    Utf8, // EF BB BF: read by no registry editor
};

// Reads from bytes that the caller keeps alive and unchanged meanwhile; one thread.
class CRegFileLines
{
public:
    CRegFileLines(const BYTE* pData, size_t cb) noexcept;

    RegFileEncoding Encoding() const noexcept { return m_encoding; }

    // The next line without its end; false when the bytes are used up. Only the two encodings
    // that registry editors read have lines. Throws std::bad_alloc.
    bool Next(std::wstring& line);

    // Of the line last returned: its 1-based number, whether it ended in a carriage return
    // without a line feed, and whether it holds a zero character (the registry editor would cut
    // the line there).
    UINT LineNumber() const noexcept { return m_nLine; }
    bool EndedInLoneCr() const noexcept { return m_bLoneCr; }
    bool HoldsZero() const noexcept { return m_bZero; }

    // A UTF-16 file whose length is odd: its last byte belongs to no character.
    bool HasStrayByte() const noexcept { return m_bStrayByte; }

private:
    wchar_t WideAt(size_t ib) const noexcept;

    const BYTE* m_pData;
    size_t m_cb; // without a stray last byte
    size_t m_ib = 0; // where the next line begins
    RegFileEncoding m_encoding = RegFileEncoding::Ansi;
    UINT m_nLine = 0;
    bool m_bLoneCr = false;
    bool m_bZero = false;
    bool m_bStrayByte = false;
};

} // namespace corvasin

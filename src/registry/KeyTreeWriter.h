// CKeyTreeWriter: writes the blocks of a key and of every key below it, depth first, into a byte
// sink, from the tree reader: helper threads read ahead (each registry call is a round trip to
// the registry's server, and calls in flight overlap) while the text still reaches the sink in
// the order of a one-thread depth-first walk.
#pragma once

#include "core/Strings.h"
#include "registry/ByteSink.h"

#include <windows.h>

namespace corvasin
{

// Used by the thread that calls Write; the reader's helper threads end before Write returns.
class CKeyTreeWriter
{
public:
    // bUnicode: the Unicode registration form, by real names and stored bytes, as UTF-8 text
    // for a sink that turns it into UTF-16 (CUtf16ByteSink).
    explicit CKeyTreeWriter(CByteSink& file, bool bUnicode = false) noexcept
        : m_file(file), m_bUnicode(bUnicode)
    {
    }

    // The tree of hKey, whose name in the file is strKeyName; a null key (one that could not be
    // opened) gives a block without values. False only when the sink failed (or memory ran out).
    bool Write(HKEY hKey, const CString& strKeyName) noexcept;

private:
    CByteSink& m_file;
    bool m_bUnicode;
};

} // namespace corvasin

// CSearchWalk: what a folder's SearchKey reports to and asks of the search that runs it. The
// criteria, the matching and the results window live with the search; the folders only walk
// the registry and say what they find.
//
// Used on the search thread only.
#pragma once

#include "core/Strings.h"

#include <windows.h>
#include <shlobj.h>

namespace corvasin
{

class CSearchWalk
{
public:
    virtual ~CSearchWalk() = default;

    // What is compared.
    virtual bool SearchKeyNames() const noexcept = 0;
    virtual bool SearchValueNames() const noexcept = 0;
    virtual bool SearchValueData() const noexcept = 0;

    // Serves the thread's waiting messages; true when the walk must stop (the window closed).
    virtual bool ServeAndCheckCancelled() noexcept = 0;
    // The key being searched, for the status line.
    virtual void SetStatusText(const CString& text) noexcept = 0;
    // A match; the list passes to the search.
    virtual void AddResult(LPITEMIDLIST pidlAbsolute) noexcept = 0;

    // Whether a name or a string matches the search text.
    virtual bool MatchesText(const char* pszText, size_t cchText) const noexcept = 0;
    // Whether binary data holds the search text.
    virtual bool MatchesBytes(const BYTE* pData, size_t cbData) const noexcept = 0;
};

} // namespace corvasin

// CSearchWalk: what a folder's SearchKey reports to and asks of the search that runs it. The
// criteria, the matching rules and the results window live with the search; the folders only
// walk the registry, read what the criteria need and say what they find.
//
// Used on the search thread only.
#pragma once

#include "core/Strings.h"

#include <windows.h>
#include <shlobj.h>
#include <string>

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
    // Whether data of this registry type is compared at all; the walk reads no other data.
    virtual bool SearchesDataOfType(DWORD dwType) const noexcept = 0;

    // Serves the thread's waiting messages; true when the walk must stop (the window closed).
    virtual bool ServeAndCheckCancelled() noexcept = 0;
    // The same answer without serving anything.
    virtual bool IsCancelled() const noexcept = 0;
    // The key being searched, for the status line.
    virtual void SetStatusText(const CString& text) noexcept = 0;
    // A match; the list passes to the search.
    virtual void AddResult(LPITEMIDLIST pidlAbsolute) noexcept = 0;
    // A match whose parent key the walk knows: its path below its predefined key by real names,
    // what the parent's folder would answer for it, without binding to that folder.
    virtual void AddResultBelow(LPITEMIDLIST pidlAbsolute, const std::wstring& parentRealPath) noexcept
    {
        (void)parentRealPath;
        AddResult(pidlAbsolute);
    }

    // Whether a key or value name (ends at its NUL) matches the search text.
    virtual bool MatchesName(const char* pszName) const noexcept = 0;
    // Whether a value's data, of the type given, matches; the data is exactly cbData bytes as
    // read and need not end in a NUL.
    virtual bool MatchesData(DWORD dwType, const BYTE* pData, size_t cbData) const noexcept = 0;
};

} // namespace corvasin

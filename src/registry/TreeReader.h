// CTreeReader: the tree of a key, read by helper threads ahead of its user and handed over in the
// order of a one-thread depth-first walk: a key, its values in enumeration order, the trees of
// its subkeys in enumeration order, the key's end. Names are the registry's real (wide) names and
// data the stored bytes. Every registry call is a round trip to the registry's server; calls of
// several threads in flight overlap there, so the helpers read what the user will ask for next.
#pragma once

#include "registry/RegistryAccess.h"

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace corvasin
{

// One step of the walk.
struct TreeEntry
{
    enum Kind : BYTE
    {
        KeyStart,
        Value,
        KeyEnd
    };
    Kind kind = KeyStart;
    // KeyStart and KeyEnd: false when the key could not be opened; no value and no subkey of it
    // follows its start then.
    bool bOpened = true;
    // The key's level below the start key (0); a value has its key's.
    unsigned nDepth = 0;
    // A key's index among its parent's subkeys, a value's among its key's values (0 for the start key).
    DWORD dwIndex = 0;
    DWORD dwType = REG_NONE;
    // Empty for the start key and for the unnamed value.
    std::wstring name;
    // A value's stored bytes (none when data was not asked for).
    std::vector<BYTE> data;
    // KeyStart and KeyEnd with bKeepKeys: the key, opened with samSubkeys (the start key: the
    // caller's), and open until Next is called after its end. Null when it could not be opened.
    HKEY hKey = nullptr;
};

struct TreeReaderOptions
{
    bool bValues = true;    // values are handed over
    bool bValueData = true; // with their data
    unsigned cHelpers = 4;  // calls in flight overlap on the server well beyond the cores' count
    // What the helpers may hold that the user has not taken yet, whatever the tree: past it they
    // wait, and only the key the user waits for is read on (in pieces the user takes as they come).
    size_t cbReadAhead = 4 * 1024 * 1024;
    // Keys this far below the start key are handed over without their subkeys.
    unsigned nMaxDepth = kMaxKeyDepth;
    // The rights subkeys are opened with.
    REGSAM samSubkeys = KEY_READ;
    // A key's subkey names are all read with its counts, before any subkey is handed over, so
    // that the user may delete the keys it has passed: subkeys are otherwise found by index, and
    // a deleted sibling would move the next one to its index.
    bool bNamesFirst = false;
    // Every key stays open until the user has passed its end, and its entries carry it: a user
    // that changes the keys it is handed (deletes them) needs no second open of each.
    bool bKeepKeys = false;
};

// Made, read and destroyed by one thread (Cancel may come from any). The helper threads start in
// the constructor and have ended, with every key they opened closed, when Next says End after a
// cancel, and always when the reader is destroyed. The start key is the caller's and stays open
// while the reader lives.
//
// A key that vanishes while the walk runs (its name or its key can no longer be read) is left out
// with its tree; a key that exists but cannot be opened is handed over as not opened. Key and value
// counts are taken when a key is read, as a one-thread walk takes them.
class CTreeReader
{
public:
    enum class Result
    {
        Entry,   // *ppEntry is the next step, valid until the next call
        Pending, // nothing arrived within the wait: the caller may serve its window and ask again
        End      // the walk is complete, was cancelled, or failed (Failed)
    };

    explicit CTreeReader(HKEY hStart, const TreeReaderOptions& options = {}) noexcept;
    ~CTreeReader();
    CTreeReader(const CTreeReader&) = delete;
    CTreeReader& operator=(const CTreeReader&) = delete;

    Result Next(const TreeEntry** ppEntry, DWORD dwWaitMs = INFINITE) noexcept;
    // Right after a key's start: nothing more of that key is handed over, not even its end.
    void SkipSubtree() noexcept;
    // Stops the helpers; Next says End from now on.
    void Cancel() noexcept;
    // Memory ran out (or no thread at all could be started): the walk handed over is incomplete.
    bool Failed() const noexcept;

    // The number of helper threads running now (for tests).
    unsigned RunningHelpers() const noexcept;

    struct State;

private:
    std::unique_ptr<State> m_p;
};

} // namespace corvasin

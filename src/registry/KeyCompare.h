// Comparing the trees of two keys: the keys and values one holds and the other does not, and
// the values whose type or data differ; and the registration file that turns the first tree
// into the second.
#pragma once

#include "core/Strings.h"
#include "registry/ByteSink.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

namespace corvasin
{

struct KeyDifference
{
    enum Kind : BYTE
    {
        KeyOnlyInFirst, // with its whole tree
        KeyOnlyInSecond,
        ValueOnlyInFirst,
        ValueOnlyInSecond,
        ValueDiffers, // type or data
    };
    Kind kind = KeyOnlyInFirst;
    // Below the compared keys, real names joined by "\"; empty for the compared keys themselves.
    std::wstring keyPath;
    // A value's real name; empty for the unnamed value.
    std::wstring valueName;
    DWORD dwFirstType = REG_NONE;
    DWORD dwSecondType = REG_NONE;
    std::vector<BYTE> firstData;
    std::vector<BYTE> secondData;

    bool IsValue() const noexcept { return kind >= ValueOnlyInFirst; }
};

struct KeyComparison
{
    // Depth first: a key's values (the second key's order, then those only the first has), then
    // its subkeys by name.
    std::vector<KeyDifference> differences;
    // False when the comparison stopped early (the limit, a cancel, no memory) or a key on
    // either side could not be read: the list then says less than the trees hold.
    bool bComplete = true;
};

// Compares the trees below two open keys (the keys' own names are not compared). Names compare
// without regard to case, as the registry compares them; data byte for byte. A key only one side
// has is one difference: its tree goes with it. At most cMaxDifferences are listed; *pbCancel is
// looked at between keys.
void CompareKeyTrees(HKEY hFirst, HKEY hSecond, KeyComparison& result, size_t cMaxDifferences = 100000,
                     const std::atomic<bool>* pbCancel = nullptr) noexcept;

// The body of a registration file in the Unicode form (UTF-8 text for a CUtf16ByteSink; the
// caller writes the header) that turns the first tree into the second: the first key's name in
// files is firstName, keys only the second has are written from hSecond with their trees, keys
// only the first has are deleted. False when the sink failed or memory ran out.
bool WriteDifferences(const KeyComparison& comparison, HKEY hSecond, const CString& firstName,
                      CByteSink& file) noexcept;

} // namespace corvasin

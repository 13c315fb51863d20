// What merging registration files would change, read from the registry as it is now; the
// backup that puts back everything the merge replaces or deletes; and the merge itself.
#pragma once

#include "registry/ByteSink.h"
#include "registry/RegFileParser.h"

#include <windows.h>

#include <string>
#include <vector>

namespace corvasin
{

struct ImportChange
{
    enum Kind : BYTE
    {
        AddKey,
        DeleteKey, // with its whole tree
        AddValue,
        ChangeValue,
        DeleteValue,
    };
    Kind kind = AddKey;
    const RegFileOperation* pOperation = nullptr; // the line that makes the change
    // What the value holds now (ChangeValue, DeleteValue).
    DWORD dwOldType = REG_NONE;
    std::vector<BYTE> oldData;
};

// The changes the operations make, in their order; operations that change nothing (a key that
// is there, a value set to what it holds, a value or key deleted that is not there) are left
// out. A key deleted earlier in the same files counts as empty afterwards. Reads only.
std::vector<ImportChange> PlanImport(const std::vector<RegFileOperation>& operations);

// The body of a registration file in the Unicode form (UTF-8 for a CUtf16ByteSink; the caller
// writes the header) that, merged after the operations ran, puts back the registry as it is now:
// keys the operations would create are deleted, trees they would delete come back, values get
// their old data back or go again. Written before the merge. False when the sink failed.
bool WriteImportBackup(const std::vector<RegFileOperation>& operations, CByteSink& file) noexcept;

// Runs the operations in order, as the registry editor merges a file. S_OK, or the first
// failure (the rest still run, as the editor goes on past a line it cannot write).
HRESULT ApplyImport(const std::vector<RegFileOperation>& operations) noexcept;

// The key's name in registration files ("HKEY_CURRENT_USER\Software"; the root alone for an
// empty path), in UTF-8.
CString ImportKeyName(HKEY hRoot, const std::wstring& keyPath);

} // namespace corvasin

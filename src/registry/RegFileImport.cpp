// The plan, the backup and the merge of registration file operations. Keys are opened by path
// below their predefined key, each time they are needed: files are merged rarely, and a path
// names one key whatever the operations did before.
#include "registry/RegFileImport.h"

#include "core/Handles.h"
#include "core/Result.h"
#include "registry/KeyTreeWriter.h"
#include "registry/RegFileText.h"
#include "registry/RegistryAccess.h"
#include "registry/RegistryTree.h"

#include <set>
#include <tuple>

namespace corvasin
{

namespace
{
using Kind = RegFileOperationKind;

bool SamePath(const std::wstring& a, const std::wstring& b) noexcept
{
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                  TRUE) == CSTR_EQUAL;
}

// Whether path is key or lies below it, below the same root.
bool IsSameOrBelow(HKEY hRoot, const std::wstring& path, HKEY hKeyRoot, const std::wstring& key) noexcept
{
    return hRoot == hKeyRoot && IsSameOrBelowRealPath(key, path);
}

UniqueHkey OpenKey(HKEY hRoot, const std::wstring& path, REGSAM sam = KEY_READ)
{
    UniqueHkey key;
    if (path.empty())
    {
        if (OpenRegKeyW(hRoot, nullptr, sam, key.put()) != ERROR_SUCCESS)
            key.reset();
        return key;
    }
    if (OpenRegKeyW(hRoot, path.c_str(), sam, key.put()) != ERROR_SUCCESS)
        key.reset();
    return key;
}

bool ReadValue(HKEY hRoot, const std::wstring& path, const std::wstring& name, DWORD* pdwType,
               std::vector<BYTE>& data)
{
    const UniqueHkey key = OpenKey(hRoot, path);
    return key && ReadTypedValueW(key.get(), name.empty() ? nullptr : name.c_str(), pdwType, data);
}

// The trees deleted so far by the operations, for what comes after them.
struct DeletedTrees
{
    std::vector<const RegFileOperation*> trees;

    bool Covers(HKEY hRoot, const std::wstring& path) const noexcept
    {
        for (const RegFileOperation* pTree : trees)
            if (IsSameOrBelow(hRoot, path, pTree->hRootKey, pTree->keyPath))
                return true;
        return false;
    }
};
} // namespace

CString ImportKeyName(HKEY hRoot, const std::wstring& keyPath)
{
    CString name;
    if (!RegFileKeyNameUnicode(hRoot, keyPath, name))
        return {};
    if (keyPath.empty() && !name.empty() && name.back() == '\\')
        name.pop_back();
    return name;
}

std::vector<ImportChange> PlanImport(const std::vector<RegFileOperation>& operations)
{
    std::vector<ImportChange> changes;
    DeletedTrees deleted;
    // Keys the plan has created (by the file), so that a second line naming one adds nothing.
    std::vector<std::pair<HKEY, std::wstring>> created;
    const auto keyExists = [&](HKEY hRoot, const std::wstring& path) {
        for (const auto& [hCreatedRoot, createdPath] : created)
            if (hCreatedRoot == hRoot && SamePath(createdPath, path))
                return true;
        return !deleted.Covers(hRoot, path) && OpenKey(hRoot, path);
    };
    for (const RegFileOperation& op : operations)
    {
        ImportChange change;
        change.pOperation = &op;
        switch (op.kind)
        {
        case Kind::CreateKey:
        case Kind::SetValue:
            if (!keyExists(op.hRootKey, op.keyPath))
            {
                change.kind = ImportChange::AddKey;
                changes.push_back(change);
                created.emplace_back(op.hRootKey, op.keyPath);
            }
            if (op.kind == Kind::CreateKey)
                continue;
            {
                const bool bNew = deleted.Covers(op.hRootKey, op.keyPath) ||
                                  !ReadValue(op.hRootKey, op.keyPath, op.valueName, &change.dwOldType, change.oldData);
                if (!bNew && change.dwOldType == op.dwType && change.oldData == op.data)
                    continue;
                change.kind = bNew ? ImportChange::AddValue : ImportChange::ChangeValue;
                changes.push_back(std::move(change));
            }
            continue;
        case Kind::DeleteValue:
            if (deleted.Covers(op.hRootKey, op.keyPath) ||
                !ReadValue(op.hRootKey, op.keyPath, op.valueName, &change.dwOldType, change.oldData))
                continue;
            change.kind = ImportChange::DeleteValue;
            changes.push_back(std::move(change));
            continue;
        case Kind::DeleteKeyTree:
            if (!op.keyPath.empty() && keyExists(op.hRootKey, op.keyPath))
            {
                change.kind = ImportChange::DeleteKey;
                changes.push_back(change);
            }
            deleted.trees.push_back(&op);
            std::erase_if(created, [&](const auto& key) {
                return IsSameOrBelow(key.first, key.second, op.hRootKey, op.keyPath);
            });
            continue;
        }
    }
    return changes;
}

bool WriteImportBackup(const std::vector<RegFileOperation>& operations, CByteSink& file) noexcept
{
    try
    {
        CString line;
        // First the keys the merge would bring into being: each deleted again, from the
        // topmost one that is not there now.
        std::set<std::pair<HKEY, std::wstring>> newKeys;
        for (const RegFileOperation& op : operations)
        {
            if (op.kind != Kind::CreateKey && op.kind != Kind::SetValue)
                continue;
            std::wstring top;
            for (size_t i = 0; i <= op.keyPath.size(); ++i)
            {
                if (i < op.keyPath.size() && op.keyPath[i] != L'\\')
                    continue;
                const std::wstring prefix = op.keyPath.substr(0, i);
                if (!prefix.empty() && !OpenKey(op.hRootKey, prefix))
                {
                    top = prefix;
                    break;
                }
            }
            if (!top.empty() && newKeys.emplace(op.hRootKey, top).second)
            {
                AppendKeyLine(line, ImportKeyName(op.hRootKey, top), true);
                line += c_szRegFileLineEnd;
            }
        }
        // Then each tree the merge would delete, as it is now.
        std::vector<const RegFileOperation*> trees;
        for (const RegFileOperation& op : operations)
        {
            if (op.kind != Kind::DeleteKeyTree || op.keyPath.empty())
                continue;
            const UniqueHkey key = OpenKey(op.hRootKey, op.keyPath);
            if (!key)
                continue;
            trees.push_back(&op);
            const CString name = ImportKeyName(op.hRootKey, op.keyPath);
            AppendKeyLine(line, name, true);
            line += c_szRegFileLineEnd;
            if (!file.Write(line) || !CKeyTreeWriter(file, true).Write(key.get(), name))
                return false;
            line.clear();
        }
        // Last the values the merge would set or delete, in keys that are there now and not in
        // a tree already put back whole: their data now, or their deletion.
        std::set<std::tuple<HKEY, std::wstring, std::wstring>> done;
        for (const RegFileOperation& op : operations)
        {
            if (op.kind != Kind::SetValue && op.kind != Kind::DeleteValue)
                continue;
            bool bInTree = false;
            for (const RegFileOperation* pTree : trees)
                bInTree = bInTree || IsSameOrBelow(op.hRootKey, op.keyPath, pTree->hRootKey, pTree->keyPath);
            const UniqueHkey key = OpenKey(op.hRootKey, op.keyPath);
            if (bInTree || !key || !done.emplace(op.hRootKey, op.keyPath, op.valueName).second)
                continue;
            AppendKeyLine(line, ImportKeyName(op.hRootKey, op.keyPath));
            const wchar_t* pszName = op.valueName.empty() ? nullptr : op.valueName.c_str();
            DWORD dwType = REG_NONE;
            std::vector<BYTE> data;
            if (ReadTypedValueW(key.get(), pszName, &dwType, data))
                AppendValueLineUnicode(line, pszName, dwType, data.empty() ? nullptr : data.data(),
                                       static_cast<DWORD>(data.size()));
            else
                AppendDeleteValueLineUnicode(line, pszName);
            line += c_szRegFileLineEnd;
        }
        return file.Write(line);
    }
    CATCH_RETURN(false)
}

HRESULT ApplyImport(const std::vector<RegFileOperation>& operations) noexcept
{
    HRESULT hrFirst = S_OK;
    const auto note = [&hrFirst](HRESULT hr) {
        if (FAILED(hr) && SUCCEEDED(hrFirst))
            hrFirst = hr;
    };
    try
    {
        for (const RegFileOperation& op : operations)
        {
            const wchar_t* pszName = op.valueName.empty() ? nullptr : op.valueName.c_str();
            switch (op.kind)
            {
            case Kind::CreateKey:
            case Kind::SetValue:
            {
                UniqueHkey key;
                const LONG rc = op.keyPath.empty()
                                    ? OpenRegKeyW(op.hRootKey, nullptr, KEY_SET_VALUE, key.put())
                                    : CreateRegKeyW(op.hRootKey, op.keyPath.c_str(), KEY_SET_VALUE, key.put());
                if (rc != ERROR_SUCCESS)
                {
                    note(HrFromWin32(rc));
                    break;
                }
                if (op.kind == Kind::SetValue)
                    note(WriteValueW(key.get(), pszName, op.dwType, op.data.empty() ? nullptr : op.data.data(),
                                     static_cast<DWORD>(op.data.size())));
                break;
            }
            case Kind::DeleteValue:
            {
                const UniqueHkey key = OpenKey(op.hRootKey, op.keyPath, KEY_SET_VALUE | KEY_QUERY_VALUE);
                if (key && ValueExistsW(key.get(), pszName))
                    note(DeleteValueW(key.get(), pszName));
                break;
            }
            case Kind::DeleteKeyTree:
                if (op.keyPath.empty() || !DeleteKeyTreeW(op.hRootKey, op.keyPath.c_str(), MissingKey::Deleted))
                    note(HrFromWin32(ERROR_ACCESS_DENIED));
                break;
            }
        }
        return hrFirst;
    }
    CATCH_RETURN(E_OUTOFMEMORY)
}

} // namespace corvasin

// The compare window's thread, the rows it lists and its "Export differences..." action.
#include "commands/CompareCommand.h"

#include "commands/ExportCommand.h"
#include "core/ComPtr.h"
#include "core/Handles.h"
#include "core/Result.h"
#include "core/WinThread.h"
#include "framework/ItemIdList.h"
#include "registry/ColumnText.h"
#include "registry/FileByteSink.h"
#include "registry/KeyCompare.h"
#include "registry/RegFileText.h"
#include "registry/RegItem.h"
#include "registry/RegistryAccess.h"
#include "registry/RegkeyExtension.h"
#include "registry/Utf16ByteSink.h"
#include "search/ChangeListDialog.h"

#include <memory>

namespace corvasin
{

namespace
{
// One side of the comparison: the key's own handle (the thread's), its place in the namespace,
// and its name in files and in the window.
struct CompareSide
{
    UniqueHkey key;
    UniquePidl pidl;
    HKEY hRoot = nullptr;
    std::wstring realPath;
    CString name;
};

// The absolute list of an entry below one side's key, by real names; empty when a name cannot
// be given as an item's text, or out of memory.
UniquePidl ItemListBelow(const CompareSide& side, const std::wstring& keyPath, const std::wstring* pValueName)
{
    UniquePidl pidl(::ILClone(side.pidl.get()));
    const auto append = [&pidl](const REGITEM& item) {
        const UniquePidl pidlItem(MakeItemIdList(&item, sizeof(item)));
        pidl.reset(pidl && pidlItem ? ::ILCombine(pidl.get(), pidlItem.get()) : nullptr);
    };
    size_t iStart = 0;
    while (pidl && iStart < keyPath.size())
    {
        size_t iEnd = keyPath.find(L'\\', iStart);
        if (iEnd == std::wstring::npos)
            iEnd = keyPath.size();
        REGITEM item = {};
        if (!MakeListedItem(REGITEM_KEY, 0, keyPath.substr(iStart, iEnd - iStart), 0, &item) || IsLossyItem(item))
            return UniquePidl();
        append(item);
        iStart = iEnd + 1;
    }
    if (pidl && pValueName)
    {
        REGITEM item = {};
        if (pValueName->empty())
            item = MakeRegItem(REGITEM_DEFAULT, 0, kDefaultItemName);
        else if (!MakeListedItem(REGITEM_VALUE, 0, *pValueName, 0, &item) || IsLossyItem(item))
            return UniquePidl();
        append(item);
    }
    return pidl;
}

int ImageOf(const KeyDifference& difference)
{
    if (!difference.IsValue())
        return ChangeRow::kKey;
    return ChangeRow::ValueImage(difference.kind == KeyDifference::ValueOnlyInFirst ? difference.dwFirstType
                                                                                    : difference.dwSecondType);
}

ChangeRow RowOf(const KeyDifference& difference, const CompareSide& first, const CompareSide& second)
{
    ChangeRow row;
    const bool bInFirst =
        difference.kind != KeyDifference::KeyOnlyInSecond && difference.kind != KeyDifference::ValueOnlyInSecond;
    row.pidl = ItemListBelow(bInFirst ? first : second, difference.keyPath,
                             difference.IsValue() ? &difference.valueName : nullptr);
    row.iImage = ImageOf(difference);
    if (difference.IsValue())
    {
        row.name = difference.valueName.empty() ? CString(kDefaultItemName) : WideToAnsi(difference.valueName.c_str());
        row.location = WideToAnsi(difference.keyPath.c_str());
    }
    else
    {
        const size_t iLast = difference.keyPath.rfind(L'\\');
        row.name = WideToAnsi(iLast == std::wstring::npos ? difference.keyPath.c_str()
                                                          : difference.keyPath.c_str() + iLast + 1);
        row.location = iLast == std::wstring::npos ? CString() : WideToAnsi(difference.keyPath.substr(0, iLast).c_str());
    }
    switch (difference.kind)
    {
    case KeyDifference::KeyOnlyInFirst:
    case KeyDifference::ValueOnlyInFirst:
        row.texts.push_back("Only in " + first.name);
        break;
    case KeyDifference::KeyOnlyInSecond:
    case KeyDifference::ValueOnlyInSecond:
        row.texts.push_back("Only in " + second.name);
        break;
    case KeyDifference::ValueDiffers:
        row.texts.push_back(difference.dwFirstType != difference.dwSecondType ? "Type differs" : "Data differs");
        break;
    }
    if (difference.IsValue())
    {
        row.texts.push_back(difference.kind == KeyDifference::ValueOnlyInSecond
                                ? CString()
                                : TypedValueText(difference.dwFirstType, difference.firstData));
        row.texts.push_back(difference.kind == KeyDifference::ValueOnlyInFirst
                                ? CString()
                                : TypedValueText(difference.dwSecondType, difference.secondData));
    }
    return row;
}

class CCompareThread : public CWinThread
{
public:
    CompareSide m_first;
    CompareSide m_second;

protected:
    BOOL InitInstance() noexcept override
    {
        const bool bOle = SUCCEEDED(::OleInitialize(nullptr));
        // The shell's process stays alive while the window is open (none outside a shell).
        ComPtr<IUnknown> pShellProcess;
        ::SHGetInstanceExplorer(pShellProcess.put());
        Show();
        pShellProcess.reset();
        if (bOle)
            ::OleUninitialize();
        return FALSE;
    }

private:
    void Show() noexcept
    {
        try
        {
            auto comparison = std::make_shared<KeyComparison>();
            const CString title = "Compare " + m_first.name + " with " + m_second.name;
            const std::vector<ChangeColumn> columns = {
                {"Name", 160}, {"Key", 200}, {"Difference", 130}, {m_first.name.c_str(), 220}, {m_second.name.c_str(), 220}};
            CChangeListDialog dialog(
                title, columns, "Export differences...", "Close",
                [this, comparison](const std::atomic<bool>& cancelled) {
                    CompareKeyTrees(m_first.key.get(), m_second.key.get(), *comparison, 100000, &cancelled);
                    ChangeList list;
                    list.rows.reserve(comparison->differences.size());
                    for (const KeyDifference& difference : comparison->differences)
                    {
                        if (cancelled)
                            break;
                        list.rows.push_back(RowOf(difference, m_first, m_second));
                    }
                    list.status = comparison->differences.empty() ? CString("The keys hold the same.")
                                                                  : std::to_string(comparison->differences.size()) +
                                                                        " differences.";
                    if (!comparison->bComplete)
                        list.status += " Not everything could be compared: the list is incomplete.";
                    list.bCanAccept = !comparison->differences.empty();
                    return list;
                },
                [this, comparison](HWND hwndOwner) { return ExportDifferences(*comparison, hwndOwner); });
            dialog.DoModal(nullptr);
        }
        catch (...)
        {
        }
    }

    // The file that turns the first key's tree into the second's; the window stays open.
    bool ExportDifferences(const KeyComparison& comparison, HWND hwndOwner) noexcept
    {
        char szPath[MAX_PATH];
        CString firstName;
        if (!AskRegFileName(hwndOwner, szPath) ||
            !RegFileKeyNameUnicode(m_first.hRoot, m_first.realPath, firstName))
            return false;
        CFileByteSink file;
        if (!file.Create(szPath))
            return false;
        CUtf16ByteSink text(file);
        const bool bOk = WriteUnicodeRegFileHeader(text) &&
                         WriteDifferences(comparison, m_second.key.get(), firstName, text);
        if (!file.Close() || !bOk)
            ::DeleteFileA(szPath);
        return false;
    }
};

bool FillSide(CRegkeyExtension& folder, LPCITEMIDLIST pidlItem, CompareSide& side)
{
    const BYTE* pData = ItemIdData(pidlItem, sizeof(REGITEM), true);
    if (!pData || !HasRegItemSignature(pData))
        return false;
    const REGITEM item = ReadRegItem(pData);
    const CmdTargetPtr<CRegkeyExtension> pKey = folder.GetKeySubFolder(item);
    if (!pKey || !pKey->GetOpenKey() ||
        OpenRegKeyW(pKey->GetOpenKey(), L"", KEY_READ, side.key.put()) != ERROR_SUCCESS)
        return false;
    side.pidl.reset(folder.GetPidl() ? ::ILCombine(folder.GetPidl(), pidlItem) : nullptr);
    side.hRoot = pKey->GetRootKey();
    side.realPath = pKey->GetRealKeyPath();
    side.name = item.szName;
    return true;
}
} // namespace

HRESULT CompareKeys(CRegkeyExtension& folder, std::span<const LPCITEMIDLIST> items) noexcept
{
    if (items.size() != 2)
        return E_INVALIDARG;
    try
    {
        auto pThread = std::make_unique<CCompareThread>();
        if (!FillSide(folder, items[0], pThread->m_first) || !FillSide(folder, items[1], pThread->m_second))
            return E_INVALIDARG;
        if (!pThread->CreateThread())
            return E_FAIL;
        pThread.release(); // the thread deletes it when it ends
        return S_OK;
    }
    CATCH_RETURN(E_OUTOFMEMORY)
}

} // namespace corvasin

// The import preview: the files read and planned on the window's work thread, its rows, and
// Apply with its backup.
#include "commands/ImportCommand.h"

#include "core/Handles.h"
#include "core/MessageBox.h"
#include "core/Result.h"
#include "registry/ChangeBackup.h"
#include "registry/ColumnText.h"
#include "registry/PredefinedKeys.h"
#include "registry/RegFileImport.h"
#include "registry/RegistryAccess.h"
#include "registry/RegkeyExtension.h"
#include "search/ChangeListDialog.h"

#include <shlobj.h>

#include <memory>

namespace corvasin
{

namespace
{
// One file as read: its name for the rows, and what it holds.
struct ReadFile
{
    CString name;
    RegFileContents contents;
};

// What the preview shows and Apply merges: every file's operations in order, and their errors.
struct ImportJob
{
    std::vector<std::wstring> paths;
    std::vector<ReadFile> files;
    std::vector<RegFileOperation> operations;
    std::vector<size_t> operationFile; // the file each operation came from
    bool bErrors = false;
    HRESULT hrApplied = S_FALSE;
};

// A file's bytes, up to the reader's limit and one byte more (which the reader refuses).
bool ReadWholeFile(const std::wstring& path, std::vector<BYTE>& bytes)
{
    const HANDLE hFile = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    const UniqueHandle file(hFile);
    LARGE_INTEGER size = {};
    if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0)
        return false;
    const size_t cb = static_cast<ULONGLONG>(size.QuadPart) > kMaxRegFileBytes ? kMaxRegFileBytes + 1
                                                                               : static_cast<size_t>(size.QuadPart);
    bytes.resize(cb);
    size_t cbRead = 0;
    while (cbRead < cb)
    {
        DWORD cbChunk = 0;
        const DWORD cbWanted = static_cast<DWORD>(cb - cbRead < (1u << 20) ? cb - cbRead : (1u << 20));
        if (!::ReadFile(file.get(), bytes.data() + cbRead, cbWanted, &cbChunk, nullptr) || cbChunk == 0)
            break;
        cbRead += cbChunk;
    }
    bytes.resize(cbRead);
    return true;
}

// A key's full name as the window shows it: the predefined key's name and the path in the code page.
CString KeyLocation(HKEY hRoot, const std::wstring& path)
{
    const PredefinedKey* pRoot = FindPredefinedKey(hRoot);
    const CString rootName = pRoot ? pRoot->pszLongName : "";
    return path.empty() ? rootName : rootName + "\\" + WideToAnsi(path.c_str());
}

CString FileNameOf(const std::wstring& path)
{
    const size_t iSlash = path.find_last_of(L"\\/");
    return WideToAnsi(iSlash == std::wstring::npos ? path.c_str() : path.c_str() + iSlash + 1);
}

ChangeRow RowOf(const ImportChange& change, const RegFileOperation& op, const CString& source)
{
    static const char* const c_kinds[] = {"Add key", "Delete key", "Add value", "Change value", "Delete value"};
    ChangeRow row;
    const bool bValue = change.kind >= ImportChange::AddValue;
    if (bValue)
    {
        row.name = op.valueName.empty() ? CString(kDefaultItemName) : WideToAnsi(op.valueName.c_str());
        row.location = KeyLocation(op.hRootKey, op.keyPath);
        const DWORD dwType = change.kind == ImportChange::DeleteValue ? change.dwOldType : op.dwType;
        row.iImage = ChangeRow::ValueImage(dwType);
    }
    else
    {
        // A key is listed in the key that holds it, as an item of its folder.
        const size_t iLast = op.keyPath.rfind(L'\\');
        row.name = WideToAnsi(iLast == std::wstring::npos ? op.keyPath.c_str() : op.keyPath.c_str() + iLast + 1);
        row.location = KeyLocation(op.hRootKey, iLast == std::wstring::npos ? std::wstring() : op.keyPath.substr(0, iLast));
        row.iImage = ChangeRow::kKey;
    }
    row.texts.push_back(c_kinds[change.kind]);
    row.texts.push_back(change.kind == ImportChange::ChangeValue || change.kind == ImportChange::DeleteValue
                            ? TypedValueText(change.dwOldType, change.oldData)
                            : CString());
    row.texts.push_back(change.kind == ImportChange::AddValue || change.kind == ImportChange::ChangeValue
                            ? TypedValueText(op.dwType, op.data)
                            : CString());
    row.texts.push_back(source);
    return row;
}

// Reads and plans on the work thread.
ChangeList Preview(ImportJob& job, const std::atomic<bool>& cancelled)
{
    ChangeList list;
    size_t cErrors = 0;
    for (const std::wstring& path : job.paths)
    {
        if (cancelled)
            return list;
        ReadFile file;
        file.name = FileNameOf(path);
        std::vector<BYTE> bytes;
        if (!ReadWholeFile(path, bytes))
            file.contents.errors.push_back({0, "The file cannot be read.", {}});
        else
            (void)ParseRegFile(bytes.data(), bytes.size(), file.contents);
        job.files.push_back(std::move(file));
    }
    for (size_t iFile = 0; iFile < job.files.size(); ++iFile)
    {
        ReadFile& file = job.files[iFile];
        const auto addError = [&](const std::string& message, const std::wstring& text, UINT nLine) {
            ChangeRow row;
            row.name = "Error";
            row.location = nLine ? file.name + ", line " + std::to_string(nLine) : file.name;
            row.texts = {message, WideToAnsi(text.c_str()), CString(), row.location};
            list.rows.push_back(std::move(row));
            ++cErrors;
        };
        for (const RegFileError& error : file.contents.errors)
            addError(error.message, error.text, error.nLine);
        if (file.contents.bIncomplete && file.contents.errors.empty())
            addError("Out of memory while reading the file.", {}, 0);
        for (RegFileOperation& op : file.contents.operations)
        {
            job.operations.push_back(std::move(op));
            job.operationFile.push_back(iFile);
        }
    }
    job.bErrors = cErrors > 0;
    const std::vector<ImportChange> changes = PlanImport(job.operations);
    for (const ImportChange& change : changes)
    {
        if (cancelled)
            return list;
        // The plan points into the merged list; the row names the file the line came from.
        const RegFileOperation& op = *change.pOperation;
        const size_t iFile = job.operationFile[static_cast<size_t>(&op - job.operations.data())];
        list.rows.push_back(RowOf(change, op, job.files[iFile].name + ", line " + std::to_string(op.nLine)));
    }
    if (job.bErrors)
        list.status = std::to_string(cErrors) + (cErrors == 1 ? " error" : " errors") +
                      ": nothing will be written. Correct the file and drop it again.";
    else if (changes.empty())
        list.status = "The files change nothing: the registry holds what they hold.";
    else
        list.status = std::to_string(changes.size()) + (changes.size() == 1 ? " change" : " changes") +
                      ". Apply writes them after a backup of everything they replace or delete.";
    list.bCanAccept = !job.bErrors && !changes.empty();
    return list;
}

// The backup first: a merge that cannot be undone is not made.
bool Apply(ImportJob& job, HWND hwndOwner)
{
    if (job.bErrors)
        return false;
    const BackupSettings settings = ReadBackupSettings();
    if (settings.bEnabled)
    {
        const CString backup = WriteBackupFile("import", job.files.empty() ? CString("files") : job.files[0].name, true,
                                               [&job](CByteSink& text) { return WriteImportBackup(job.operations, text); });
        if (backup.empty())
        {
            AppMessageBox(hwndOwner, "The backup of what the files change could not be written. Nothing was changed.",
                          MB_OK | MB_ICONWARNING);
            return false;
        }
    }
    job.hrApplied = ApplyImport(job.operations);
    if (FAILED(job.hrApplied))
        AppMessageBox(hwndOwner, "Some of the changes could not be written.", MB_OK | MB_ICONWARNING);
    return true;
}
} // namespace

HRESULT ImportRegFiles(const std::vector<std::wstring>& paths, CRegkeyExtension* pFolder, HWND hwndOwner) noexcept
{
    if (paths.empty())
        return S_FALSE;
    try
    {
        auto job = std::make_shared<ImportJob>();
        job->paths = paths;
        const std::vector<ChangeColumn> columns = {{"Name", 150}, {"Key", 260}, {"Change", 100},
                                                   {"Old value", 180}, {"New value", 180}, {"From", 150}};
        CChangeListDialog dialog(
            "Merge registration files", columns, "Apply", "Cancel",
            [job](const std::atomic<bool>& cancelled) { return Preview(*job, cancelled); },
            [job](HWND hwnd) { return Apply(*job, hwnd); });
        if (dialog.DoModal(hwndOwner) != IDOK)
            return S_FALSE;
        if (pFolder && pFolder->GetPidl())
            ::SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_IDLIST, pFolder->GetPidl(), nullptr);
        return job->hrApplied;
    }
    CATCH_RETURN(E_OUTOFMEMORY)
}

} // namespace corvasin

// The export command's dialogs around the registration file writer.
#include "commands/ExportCommand.h"

#include "commands/ExportTypeDialog.h"
#include "registry/ExportFile.h"
#include "registry/FileByteSink.h"

#include <commdlg.h>

namespace corvasin
{

namespace
{
// The filter pairs of the file dialog, each text ending in a zero and the list in two.
constexpr char c_szFilter[] = "Registry files (*.reg)\0*.reg\0 All files (*.*)\0*.*\0";
} // namespace

bool AskRegFileName(HWND hwndOwner, char (&szPath)[MAX_PATH]) noexcept
{
    szPath[0] = '\0';
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = hwndOwner;
    ofn.lpstrFilter = c_szFilter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = szPath;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrDefExt = "reg";
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_EXPLORER;
    return ::GetSaveFileNameA(&ofn) != FALSE;
}

namespace
{
// The steps both entry points share: the file name, the file, the kind of file, then the
// file itself.
BOOL RunExport(CRegkeyExtension* pFolder, UINT cidl, LPCITEMIDLIST* apidl,
               HWND hwndOwner) noexcept
{
    if (!pFolder)
        return FALSE;
    char szPath[MAX_PATH];
    if (!AskRegFileName(hwndOwner, szPath))
        return FALSE;
    CFileByteSink file;
    if (!file.Create(szPath))
        return FALSE;

    // The dialog has no Cancel: closed without OK it keeps its first choice, a normal file.
    CExportTypeDialog dlg;
    dlg.DoModal(hwndOwner);
    const bool bInverse = dlg.m_nType == CExportTypeDialog::kInverse;

    const bool bOk = WriteExportFile(*pFolder, cidl, apidl, bInverse, file);
    return file.Close() && bOk ? TRUE : FALSE;
}
} // namespace

BOOL ExportKey(CRegkeyExtension* pFolder, HWND hwndOwner) noexcept
{
    return RunExport(pFolder, 0, nullptr, hwndOwner);
}

BOOL ExportItems(CRegkeyExtension* pFolder, UINT cidl, LPCITEMIDLIST* apidl,
                 HWND hwndOwner) noexcept
{
    // An empty selection has nothing to export; the whole key is ExportKey's.
    if (cidl == 0 || !apidl)
        return FALSE;
    return RunExport(pFolder, cidl, apidl, hwndOwner);
}

} // namespace corvasin

// Notifications and backups of the change commands.
#include "commands/ItemChanges.h"

#include "core/Handles.h"
#include "framework/ItemIdList.h"
#include "registry/ChangeBackup.h"
#include "registry/RegkeyExtension.h"

#include <shlobj.h>
#include <string>

namespace corvasin
{

void NotifyItemChange(const CRegkeyExtension& folder, LONG lEvent, const REGITEM& item,
                      const REGITEM* pSecond) noexcept
{
    UniquePidl pidlItem(MakeItemIdList(&item, sizeof(item)));
    UniquePidl pidlFull(pidlItem ? ::ILCombine(folder.GetPidl(), pidlItem.get()) : nullptr);
    if (!pidlFull)
        return;
    UniquePidl pidlSecondFull;
    if (pSecond)
    {
        UniquePidl pidlSecond(MakeItemIdList(pSecond, sizeof(*pSecond)));
        pidlSecondFull.reset(pidlSecond ? ::ILCombine(folder.GetPidl(), pidlSecond.get()) : nullptr);
    }
    ::SHChangeNotify(lEvent, SHCNF_IDLIST | SHCNF_FLUSHNOWAIT, pidlFull.get(), pidlSecondFull.get());
}

HRESULT BackUpItem(const CRegkeyExtension& folder, const REGITEM& item, const char* pszOperation) noexcept
{
    std::wstring name;
    if (!folder.FindRealName(item, name))
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    CChangeBackup backup(folder.GetRootKey(), folder.GetKeyPath(), folder.GetRealKeyPath(),
                         pszOperation, item.szName);
    if (item.dwKind == REGITEM_KEY)
        backup.AddKeyTree(name.c_str());
    else
        backup.AddValue(item.dwKind == REGITEM_DEFAULT ? nullptr : name.c_str());
    return backup.Write().empty() ? S_FALSE : S_OK;
}

} // namespace corvasin

// CExportTypeDialog: asks which kind of registration file an export writes, normal (recreates
// the exported keys and values) or inverse (deletes them).
#pragma once

#include "core/Dialog.h"

namespace corvasin
{

// A stack object of the export command, on the shell's thread.
class CExportTypeDialog : public CDialog
{
public:
    static constexpr int kNormal = 0;
    static constexpr int kInverse = 1;

    CExportTypeDialog() noexcept;

    // The radio group's choice: 0 normal, 1 inverse, -1 when neither is checked. Read back
    // only on OK; a dialog closed any other way keeps the value it was opened with.
    int m_nType = kNormal;

protected:
    bool DoDataExchange(bool bSave) noexcept override;
};

} // namespace corvasin

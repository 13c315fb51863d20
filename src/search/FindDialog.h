// CFindDialog: the modal "Find" dialog, asking for the search text and what to search. The
// choices are remembered per user under HKCU\SOFTWARE\Corvasin\Find: loaded when the dialog
// object is made, saved when the user presses Find.
#pragma once

#include "core/Dialog.h"

namespace corvasin
{

// A stack object on the thread that runs the dialog; the fields stay readable after DoModal.
class CFindDialog : public CDialog
{
public:
    // No parent window; loads the settings (the defaults where none can be read).
    CFindDialog() noexcept;

    // The fields, each 0 or 1 but the text.
    int m_bData = 1;
    int m_bValues = 1;
    int m_bKeys = 1;
    CString m_strSearch;
    int m_bIgnoreCase = 1;
    int m_bLowPriority = 1;

    // The settings key below HKEY_CURRENT_USER.
    static constexpr char c_szSettingsKey[] = "SOFTWARE\\Corvasin\\Find";

protected:
    bool DoDataExchange(bool bSave) noexcept override;
    // Reads the controls, saves the settings (failures are not reported) and ends with IDOK.
    void OnOK() noexcept override;

private:
    void LoadSettings() noexcept;
    void SaveSettings() const noexcept;
};

} // namespace corvasin

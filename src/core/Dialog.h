// The dialog base: a dialog built from a template in this module, its object passed to the
// dialog procedure on creation, every message dispatched through one virtual DialogProc.
// Data exchange moves the object's fields into the controls and back.
#pragma once

#include <windows.h>

#include "core/Strings.h"

namespace corvasin
{

// The object belongs to whoever constructed it (usually on the stack) and must outlive its
// window; it is used only on the thread that runs the dialog. Nothing thrown inside a handler
// leaves it: every overridable step is noexcept.
class CDialog
{
public:
    explicit CDialog(UINT nIDTemplate) noexcept : m_nIDTemplate(nIDTemplate) {}
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;
    // Destroys a modeless dialog that is still open.
    virtual ~CDialog();

    // Runs the dialog modally: IDOK or IDCANCEL (or what EndDialog was given), -1 when the
    // template could not be loaded or no window could be created.
    INT_PTR DoModal(HWND hwndParent = nullptr) noexcept;
    // Creates the dialog modelessly; the caller pumps messages. OK and Cancel destroy it.
    BOOL Create(HWND hwndParent = nullptr) noexcept;

    // true: controls to fields; false: fields to controls. FALSE when the exchange failed.
    BOOL UpdateData(bool bSaveAndValidate = true) noexcept;
    void EndDialog(INT_PTR nResult) noexcept;

    HWND GetSafeHwnd() const noexcept { return m_hWnd; }
    HWND GetDlgItem(int nID) const noexcept;
    UINT GetTemplateId() const noexcept { return m_nIDTemplate; }
    // The result EndDialog was given; -1 while the dialog has not ended.
    INT_PTR GetResult() const noexcept { return m_nResult; }

protected:
    // Fills the controls (UpdateData(false)). TRUE lets the dialog manager put the focus on
    // the first tab stop; FALSE says the step set the focus itself.
    virtual BOOL OnInitDialog() noexcept;
    // Moves the fields into the controls (bSave false) or the controls into the fields.
    virtual bool DoDataExchange(bool bSave) noexcept;
    // Reads the controls back and ends with IDOK; ends without reading when that fails.
    virtual void OnOK() noexcept;
    virtual void OnCancel() noexcept;
    // WM_COMMAND; TRUE when handled. The base routes IDOK and IDCANCEL.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam) noexcept;
    // WM_NOTIFY; TRUE when handled, with the answer in *pResult.
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) noexcept;
    // The one message switch; overrides handle what they need and pass the rest on.
    virtual INT_PTR DialogProc(UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept;

    // Data exchange helpers for one control's window text.
    bool DdxText(int nID, CString& strValue, bool bSave) noexcept;

    HWND m_hWnd = nullptr;

private:
    static INT_PTR CALLBACK StaticDialogProc(HWND hWnd, UINT uMsg, WPARAM wParam,
                                             LPARAM lParam) noexcept;

    const UINT m_nIDTemplate;
    INT_PTR m_nResult = -1;
    bool m_bModal = false;
};

// The full window text of a window, or an empty text on failure.
bool GetWindowTextString(HWND hWnd, CString& strText) noexcept;

} // namespace corvasin

// The dialog base: creation from this module's templates, the dialog procedure that finds the
// object again, and the default OK/Cancel/data-exchange steps.
#include "core/Dialog.h"

#include "core/Module.h"

#include <new>

namespace corvasin
{

CDialog::~CDialog()
{
    // A modal dialog's window is gone once DoModal returns; only a modeless one can remain.
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
}

INT_PTR CDialog::DoModal(HWND hwndParent) noexcept
{
    if (m_hWnd)
        return -1;
    m_bModal = true;
    m_nResult = -1;
    return ::DialogBoxParamA(ModuleInstance(), MAKEINTRESOURCEA(m_nIDTemplate), hwndParent,
                             StaticDialogProc, reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::Create(HWND hwndParent) noexcept
{
    if (m_hWnd)
        return FALSE;
    m_bModal = false;
    m_nResult = -1;
    // m_hWnd is set by WM_INITDIALOG already; a dialog that ended inside its own
    // initialisation returns NULL here and has forgotten its window.
    const HWND hWnd =
        ::CreateDialogParamA(ModuleInstance(), MAKEINTRESOURCEA(m_nIDTemplate), hwndParent,
                             StaticDialogProc, reinterpret_cast<LPARAM>(this));
    return hWnd != nullptr;
}

BOOL CDialog::UpdateData(bool bSaveAndValidate) noexcept
{
    if (!m_hWnd)
        return FALSE;
    return DoDataExchange(bSaveAndValidate) ? TRUE : FALSE;
}

void CDialog::EndDialog(INT_PTR nResult) noexcept
{
    if (!m_hWnd)
        return;
    m_nResult = nResult;
    if (m_bModal)
        ::EndDialog(m_hWnd, nResult);
    else
        ::DestroyWindow(m_hWnd);
}

HWND CDialog::GetDlgItem(int nID) const noexcept
{
    return m_hWnd ? ::GetDlgItem(m_hWnd, nID) : nullptr;
}

BOOL CDialog::OnInitDialog() noexcept
{
    UpdateData(false);
    return TRUE;
}

bool CDialog::DoDataExchange(bool) noexcept
{
    return true;
}

void CDialog::OnOK() noexcept
{
    // A failed read-back (out of memory) must not report OK with half-read fields.
    if (!UpdateData(true))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() noexcept
{
    EndDialog(IDCANCEL);
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM) noexcept
{
    // The dialog manager sends Enter and Escape as BN_CLICKED of IDOK and IDCANCEL; closing
    // from the system menu arrives as IDCANCEL too.
    if (HIWORD(wParam) != BN_CLICKED)
        return FALSE;
    switch (LOWORD(wParam))
    {
    case IDOK:
        OnOK();
        return TRUE;
    case IDCANCEL:
        OnCancel();
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CDialog::OnNotify(WPARAM, LPARAM, LRESULT*) noexcept
{
    return FALSE;
}

INT_PTR CDialog::DialogProc(UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept
{
    switch (uMsg)
    {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        return OnCommand(wParam, lParam);
    case WM_NOTIFY:
    {
        LRESULT lResult = 0;
        if (!OnNotify(wParam, lParam, &lResult))
            return FALSE;
        ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, lResult);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

bool CDialog::DdxText(int nID, CString& strValue, bool bSave) noexcept
{
    const HWND hwndItem = GetDlgItem(nID);
    if (!hwndItem)
        return false;
    if (bSave)
        return GetWindowTextString(hwndItem, strValue);
    return ::SetWindowTextA(hwndItem, strValue.c_str()) != FALSE;
}

INT_PTR CALLBACK CDialog::StaticDialogProc(HWND hWnd, UINT uMsg, WPARAM wParam,
                                           LPARAM lParam) noexcept
{
    CDialog* pThis;
    if (uMsg == WM_INITDIALOG)
    {
        // The object rides in on the creation parameter; messages before this one (WM_SETFONT)
        // find no object and get the dialog manager's default handling.
        pThis = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
        pThis->m_hWnd = hWnd;
    }
    else
    {
        pThis = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hWnd, DWLP_USER));
    }
    if (!pThis)
        return FALSE;

    const INT_PTR nResult = pThis->DialogProc(uMsg, wParam, lParam);
    if (uMsg == WM_NCDESTROY)
    {
        ::SetWindowLongPtrA(hWnd, DWLP_USER, 0);
        pThis->m_hWnd = nullptr;
    }
    return nResult;
}

bool GetWindowTextString(HWND hWnd, CString& strText) noexcept
{
    if (!hWnd)
        return false;
    // The length may overstate the text (double-byte conversions); the copy says how much came.
    const int cch = ::GetWindowTextLengthA(hWnd);
    try
    {
        strText.assign(static_cast<size_t>(cch), '\0');
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    if (cch > 0)
    {
        const int cchCopied = ::GetWindowTextA(hWnd, strText.data(), cch + 1);
        strText.resize(static_cast<size_t>(cchCopied > 0 ? cchCopied : 0));
    }
    return true;
}

} // namespace corvasin

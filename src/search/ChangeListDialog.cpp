// The change list window: its work thread, its controls and their layout.
#include "search/ChangeListDialog.h"

#include "resource.h"

namespace corvasin
{

namespace
{
// The image list order that CreateImageLists follows, as ChangeRow::Image names it.
constexpr UINT c_rowIcons[] = {IDI_KEY, IDI_VALUE_TEXT, IDI_VALUE_BINARY};
constexpr int kStatusHeight = 24;
constexpr int kButtonHeight = 28;
constexpr int kButtonWidth = 150;
constexpr int kMargin = 6;
} // namespace

CChangeListDialog::CChangeListDialog(CString title, std::vector<ChangeColumn> columns, CString actionText,
                                     CString closeText, Work work, Action action) noexcept
    : CDialog(IDD_CHANGES), m_title(std::move(title)), m_columns(std::move(columns)),
      m_actionText(std::move(actionText)), m_closeText(std::move(closeText)), m_work(std::move(work)),
      m_action(std::move(action))
{
}

CChangeListDialog::~CChangeListDialog()
{
    StopWork();
}

BOOL CChangeListDialog::OnInitDialog() noexcept
{
    m_list.SubclassDlgItem(IDC_CHANGES_LIST, m_hWnd);
    m_status.SubclassDlgItem(IDC_CHANGES_STATUS, m_hWnd);
    CDialog::OnInitDialog();
    ::SetWindowTextA(m_hWnd, m_title.c_str());
    ::SetDlgItemTextA(m_hWnd, IDOK, m_actionText.c_str());
    ::SetDlgItemTextA(m_hWnd, IDCANCEL, m_closeText.c_str());
    ::EnableWindow(GetDlgItem(IDOK), FALSE);
    ::SetWindowTextA(m_status.GetSafeHwnd(), "Working...");
    m_list.SetOldestFirst();
    m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (size_t i = 0; i < m_columns.size(); ++i)
        m_list.InsertColumn(static_cast<int>(i), m_columns[i].pszTitle, m_columns[i].cxWidth);
    m_list.CreateImageLists(c_rowIcons, ARRAYSIZE(c_rowIcons));
    RECT rc = {0, 0, 0, 0};
    ::GetWindowRect(m_hWnd, &rc);
    // Wide enough for the columns, on whatever screen.
    int cxWanted = 2 * kMargin + ::GetSystemMetrics(SM_CXVSCROLL) + 2 * ::GetSystemMetrics(SM_CXSIZEFRAME);
    for (const ChangeColumn& column : m_columns)
        cxWanted += column.cxWidth;
    const int cxScreen = ::GetSystemMetrics(SM_CXSCREEN);
    if (cxWanted > cxScreen)
        cxWanted = cxScreen;
    if (cxWanted > rc.right - rc.left)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, cxWanted, rc.bottom - rc.top, SWP_NOMOVE | SWP_NOZORDER);
    Layout();

    const HWND hwnd = m_hWnd;
    try
    {
        m_worker = std::thread([this, hwnd] {
            try
            {
                m_result = m_work(m_bCancelled);
            }
            catch (...)
            {
                m_bWorkFailed = true;
            }
            m_bDone.store(true, std::memory_order_release);
            ::PostMessageA(hwnd, kWorkDone, 0, 0);
        });
    }
    catch (...)
    {
        ::SetWindowTextA(m_status.GetSafeHwnd(), "Out of memory.");
    }
    return TRUE;
}

void CChangeListDialog::StopWork() noexcept
{
    m_bCancelled = true;
    if (m_worker.joinable())
        m_worker.join();
}

void CChangeListDialog::ShowResult() noexcept
{
    if (!m_bDone.load(std::memory_order_acquire))
        return;
    StopWork();
    if (m_bWorkFailed)
    {
        ::SetWindowTextA(m_status.GetSafeHwnd(), "Out of memory.");
        return;
    }
    for (ChangeRow& row : m_result.rows)
        m_list.AddRow(std::move(row.pidl), row.name.c_str(), row.iImage, std::move(row.location),
                      std::move(row.texts));
    m_result.rows.clear();
    m_list.ShowAddedItems();
    ::SetWindowTextA(m_status.GetSafeHwnd(), m_result.status.c_str());
    ::EnableWindow(GetDlgItem(IDOK), m_result.bCanAccept && m_action ? TRUE : FALSE);
}

void CChangeListDialog::Layout() noexcept
{
    if (!m_list.GetSafeHwnd())
        return;
    RECT rc = {};
    ::GetClientRect(m_hWnd, &rc);
    const int cx = rc.right;
    const int cy = rc.bottom;
    const int yButtons = cy - kMargin - kButtonHeight;
    const int yStatus = yButtons - kMargin - kStatusHeight;
    ::MoveWindow(m_list.GetSafeHwnd(), 0, 0, cx, yStatus > 0 ? yStatus : 0, TRUE);
    ::MoveWindow(m_status.GetSafeHwnd(), 0, yStatus, cx, kStatusHeight, TRUE);
    ::MoveWindow(GetDlgItem(IDCANCEL), cx - kMargin - kButtonWidth, yButtons, kButtonWidth, kButtonHeight, TRUE);
    ::MoveWindow(GetDlgItem(IDOK), cx - 2 * (kMargin + kButtonWidth), yButtons, kButtonWidth, kButtonHeight, TRUE);
}

void CChangeListDialog::OnOK() noexcept
{
    if (!m_bDone || !m_action || !::IsWindowEnabled(GetDlgItem(IDOK)))
        return;
    if (m_action(m_hWnd))
        EndDialog(IDOK);
}

void CChangeListDialog::OnCancel() noexcept
{
    StopWork();
    EndDialog(IDCANCEL);
}

BOOL CChangeListDialog::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) noexcept
{
    const auto* pnmh = reinterpret_cast<const NMHDR*>(lParam);
    if (!pnmh || wParam != IDC_CHANGES_LIST)
        return FALSE;
    return m_list.OnReflectedNotify(pnmh, pResult);
}

INT_PTR CChangeListDialog::DialogProc(UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept
{
    switch (uMsg)
    {
    case WM_SIZE:
        Layout();
        return TRUE;
    case kWorkDone:
        ShowResult();
        return TRUE;
    default:
        return CDialog::DialogProc(uMsg, wParam, lParam);
    }
}

} // namespace corvasin

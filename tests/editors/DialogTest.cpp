// The dialog base: creation from a template, the object found again in the dialog procedure,
// and the default OK, Cancel, command and notification routes.
#include "editors/DialogDriver.h"
#include "core/Dialog.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <tuple>

namespace corvasin
{
namespace
{

using namespace test::step;
using test::CDialogDriver;

// Records what the base hands to the overridable steps.
class CProbeDialog : public CDialog
{
public:
    CProbeDialog() noexcept : CDialog(IDD_EDIT_TEXT) {}

    int m_nInits = 0, m_nLoads = 0, m_nSaves = 0, m_nCustomCommands = 0;
    bool m_bFailSave = false;
    CString m_strText = "probe";

protected:
    BOOL OnInitDialog() noexcept override
    {
        ++m_nInits;
        return CDialog::OnInitDialog();
    }
    bool DoDataExchange(bool bSave) noexcept override
    {
        ++(bSave ? m_nSaves : m_nLoads);
        return !(bSave && m_bFailSave) && DdxText(IDC_VALUE_EDIT, m_strText, bSave);
    }
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) noexcept override
    {
        if (LOWORD(wParam) != 4711)
            return CDialog::OnCommand(wParam, lParam);
        ++m_nCustomCommands;
        EndDialog(7);
        return TRUE;
    }
    BOOL OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult) noexcept override
    {
        if (reinterpret_cast<const NMHDR*>(lParam)->code != 0x1234)
            return FALSE;
        *pResult = 42;
        return TRUE;
    }
};

TEST(Dialog, RunsItsInitialisationOnceAndFillsTheControls)
{
    CProbeDialog dlg;
    test::ValueDialogView view;
    HWND hwndDuringRun = nullptr;
    CDialogDriver driver({Look(view), [&](HWND) { hwndDuringRun = dlg.GetSafeHwnd(); }, Click(IDOK)});

    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(std::tuple(1, 1, 1), std::tuple(dlg.m_nInits, dlg.m_nLoads, dlg.m_nSaves));
    EXPECT_EQ("probe", view.text);
    EXPECT_EQ(driver.Dialog(), hwndDuringRun);
    EXPECT_EQ(nullptr, dlg.GetSafeHwnd());
}

TEST(Dialog, ReturnsWhatEndDialogWasGiven)
{
    CProbeDialog dlg;
    EXPECT_EQ(7, test::RunModal(dlg, {[](HWND hDlg) { ::PostMessageA(hDlg, WM_COMMAND, 4711, 0); }}));
    EXPECT_EQ(std::tuple(7, 1), std::tuple(dlg.GetResult(), dlg.m_nCustomCommands));
}

TEST(Dialog, OkStaysOpenWhenReadingBackFails)
{
    CProbeDialog dlg;
    dlg.m_bFailSave = true;
    // Cancel is the step after OK: it runs only on a dialog that is still open.
    EXPECT_EQ(IDCANCEL, test::RunModal(dlg, {Click(IDOK), Click(IDCANCEL)}));
    EXPECT_EQ(1, dlg.m_nSaves);
}

TEST(Dialog, HandsTheNotificationAnswerToTheSender)
{
    CProbeDialog dlg;
    LRESULT lHandled = 0, lOther = -1;
    const auto notify = [](HWND hDlg, UINT code) {
        NMHDR nmh{::GetDlgItem(hDlg, IDC_VALUE_EDIT), IDC_VALUE_EDIT, code};
        return ::SendMessageA(hDlg, WM_NOTIFY, IDC_VALUE_EDIT, reinterpret_cast<LPARAM>(&nmh));
    };
    test::RunModal(dlg, {[&](HWND hDlg) {
                             lHandled = notify(hDlg, 0x1234);
                             lOther = notify(hDlg, 0x999);
                         },
                         Click(IDCANCEL)});
    EXPECT_EQ((std::pair<LRESULT, LRESULT>(42, 0)), std::pair(lHandled, lOther));
}

TEST(Dialog, GivesMinusOneForAMissingTemplate)
{
    CDialog dlg(12345);
    EXPECT_EQ(-1, dlg.DoModal());
    EXPECT_FALSE(dlg.Create());
    EXPECT_EQ(nullptr, dlg.GetSafeHwnd());
}

TEST(Dialog, ModelessDialogReadsBackAndGoesAwayOnOk)
{
    CProbeDialog dlg;
    ASSERT_TRUE(dlg.Create());
    const HWND hDlg = dlg.GetSafeHwnd();
    ASSERT_NE(nullptr, hDlg);
    EXPECT_EQ(1, dlg.m_nInits);
    EXPECT_EQ("probe", test::ItemText(hDlg, IDC_VALUE_EDIT));

    ::SetDlgItemTextA(hDlg, IDC_VALUE_EDIT, "typed");
    ::SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_FALSE(::IsWindow(hDlg));
    EXPECT_EQ(nullptr, dlg.GetSafeHwnd());
    EXPECT_EQ(IDOK, dlg.GetResult());
    EXPECT_EQ("typed", dlg.m_strText);
}

TEST(Dialog, DestroyingTheObjectClosesAModelessDialog)
{
    HWND hDlg = nullptr;
    {
        CProbeDialog dlg;
        ASSERT_TRUE(dlg.Create());
        hDlg = dlg.GetSafeHwnd();
        EXPECT_TRUE(::IsWindow(hDlg));
    }
    EXPECT_FALSE(::IsWindow(hDlg));
}

} // namespace
} // namespace corvasin

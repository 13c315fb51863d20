// The binary dialog: the value's bytes in the hex edit control, run modally and driven through
// the control as a user would type into it.
#include "editors/DialogDriver.h"
#include "editors/EditBinaryDialog.h"
#include "resource.h"
#include "support/TableRow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>

namespace corvasin
{
namespace
{

using namespace test::step;
using test::CDialogDriver;

std::vector<BYTE> Pattern(UINT cb)
{
    std::vector<BYTE> bytes(cb);
    for (UINT i = 0; i < cb; ++i)
        bytes[i] = static_cast<BYTE>((i * 7 + 3) & 0xFF);
    return bytes;
}

// The dialog of the running row, and the length its control showed when the Shown step ran.
CEditBinaryDialog* g_pDlg = nullptr;
UINT g_nShown = 0;

CDialogDriver::Step Shown()
{
    return [](HWND) { g_nShown = g_pDlg->m_wndHexEdit.GetData(nullptr, 0); };
}

// What OK reads back must come from the control, not from the untouched buffer.
CDialogDriver::Step WipeBuffer()
{
    return [](HWND) { std::memset(g_pDlg->m_data, 0, sizeof(g_pDlg->m_data)); };
}

// The dialog opened on bytes and a length, what the user does, and what the caller gets.
struct BinaryRun : test::Row
{
    std::vector<BYTE> data;
    DWORD nLength;
    std::vector<CDialogDriver::Step> steps;
    INT_PTR nResult;
    UINT nShown; // what a Shown step saw
    std::vector<BYTE> stored;
};

class EditBinaryDialog : public testing::TestWithParam<BinaryRun>
{
};

TEST_P(EditBinaryDialog, Runs)
{
    const BinaryRun& run = GetParam();
    CEditBinaryDialog dlg;
    std::copy(run.data.begin(), run.data.end(), dlg.m_data);
    dlg.m_nDataLength = run.nLength;
    g_pDlg = &dlg;
    g_nShown = ~0u;
    EXPECT_EQ(run.nResult, test::RunModal(dlg, run.steps));
    EXPECT_EQ(run.nShown, g_nShown);
    ASSERT_EQ(run.stored.size(), dlg.m_nDataLength);
    EXPECT_EQ(run.stored, std::vector<BYTE>(dlg.m_data, dlg.m_data + dlg.m_nDataLength));
}

INSTANTIATE_TEST_SUITE_P(
    , EditBinaryDialog,
    testing::Values(
        BinaryRun{"ShowsNoBytesForAnEmptyValueAndWritesNoneOnOk", {}, 0, {Shown(), Type("ff"), Click(IDOK)}, IDOK, 0,
                  {}},
        BinaryRun{"WritesBackAllBytesOfAFullBuffer", Pattern(1024), 1024, {Shown(), WipeBuffer(), Click(IDOK)}, IDOK,
                  1024, Pattern(1024)},
        BinaryRun{"StoresTypedDigitsWithoutChangingTheLength", {0x00, 0x11, 0x22, 0x33}, 4,
                  {Type("a5B"), Click(IDOK)}, IDOK, ~0u, {0xA5, 0xB1, 0x22, 0x33}},
        BinaryRun{"LeavesTheBufferAloneOnCancel", {0x10, 0x20}, 2, {Type("ffff"), Click(IDCANCEL)}, IDCANCEL, ~0u,
                  {0x10, 0x20}},
        BinaryRun{"NeverReadsPastItsBufferWhenGivenTooLongALength", {}, 5000, {Shown(), Click(IDOK)}, IDOK, 1024,
                  std::vector<BYTE>(1024)}),
    test::RowName());

TEST_F(EditBinaryDialog, OpensWithTheLabelAndTheBytesInTheHexControl)
{
    CEditBinaryDialog dlg;
    dlg.m_strLabel = "Blob";
    const BYTE bytes[] = {0x01, 0x23, 0x45};
    std::memcpy(dlg.m_data, bytes, sizeof(bytes));
    dlg.m_nDataLength = sizeof(bytes);
    test::ValueDialogView view;
    HWND hwndControl = nullptr;
    BYTE shown[8] = {};
    UINT nShown = 0;
    EXPECT_EQ(IDCANCEL, test::RunModal(dlg, {Look(view),
                                             [&](HWND) {
                                                 hwndControl = dlg.m_wndHexEdit.GetSafeHwnd();
                                                 nShown = dlg.m_wndHexEdit.GetData(shown, sizeof(shown));
                                             },
                                             Click(IDCANCEL)}));
    EXPECT_EQ((std::vector<std::string>{"Edit Binary Value", "Blob"}), (std::vector{view.caption, view.label}));
    ASSERT_NE(nullptr, view.hwndField);
    EXPECT_EQ(std::pair(view.hwndField, view.hwndField), std::pair(hwndControl, view.hwndFocus));
    ASSERT_EQ(3u, nShown);
    EXPECT_EQ(0, std::memcmp(bytes, shown, 3));
}

TEST_F(EditBinaryDialog, ShowsEightBytesPerRowWithTheCharacterColumn)
{
    CEditBinaryDialog dlg;
    dlg.m_nDataLength = 20;
    std::tuple<UINT, UINT, bool> layout;
    test::RunModal(dlg, {[&](HWND) {
                             const CHexEditModel& model = dlg.m_wndHexEdit.Model();
                             layout = {model.GetBytesPerRow(), model.GetRowCount(), model.IsShowingAscii()};
                         },
                         Click(IDCANCEL)});
    EXPECT_EQ(std::tuple(8u, 3u, true), layout);
}

TEST_F(EditBinaryDialog, LetsGoOfTheControlWhenItCloses)
{
    CEditBinaryDialog dlg;
    dlg.m_nDataLength = 1;
    EXPECT_EQ(IDOK, test::RunModal(dlg, {Click(IDOK)}));
    EXPECT_EQ(nullptr, dlg.m_wndHexEdit.GetSafeHwnd());
    // A second run takes over the new dialog's control again.
    test::ValueDialogView view;
    HWND hwndControl = nullptr;
    EXPECT_EQ(IDOK, test::RunModal(dlg, {Look(view), [&](HWND) { hwndControl = dlg.m_wndHexEdit.GetSafeHwnd(); },
                                         Click(IDOK)}));
    EXPECT_NE(nullptr, view.hwndField);
    EXPECT_EQ(view.hwndField, hwndControl);
}

} // namespace
} // namespace corvasin

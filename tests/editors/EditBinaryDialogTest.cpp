// The binary dialog: the value's bytes in the hex edit control, run modally and driven through
// the control as a user would type into it.
#include "editors/DialogDriver.h"
#include "editors/EditBinaryDialog.h"
#include "core/Window.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <cstring>

namespace corvasin
{
namespace
{

using test::CDialogDriver;

void FillPattern(BYTE* pData, UINT cb)
{
    for (UINT i = 0; i < cb; ++i)
        pData[i] = static_cast<BYTE>((i * 7 + 3) & 0xFF);
}

TEST(EditBinaryDialog, OpensWithTheLabelAndTheBytesInTheHexControl)
{
    CEditBinaryDialog dlg;
    dlg.m_strLabel = "Blob";
    const BYTE bytes[] = {0x01, 0x23, 0x45};
    std::memcpy(dlg.m_data, bytes, sizeof(bytes));
    dlg.m_nDataLength = sizeof(bytes);
    std::string caption, label;
    HWND hwndControl = nullptr, hwndField = nullptr, hwndFocus = nullptr;
    UINT nShown = 0;
    BYTE shown[8] = {};
    CDialogDriver driver({[&](HWND hDlg) {
                              caption = test::WindowText(hDlg);
                              label = test::ItemText(hDlg, IDC_VALUE_LABEL);
                              hwndControl = dlg.m_wndHexEdit.GetSafeHwnd();
                              hwndField = ::GetDlgItem(hDlg, IDC_VALUE_EDIT);
                              hwndFocus = ::GetFocus();
                              nShown = dlg.m_wndHexEdit.GetData(shown, sizeof(shown));
                          },
                          [](HWND hDlg) { test::Click(hDlg, IDCANCEL); }});

    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_EQ("Edit Binary Value", caption);
    EXPECT_EQ("Blob", label);
    ASSERT_NE(nullptr, hwndField);
    EXPECT_EQ(hwndField, hwndControl);
    EXPECT_EQ(hwndField, hwndFocus);
    ASSERT_EQ(3u, nShown);
    EXPECT_EQ(0, std::memcmp(bytes, shown, 3));
}

TEST(EditBinaryDialog, ShowsEightBytesPerRowWithTheCharacterColumn)
{
    CEditBinaryDialog dlg;
    dlg.m_nDataLength = 20;
    UINT nBytesPerRow = 0, nRows = 0;
    bool bAscii = false;
    CDialogDriver driver({[&](HWND) {
                              nBytesPerRow = dlg.m_wndHexEdit.Model().GetBytesPerRow();
                              nRows = dlg.m_wndHexEdit.Model().GetRowCount();
                              bAscii = dlg.m_wndHexEdit.Model().IsShowingAscii();
                          },
                          [](HWND hDlg) { test::Click(hDlg, IDCANCEL); }});

    dlg.DoModal();
    EXPECT_EQ(8u, nBytesPerRow);
    EXPECT_EQ(3u, nRows);
    EXPECT_TRUE(bAscii);
}

TEST(EditBinaryDialog, ShowsNoBytesForAnEmptyValueAndWritesNoneOnOk)
{
    CEditBinaryDialog dlg;
    dlg.m_nDataLength = 0;
    UINT nShown = 99;
    CDialogDriver driver({[&](HWND) { nShown = dlg.m_wndHexEdit.GetData(nullptr, 0); },
                          [](HWND) { test::TypeText("ff"); },
                          [](HWND hDlg) { test::Click(hDlg, IDOK); }});

    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(0u, nShown);
    EXPECT_EQ(0u, dlg.m_nDataLength);
}

TEST(EditBinaryDialog, WritesBackAllBytesOfAFullBuffer)
{
    CEditBinaryDialog dlg;
    BYTE expected[CEditBinaryDialog::c_cbMaxData];
    FillPattern(expected, sizeof(expected));
    std::memcpy(dlg.m_data, expected, sizeof(expected));
    dlg.m_nDataLength = CEditBinaryDialog::c_cbMaxData;
    // What OK reads back must come from the control, not from the untouched buffer.
    UINT nShown = 0;
    CDialogDriver driver({[&](HWND) {
                              nShown = dlg.m_wndHexEdit.GetData(nullptr, 0);
                              std::memset(dlg.m_data, 0, sizeof(dlg.m_data));
                          },
                          [](HWND hDlg) { test::Click(hDlg, IDOK); }});

    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(1024u, nShown);
    EXPECT_EQ(1024u, dlg.m_nDataLength);
    EXPECT_EQ(0, std::memcmp(expected, dlg.m_data, sizeof(expected)));
}

TEST(EditBinaryDialog, StoresTypedDigitsWithoutChangingTheLength)
{
    CEditBinaryDialog dlg;
    const BYTE bytes[] = {0x00, 0x11, 0x22, 0x33};
    std::memcpy(dlg.m_data, bytes, sizeof(bytes));
    dlg.m_nDataLength = sizeof(bytes);
    CDialogDriver driver({[](HWND) { test::TypeText("a5B"); },
                          [](HWND hDlg) { test::Click(hDlg, IDOK); }});

    EXPECT_EQ(IDOK, dlg.DoModal());
    ASSERT_EQ(4u, dlg.m_nDataLength);
    EXPECT_EQ(0xA5, dlg.m_data[0]);
    EXPECT_EQ(0xB1, dlg.m_data[1]);
    EXPECT_EQ(0x22, dlg.m_data[2]);
    EXPECT_EQ(0x33, dlg.m_data[3]);
}


TEST(EditBinaryDialog, LeavesTheBufferAloneOnCancel)
{
    CEditBinaryDialog dlg;
    const BYTE bytes[] = {0x10, 0x20};
    std::memcpy(dlg.m_data, bytes, sizeof(bytes));
    dlg.m_nDataLength = sizeof(bytes);
    CDialogDriver driver({[](HWND) { test::TypeText("ffff"); },
                          [](HWND hDlg) { test::Click(hDlg, IDCANCEL); }});

    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_EQ(2u, dlg.m_nDataLength);
    EXPECT_EQ(0x10, dlg.m_data[0]);
    EXPECT_EQ(0x20, dlg.m_data[1]);
}

TEST(EditBinaryDialog, NeverReadsPastItsBufferWhenGivenTooLongALength)
{
    CEditBinaryDialog dlg;
    dlg.m_nDataLength = 5000;
    UINT nShown = 0;
    CDialogDriver driver({[&](HWND) { nShown = dlg.m_wndHexEdit.GetData(nullptr, 0); },
                          [](HWND hDlg) { test::Click(hDlg, IDOK); }});

    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(1024u, nShown);
    EXPECT_EQ(1024u, dlg.m_nDataLength);
}

TEST(EditBinaryDialog, LetsGoOfTheControlWhenItCloses)
{
    CEditBinaryDialog dlg;
    dlg.m_nDataLength = 1;
    {
        CDialogDriver driver({[](HWND hDlg) { test::Click(hDlg, IDOK); }});
        EXPECT_EQ(IDOK, dlg.DoModal());
    }
    EXPECT_EQ(nullptr, dlg.m_wndHexEdit.GetSafeHwnd());
    // A second run takes over the new dialog's control again.
    HWND hwndControl = nullptr, hwndField = nullptr;
    CDialogDriver driver({[&](HWND hDlg) {
                              hwndControl = dlg.m_wndHexEdit.GetSafeHwnd();
                              hwndField = ::GetDlgItem(hDlg, IDC_VALUE_EDIT);
                          },
                          [](HWND hDlg) { test::Click(hDlg, IDOK); }});
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_NE(nullptr, hwndField);
    EXPECT_EQ(hwndField, hwndControl);
}

} // namespace
} // namespace corvasin

// Drives a modal dialog as a user would: the dialog watch spots the dialog when it is activated,
// then runs one scripted step per tick from inside the dialog's own message loop, so keys posted
// by one step are handled before the next step looks at the result.
#pragma once

#include "core/Dialog.h"
#include "support/ModalDriver.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace corvasin::test
{

// One driver per modal run, on the thread that calls DoModal; it drives the first dialog only.
class CDialogDriver : public CDialogWatch
{
public:
    using Step = std::function<void(HWND hDlg)>;

    explicit CDialogDriver(std::vector<Step> steps) : m_steps(std::move(steps)) {}

    // The dialog window that was found (destroyed once DoModal has returned).
    HWND Dialog() const noexcept { return m_hDlg; }
    size_t StepsRun() const noexcept { return m_nNextStep; }
    // The steps ran out and the dialog stayed open: the driver cancelled it.
    bool TimedOut() const noexcept { return m_bTimedOut; }

private:
    void OnDialog(HWND hDlg) override;
    void OnTick() override;

    std::vector<Step> m_steps;
    HWND m_hDlg = nullptr;
    size_t m_nNextStep = 0;
    int m_nIdleTicks = 0;
    bool m_bTimedOut = false;
};

// What a user sees.
std::string ItemText(HWND hDlg, int nID);
bool IsChecked(HWND hDlg, int nID);
// A key press as the keyboard would queue it; TranslateMessage makes the character.
void PostKey(HWND hWnd, UINT vk);

// What a value dialog shows: caption, label, the field's text and selection, the focus.
struct ValueDialogView
{
    std::string caption, label, text;
    HWND hwndField = nullptr;
    HWND hwndFocus = nullptr;
    DWORD dwSelStart = 0, dwSelEnd = 0;
};

// What a user does, one step each, so that a run reads as the list of the user's actions.
namespace step
{
// Clicking a button moves the focus to it, as the mouse does.
CDialogDriver::Step Click(int nID);
// The value field IDC_VALUE_EDIT: its text set at once, or the focus put into it (a click).
CDialogDriver::Step SetText(const char* pszText);
CDialogDriver::Step Focus();
// Posted to the window that has the focus, through the message queue: one WM_CHAR per
// character, or the key down and up.
CDialogDriver::Step Type(const char* pszText);
CDialogDriver::Step Press(UINT vk);
CDialogDriver::Step Look(ValueDialogView& view);
} // namespace step

// Runs dlg modally through the steps and answers its result. Every step must run, so the dialog
// was open for each, and the last one must close it.
INT_PTR RunModal(CDialog& dlg, std::vector<CDialogDriver::Step> steps);

} // namespace corvasin::test

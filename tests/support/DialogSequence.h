// Answers the modal dialogs of one operation in turn, as a user would: a CBT hook notes each new
// dialog window (class #32770) activated on this thread, and once it shows, a thread timer runs
// the next script on it from inside the dialog's own message loop. Scripts end their dialog
// (press OK, Cancel...); a dialog left without a script is cancelled.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace corvasin::test
{

// One sequence at a time, on the thread that runs the dialogs.
class CDialogSequence
{
public:
    using Script = std::function<void(HWND hDlg)>;

    explicit CDialogSequence(std::vector<Script> scripts);
    CDialogSequence(const CDialogSequence&) = delete;
    CDialogSequence& operator=(const CDialogSequence&) = delete;
    ~CDialogSequence();

    // The captions of the dialogs seen so far, in order.
    const std::vector<std::string>& Captions() const noexcept { return m_captions; }

private:
    static LRESULT CALLBACK CbtProc(int nCode, WPARAM wParam, LPARAM lParam) noexcept;
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD) noexcept;
    void Tick() noexcept;

    std::vector<Script> m_scripts;
    std::vector<HWND> m_seen;
    std::vector<std::string> m_captions;
    HHOOK m_hHook = nullptr;
    UINT_PTR m_idTimer = 0;
    HWND m_hPending = nullptr;
    int m_nWaitTicks = 0;
};

// Presses a button of a dialog as the mouse does (through the message queue, so the script's
// own code returns first).
void PressButton(HWND hDlg, int nID);
// The text of every child window, in z-order, for checks of what a dialog shows.
std::vector<std::string> ChildTexts(HWND hDlg);

} // namespace corvasin::test

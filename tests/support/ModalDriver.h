// Answers the modal windows of one command as a user would: a CBT hook notes each dialog window
// (message box or folder picker) as it is activated, with its caption and text, and a thread
// timer then runs the next scripted answer from inside that window's own modal loop.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace corvasin::test
{

struct SeenDialog
{
    std::string caption;
    std::string text; // a message box's text; empty for other dialogs
};

// One driver at a time, on the thread that runs the command.
class CModalDriver
{
public:
    using Answer = std::function<void(HWND hDlg)>;

    // One answer per dialog, in the order they appear; a dialog beyond them is cancelled.
    explicit CModalDriver(std::vector<Answer> answers);
    CModalDriver(const CModalDriver&) = delete;
    CModalDriver& operator=(const CModalDriver&) = delete;
    ~CModalDriver();

    const std::vector<SeenDialog>& Seen() const noexcept { return m_seen; }

private:
    static LRESULT CALLBACK CbtProc(int nCode, WPARAM wParam, LPARAM lParam) noexcept;
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD) noexcept;
    void Tick() noexcept;

    std::vector<Answer> m_answers;
    std::vector<SeenDialog> m_seen;
    std::vector<HWND> m_windows; // every dialog seen, answered once
    HHOOK m_hHook = nullptr;
    UINT_PTR m_idTimer = 0;
    HWND m_hPending = nullptr; // activated, not yet answered
    int m_nWaitTicks = 0;
};

// Presses a button of a dialog as the mouse does (through the message queue, so the answer's
// own code returns first).
void PressButton(HWND hDlg, int nID);
// The text of every child window, in z-order, for checks of what a dialog shows.
std::vector<std::string> ChildTexts(HWND hDlg);

// Answers: press a button (IDYES, IDNO, IDOK, IDCANCEL) of a message box or dialog.
CModalDriver::Answer Press(int nID);
// Puts the text into a control of a dialog, then presses a button.
CModalDriver::Answer TypeAndPress(int nIDControl, std::string text, int nID);
// In the shell's folder picker: select the folder at pszPath, then press OK.
CModalDriver::Answer PickFolder(const std::string& path);

} // namespace corvasin::test

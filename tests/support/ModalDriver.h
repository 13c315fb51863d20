// Answers the modal windows of one command as a user would: a CBT hook notes each dialog window
// (message box, dialog or folder picker) as it is activated, and a thread timer then acts on it
// from inside that window's own modal loop.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace corvasin::test
{

// The hook and timer the drivers share: OnDialog gets each dialog window once, when it is first
// activated, and OnTick runs every 10 ms in whatever loop serves the thread's messages. One watch
// at a time, on the thread that runs the dialogs.
class CDialogWatch
{
public:
    CDialogWatch(const CDialogWatch&) = delete;
    CDialogWatch& operator=(const CDialogWatch&) = delete;

protected:
    CDialogWatch();
    virtual ~CDialogWatch();
    virtual void OnDialog(HWND hDlg) = 0;
    virtual void OnTick() = 0;

private:
    static LRESULT CALLBACK CbtProc(int nCode, WPARAM wParam, LPARAM lParam) noexcept;
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD) noexcept;

    std::vector<HWND> m_windows; // every dialog seen, each handed on once
    HHOOK m_hHook = nullptr;
    UINT_PTR m_idTimer = 0;
};

struct SeenDialog
{
    std::string caption;
    std::string text; // a message box's text; empty for other dialogs
};

// One answer per dialog, in the order they appear; a dialog beyond them is cancelled.
class CModalDriver : public CDialogWatch
{
public:
    using Answer = std::function<void(HWND hDlg)>;

    explicit CModalDriver(std::vector<Answer> answers) : m_answers(std::move(answers)) {}

    const std::vector<SeenDialog>& Seen() const noexcept { return m_seen; }

private:
    void OnDialog(HWND hDlg) override;
    void OnTick() override;

    std::vector<Answer> m_answers;
    std::vector<SeenDialog> m_seen;
    HWND m_hPending = nullptr; // activated, not yet answered
    int m_nWaitTicks = 0;
};

std::string WindowClass(HWND hWnd);
std::string WindowText(HWND hWnd); // empty for no window
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

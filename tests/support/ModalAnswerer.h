// Answers the modal windows (message boxes and dialogs) that code under test opens on this
// thread: a CBT hook sees each one when it is activated, records its caption and text, and
// hands it to the next scripted answer. Windows beyond the script are cancelled.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace corvasin::test
{

class CModalAnswerer
{
public:
    using Answer = std::function<void(HWND hwnd)>;
    struct Seen
    {
        std::string caption;
        std::string text; // a message box's text; empty for a dialog
    };

    explicit CModalAnswerer(std::vector<Answer> answers);
    ~CModalAnswerer();
    CModalAnswerer(const CModalAnswerer&) = delete;
    CModalAnswerer& operator=(const CModalAnswerer&) = delete;

    const std::vector<Seen>& WindowsSeen() const noexcept { return m_seen; }

private:
    static LRESULT CALLBACK CbtProc(int nCode, WPARAM wParam, LPARAM lParam) noexcept;

    std::vector<Answer> m_answers;
    std::vector<Seen> m_seen;
    HHOOK m_hHook = nullptr;
    std::vector<HWND> m_answered;
};

// Presses a button of the window (IDYES, IDNO, IDOK, IDCANCEL...).
CModalAnswerer::Answer Press(int idButton);
// Puts the text into a control of a dialog, then presses a button.
CModalAnswerer::Answer TypeAndPress(int idControl, std::string text, int idButton);

} // namespace corvasin::test

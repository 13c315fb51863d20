// The hex edit control hosted in a plain window that it fills: for owners that want a pane of
// bytes rather than a control in a dialog.
#pragma once

#include "editors/HexEditBase.h"
#include "core/Window.h"

namespace corvasin
{

inline constexpr char c_szHexEditViewClass[] = "CHexEditBaseView";
inline constexpr UINT c_idHexEditViewControl = 256;

// Owns its control; used on the thread that owns its window.
class CHexEditBaseView : public CWnd
{
public:
    CHexEditBaseView() noexcept = default;
    ~CHexEditBaseView() override;

    // A child window (dwStyle should hold WS_CHILD) or a top-level one; the control is made
    // with it and fails its creation when it cannot be made.
    BOOL Create(DWORD dwStyle, const RECT& rect, HWND hwndParent, UINT nID) noexcept;

    CHexEditBase& GetHexEdit() noexcept { return m_hexEdit; }

    // For the module's unload, beside CHexEditBase::UnregisterWindowClasses.
    static void UnregisterWindowClass() noexcept;

protected:
    LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    static bool RegisterWindowClass() noexcept;

    CHexEditBase m_hexEdit;
};

} // namespace corvasin

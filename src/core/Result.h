// Early-return helpers for HRESULT code paths, and the one way an exception is stopped at a
// boundary (COM method, window or thread procedure): 32-bit MinGW cannot unwind through the
// system's frames.
#pragma once

#include <windows.h>

#define RETURN_IF_FAILED(expr)                                                                     \
    do                                                                                             \
    {                                                                                              \
        const HRESULT hr_ = (expr);                                                                \
        if (FAILED(hr_))                                                                           \
            return hr_;                                                                            \
    } while (0)

#define RETURN_HR_IF(hr, cond)                                                                     \
    do                                                                                             \
    {                                                                                              \
        if (cond)                                                                                  \
            return (hr);                                                                           \
    } while (0)

#define RETURN_HR_IF_NULL(hr, ptr) RETURN_HR_IF(hr, (ptr) == nullptr)

// Ends a try block: any exception becomes the given result (an allocation failed, in practice).
//     try { ... } CATCH_RETURN(E_OUTOFMEMORY)
#define CATCH_RETURN(value)                                                                        \
    catch (...)                                                                                    \
    {                                                                                              \
        return value;                                                                              \
    }

namespace corvasin
{
// The interface layer maps the BOOL answers of virtual operations to these.
inline HRESULT HrFromBool(BOOL ok) noexcept { return ok ? S_OK : E_FAIL; }
// A Win32 result as an HRESULT. A function, not the SDK's macro, which evaluates its argument
// twice: a registry call written inside it would run twice.
inline HRESULT HrFromWin32(LONG rc) noexcept { return HRESULT_FROM_WIN32(rc); }
} // namespace corvasin

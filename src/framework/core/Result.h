// Early-return helpers for HRESULT code paths.
#pragma once

#include <winerror.h>

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

namespace corvasin
{
// The interface layer maps the BOOL answers of virtual operations to these.
inline HRESULT HrFromBool(BOOL ok) noexcept { return ok ? S_OK : E_FAIL; }
} // namespace corvasin

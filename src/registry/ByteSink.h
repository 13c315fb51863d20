// CByteSink: where the registration file writer puts its bytes. The writer knows nothing of
// files, so tests hand it memory and compare the exact bytes.
#pragma once

#include "core/Strings.h"

#include <cstddef>

namespace corvasin
{

// Used by one thread at a time; the owner keeps it alive while the writer runs.
class CByteSink
{
public:
    CByteSink() noexcept = default;
    CByteSink(const CByteSink&) = delete;
    CByteSink& operator=(const CByteSink&) = delete;
    virtual ~CByteSink() = default;

    // Appends the bytes as they are; false when they could not all be written.
    virtual bool Write(const void* pData, size_t cb) noexcept = 0;

    bool Write(const CString& text) noexcept { return Write(text.data(), text.size()); }
};

} // namespace corvasin

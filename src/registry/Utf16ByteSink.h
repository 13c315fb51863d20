// CUtf16ByteSink: a byte sink that takes UTF-8 text and hands it on as UTF-16LE, the encoding of
// the Unicode registration files.
#pragma once

#include "registry/ByteSink.h"

namespace corvasin
{

// Holds no bytes of its own: every write must end on a whole character (the writers write whole
// lines). The target sink outlives it.
class CUtf16ByteSink : public CByteSink
{
public:
    explicit CUtf16ByteSink(CByteSink& target) noexcept : m_target(target) {}
    bool Write(const void* pData, size_t cb) noexcept override;
    using CByteSink::Write;

private:
    CByteSink& m_target;
};

} // namespace corvasin

// CMemoryByteSink: a byte sink that keeps everything written to it in memory.
#pragma once

#include "registry/ByteSink.h"

#include <string>

namespace corvasin
{

class CMemoryByteSink : public CByteSink
{
public:
    bool Write(const void* pData, size_t cb) noexcept override;
    using CByteSink::Write;

    const std::string& Bytes() const noexcept { return m_bytes; }

private:
    std::string m_bytes;
};

} // namespace corvasin

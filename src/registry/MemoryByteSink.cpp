// The in-memory byte sink.
#include "registry/MemoryByteSink.h"

#include "core/Result.h"

namespace corvasin
{

bool CMemoryByteSink::Write(const void* pData, size_t cb) noexcept
{
    try
    {
        m_bytes.append(static_cast<const char*>(pData), cb);
        return true;
    }
    CATCH_RETURN(false)
}

} // namespace corvasin

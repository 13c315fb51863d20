// The buffered file sink.
#include "registry/FileByteSink.h"

#include <cstring>
#include <new>

namespace corvasin
{

CFileByteSink::~CFileByteSink() { Close(); }

bool CFileByteSink::Create(const char* pszPath) noexcept
{
    if (m_hFile || !pszPath)
        return false;
    return Open(::CreateFileA(pszPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr));
}

bool CFileByteSink::Create(const wchar_t* pszPath) noexcept
{
    if (m_hFile || !pszPath)
        return false;
    return Open(::CreateFileW(pszPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr));
}

bool CFileByteSink::Open(HANDLE hFile) noexcept
{
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    m_hFile.reset(hFile);
    m_pBuffer.reset(new (std::nothrow) char[kBufferSize]);
    if (!m_pBuffer)
    {
        m_hFile.reset();
        return false;
    }
    m_cbBuffered = 0;
    m_bFailed = false;
    return true;
}

bool CFileByteSink::Flush() noexcept
{
    const char* p = m_pBuffer.get();
    size_t cb = m_cbBuffered;
    m_cbBuffered = 0;
    while (cb > 0 && !m_bFailed)
    {
        DWORD cbWritten = 0;
        if (!::WriteFile(m_hFile.get(), p, static_cast<DWORD>(cb), &cbWritten, nullptr) ||
            cbWritten == 0)
            m_bFailed = true;
        p += cbWritten;
        cb -= cbWritten;
    }
    return !m_bFailed;
}

bool CFileByteSink::Write(const void* pData, size_t cb) noexcept
{
    if (!m_hFile || m_bFailed)
        return false;
    const char* p = static_cast<const char*>(pData);
    while (cb > 0)
    {
        if (m_cbBuffered == kBufferSize && !Flush())
            return false;
        const size_t cbChunk = cb < kBufferSize - m_cbBuffered ? cb : kBufferSize - m_cbBuffered;
        std::memcpy(m_pBuffer.get() + m_cbBuffered, p, cbChunk);
        m_cbBuffered += cbChunk;
        p += cbChunk;
        cb -= cbChunk;
    }
    return true;
}

bool CFileByteSink::Close() noexcept
{
    if (!m_hFile)
        return !m_bFailed;
    Flush();
    if (!::CloseHandle(m_hFile.release()))
        m_bFailed = true;
    m_pBuffer.reset();
    return !m_bFailed;
}

} // namespace corvasin

// CFileByteSink: a byte sink into a new file on disk, written through a buffer so that a key
// tree of many short lines costs few system calls.
#pragma once

#include "core/Handles.h"
#include "registry/ByteSink.h"

#include <memory>

namespace corvasin
{

// Owns its file handle; the destructor writes what is buffered and closes the file.
class CFileByteSink : public CByteSink
{
public:
    CFileByteSink() noexcept = default;
    ~CFileByteSink() override;

    // Creates the file for writing, not shared; an existing file is emptied. False when the
    // file cannot be created (or a file is already open).
    bool Create(const char* pszPath) noexcept;
    bool Create(const wchar_t* pszPath) noexcept;
    bool Write(const void* pData, size_t cb) noexcept override;
    using CByteSink::Write;
    // Writes what is buffered and closes the file; false when any write failed.
    bool Close() noexcept;

    bool IsOpen() const noexcept { return static_cast<bool>(m_hFile); }

private:
    bool Open(HANDLE hFile) noexcept;
    bool Flush() noexcept;

    static constexpr size_t kBufferSize = 64 * 1024;
    UniqueHandle m_hFile;
    std::unique_ptr<char[]> m_pBuffer;
    size_t m_cbBuffered = 0;
    bool m_bFailed = false;
};

} // namespace corvasin

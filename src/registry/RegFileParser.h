// Reading a registration file into the changes it asks for: key creations and tree deletions,
// values set (type and the exact bytes the registry gets) and values deleted, each with its
// line, and every line that cannot be read for certain. Pure: nothing here touches the registry.
#pragma once

#include <windows.h>
#include <cstddef>
#include <string>
#include <vector>

namespace corvasin
{

// Larger files are refused whole (one error, no operations): no export of ours comes near it,
// and a file of this size already costs its double in memory while it is read.
inline constexpr size_t kMaxRegFileBytes = 64u << 20;
// Past this many errors the rest of the file is not looked at.
inline constexpr size_t kMaxRegFileErrors = 100;
// An error quotes at most this many characters of its line.
inline constexpr size_t kMaxRegFileErrorText = 80;

enum class RegFileOperationKind
{
    CreateKey, // [HKEY_...\path]: the key and every key above it
    DeleteKeyTree, // [-HKEY_...\path]: the key and everything below it
    SetValue, // "name"=data, @=data
    DeleteValue, // "name"=-, @=-
};

struct RegFileOperation
{
    RegFileOperationKind kind = RegFileOperationKind::CreateKey;
    UINT nLine = 0; // 1-based; a value continued over several lines has its first
    HKEY hRootKey = nullptr; // a predefined key that files name
    std::wstring keyPath; // below the root, "\" between names; empty: the root itself
    std::wstring valueName; // empty: the unnamed value
    DWORD dwType = REG_NONE; // SetValue only
    std::vector<BYTE> data; // SetValue only: the bytes as the registry editor stores them
};

struct RegFileError
{
    UINT nLine = 0; // 1-based; 0: the file as a whole
    std::string message; // short, English
    std::wstring text; // the line, cut to kMaxRegFileErrorText characters
};

struct RegFileContents
{
    bool bUnicode = false; // the UTF-16 form ("Windows Registry Editor Version 5.00")
    std::vector<RegFileOperation> operations; // in file order
    std::vector<RegFileError> errors; // in the order found (whole-file ones last)
    bool bIncomplete = false; // memory ran out: operations and errors are incomplete

    // A file with errors is never written, not even the lines read well: the errors may stand
    // for a damaged or cut file, and the lines before them may depend on what follows.
    bool HasErrors() const noexcept { return !errors.empty() || bIncomplete; }
};

// Reads the bytes of one file: "REGEDIT4" in the ANSI code page, or "Windows Registry Editor
// Version 5.00" in UTF-16LE with its byte order mark. What is read here the registry editor's
// silent import ("regedit /s") reads the same way, to the same bytes; what it reads in more
// than one way, or only by leaving something out, is an error here.
// E_INVALIDARG for null bytes with a length, E_OUTOFMEMORY (bIncomplete set); otherwise S_OK,
// whatever the file holds.
HRESULT ParseRegFile(const void* pData, size_t cb, RegFileContents& contents) noexcept;

} // namespace corvasin

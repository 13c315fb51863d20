// The export file: the form, the header, the body.
#include "registry/ExportFile.h"

#include "registry/RegFileText.h"
#include "registry/RegFileWriter.h"
#include "registry/Utf16ByteSink.h"

namespace corvasin
{

bool WriteExportFile(CRegkeyExtension& folder, UINT cidl, LPCITEMIDLIST* apidl, bool bInverse,
                     CByteSink& file) noexcept
{
    const bool bUnicode = ExportNeedsUnicode(folder, cidl, apidl, bInverse);
    CUtf16ByteSink unicodeFile(file);
    CByteSink& text = bUnicode ? static_cast<CByteSink&>(unicodeFile) : file;
    const bool bHeader = bUnicode ? WriteUnicodeRegFileHeader(text) : WriteRegFileHeader(text);
    return bHeader && WriteExportBody(folder, cidl, apidl, bInverse, text, bUnicode);
}

} // namespace corvasin

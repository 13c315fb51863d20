// The files a data object carries as dropped files (CF_HDROP), as a folder that takes some
// kinds of files needs them.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <string>
#include <vector>

namespace corvasin
{

// Their paths, when the data object carries dropped files and every one's name ends in the
// extension (".reg"; compared without regard to case); empty otherwise.
std::vector<std::wstring> DroppedFilesNamed(IDataObject* pDataObject, const wchar_t* pszExtension) noexcept;

} // namespace corvasin

// The state of a registry tree, for comparing it before and after a change, and the system's
// registry editor merging a file into the registry ("regedit.exe /s" in the test prefix).
#pragma once

#include <windows.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace corvasin::test
{

using Value = std::pair<DWORD, std::vector<BYTE>>;
// Every key below the start by its path (the start is ""), with its values by name.
using Snapshot = std::map<std::string, std::map<std::string, Value>>;

// The tree of HKEY_CURRENT_USER\<path>; empty when the key is not there.
Snapshot SnapKey(const std::string& path);
// A file in the temporary folder.
std::string TempFile(const char* pszName);
// Runs the registry editor on the file, silently, and waits for it; its exit code.
DWORD ImportRegFile(const std::string& file);
// Compares value by value, so that a failure names what differs.
void ExpectSameTree(const Snapshot& actual, const Snapshot& expected);

} // namespace corvasin::test

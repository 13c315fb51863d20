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

// The tree of <root>\<path>; empty when the key is not there.
Snapshot SnapKey(const std::string& path, HKEY hRoot = HKEY_CURRENT_USER);
// A file in the temporary folder.
std::string TempFile(const char* pszName);
// Runs a command line and waits up to a minute; its exit code, ~0u when it cannot start or does
// not end in time.
DWORD RunAndWait(std::string commandLine);
// Runs the registry editor on the file, silently, and waits for it; its exit code.
DWORD ImportRegFile(const std::string& file);
// Compares value by value, so that a failure names what differs.
void ExpectSameTree(const Snapshot& actual, const Snapshot& expected);

} // namespace corvasin::test

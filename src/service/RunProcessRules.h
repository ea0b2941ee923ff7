// The path and command-line rules of the service's remote "start a program" request. Portable.
#pragma once

#include <string>

// True when the text contains "/..", "\..", "../" or "..\", or is "..": a step out of the folder it is joined to.
bool HasParentStep(const std::wstring& relative);

// True when `path` (already made absolute) lies inside `folder` (absolute, ending with a separator), compared
// without regard to case; the folder itself does not count.
bool IsInsideFolder(const std::wstring& path, const std::wstring& folder);

// "\"exe\" params": the parameters follow the quoted path after one space, even when they are empty.
std::wstring BuildLaunchCommandLine(const std::wstring& exe, const std::wstring& params);

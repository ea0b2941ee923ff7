// Text rules for Windows paths. Portable: nothing here touches the file system.
#pragma once

#include <string>

// Up to and including the last backslash or slash; empty if there is none.
std::wstring GetDirPart(const std::wstring& path);

// The text after the last separator (a slash counts as a backslash); the whole text if there is none.
std::wstring GetFileNamePart(const std::wstring& path);

// Cuts the path before its last backslash, dropping the backslash; empty if there is none.
// Only a backslash counts here, not a slash.
void CutLastComponent(std::wstring& path);

// Appends a backslash unless the path already ends with a backslash or a slash; "" becomes "\".
void EnsureTrailingSlash(std::wstring& path);

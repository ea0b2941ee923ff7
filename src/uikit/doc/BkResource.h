// Finding the data of UI documents and images: the program's own resources first (type name and integer id),
// then a file named "<id>.<type>" in the resource folder. Windows only; any thread.
#pragma once

#include <string>
#include <vector>

// Where the fallback files live, without a trailing backslash. Empty by default, which makes the path
// "\<id>.<type>": the root of the current drive.
void BkSetResourceFolder(const std::wstring& folder);
std::wstring BkGetResourceFolder();

// The bytes of (id, type), for example (10000, L"xml"): the resource of the running program, else the file.
// False when neither exists (or the file cannot be read).
bool BkFindResourceData(int id, const wchar_t* type, std::string& data);

// Every document stored for (id, type): the program's resource first, then the file when it exists.
std::vector<std::string> BkCollectResourceData(int id, const wchar_t* type);

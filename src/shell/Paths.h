// Where the program and its files live. Windows only; any thread. Directory texts end with a backslash.
#pragma once

#include <string>

// The folder of the running executable; empty if the module name has no separator.
std::wstring GetExeDir();

// True when the path exists at the end (as anything: an existing file counts). Missing parents are made first;
// gives up when the parent text becomes empty (a drive that does not exist).
bool CreateDirTree(const std::wstring& path);

// As CreateDirTree, but a plain file sitting at the path itself is deleted first (read-only or not), and the
// answer is true only when a directory stands there at the end.
bool CreateDirTreeReplacingFile(const std::wstring& path);

// HKLM "SOFTWARE\Velmora\setup" "installpath" (the process's default view) with a trailing backslash; empty when
// the value is missing, empty or not a string.
std::wstring GetInstallPath();

// "<best drive>:\velmoraDownload\" (see ChooseDownloadRoot), made if missing; "velmoraDownload\" relative to the
// current directory when no drive qualifies.
std::wstring GetDownloadDir();

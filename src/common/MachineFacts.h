// Facts about the machine other than the OS code. Windows only; every function may be called from any thread.
#pragma once

#include <string>

// 1: 32-bit system, 2: 64-bit system (also when asked by a 32-bit process). Cached.
int GetArchitecture();

// HKLM "SOFTWARE\Microsoft\Windows NT\CurrentVersion" "CurrentBuildNumber" as a number; false if the value is
// missing or empty.
bool GetCurrentBuildNumber(int& build);

// RtlGetNtVersionNumbers, with the flag bits of the build number cleared; false if ntdll has no such export.
bool GetNtVersionNumbers(unsigned long& major, unsigned long& minor, unsigned long& build);

// The fixed file version of the file's version resource: high = dwFileVersionMS, low = dwFileVersionLS.
// False if the file has no version resource.
bool GetFileVersion(const std::wstring& file, unsigned long& high, unsigned long& low);

// The .NET Framework 4 client profile: HKLM "SOFTWARE\Microsoft\NET Framework Setup\NDP\v4\Client" "Install" is
// the REG_DWORD 1.
bool IsDotNet4ClientInstalled();

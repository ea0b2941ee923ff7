// Helpers of the service tests: the service's folder with its companions, child programs, the real service
// control manager. Windows only.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "common/ScopedWin.h"

namespace svctest {

inline const wchar_t kServiceName[] = L"KMerrowSerivce";
inline const wchar_t kSetupKey[] = L"software\\Velmora\\setup";

// A build path from CMake (a host path under Wine) as a Windows path.
std::wstring BuildPath(const char* hostPath);

// Creates `dir` afresh with the service program, rerizo.dll, rerizo_call.exe, orrin_crash.dll, update.exe and,
// when asked, update.exe copied as velmora.exe.
bool PrepareServiceDir(const std::wstring& dir, bool withVelmora);

// Runs a command line, waits up to the timeout and answers the exit code (~0u when it could not run or did not
// end). Standard output is captured when asked.
DWORD RunProgram(const std::wstring& commandLine, DWORD timeoutMs = 30000, std::string* output = nullptr);

std::string ReadWholeFile(const std::wstring& path);
bool FileExists(const std::wstring& path);
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// The 32-bit view of HKLM\software\Velmora\setup "needWriteLog": kind REG_DWORD or REG_SZ, or 0 to delete it.
void SetLogSwitch(DWORD kind, DWORD value);

// Makes sure a user shell (explorer.exe) runs, as when a user is logged on: Wine starts it with the desktop
// window, and without a session list the service takes the user's token from it.
bool EnsureUserShellRunning();

bool ServiceExists();
// Current state and Win32 exit code; false when the service is not there.
bool QueryService(DWORD& state, DWORD& exitCode);
std::wstring ServiceBinaryPath();
bool StartServiceNow();
bool StopService();
// Stops the service, waits for it, deletes it and waits until it is gone. Safe when it does not exist.
void RemoveServiceCompletely();

}  // namespace svctest

// Starting the crash monitor library, the same way in both programs. Windows only.
#pragma once

#include <string>

// HKLM "SOFTWARE\Classes\CLSID\{BF56FF80-...}\Implemented Categories\{C376DC05-...}" "uuid" (32-bit view, any
// value type, at most 63 characters); the fixed default identifier when it cannot be read.
std::wstring ReadInstallationId();

// Loads "orrin_crash.dll" by bare name and, when it exports OrrinCrashOpenMonitor, calls it on a new thread with
// (1, installation id, 0x12000, 300). Waits 10 ms for the thread to get going and never frees the library.
// Answers whether the thread was started; a missing library or export is not an error anyone sees.
bool StartCrashMonitor();

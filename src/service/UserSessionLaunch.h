// Starting a program in the interactive user's session, on the user's desktop, with the user's own token.
// Windows only; any thread; meant for the service (LocalSystem), which may ask for the user's token.
#pragma once

#include <string>

#include "common/ScopedWin.h"

struct UserLaunchOptions {
    int show = 0;  // SW_HIDE for the scheduled programs, SW_SHOW for requested ones
    // Whether the system counts as Vista or later (session token first, no Windows 2000 rules).
    bool vistaOrLater = true;
    // Use the elevated half of a split administrator token when there is one. Off for programs named by an
    // outside caller: they run with the user's normal rights, never more.
    bool allowLinkedToken = true;
};

// The interactive user's primary token: the first active session's user token, else the first "explorer.exe"'s
// token. Never the service's own: without a user token this fails.
bool AcquireInteractiveUserToken(const UserLaunchOptions& options, ScopedHandle& token);

// CreateProcessAsUserW with the command line as given, the user's environment, desktop "Winsta0\Default" and
// a new console. On success the handles are handed over when asked for, else closed.
bool LaunchCommandInUserSession(const std::wstring& commandLine, const UserLaunchOptions& options,
                                ScopedHandle* process = nullptr, ScopedHandle* thread = nullptr);

// "\"exe\" params", window hidden, with the rules of the scheduled workers (Vista and later by major version).
bool LaunchInUserSession(const std::wstring& exe, const std::wstring& params, int show);

// The running Windows version as one small code (see the values below), and the rule that derives it.
#pragma once

// Values of the OS code.
enum OsVersionCode {
    kOsUnknown = 0,        // not classified, also a domain controller of 6.2 or later
    kOsWin9x = 1,          // 95/98, below 4.90
    kOsWinMe = 2,          // 9x family from 4.90
    kOsWin2000 = 3,        // 5.0
    kOsWinNT4 = 4,         // major version 4 or less
    kOsWinXP64 = 5,        // XP x64 / Server 2003 (5.2)
    kOsWinXP = 6,          // 5.1
    kOsWinVista = 7,       // 6.0 workstation
    kOsWin7 = 8,           // 6.1 workstation
    kOsWinServer2008 = 9,  // 6.0 or 6.1, not workstation
    kOsWin8 = 10,          // 6.2, and whatever the true version does not name
    kOsWin81 = 11,         // 6.3
    kOsWin10 = 12,         // 6.4, or 10.0 below build 21996
    kOsWin11 = 13,         // 10.0 from build 21996
};

// What GetVersionExW reported (values of OSVERSIONINFOEXW; productType 0 when only the basic structure answered).
struct ReportedOsVersion {
    bool answered = false;
    unsigned long platformId = 0;  // 1: 9x, 2: NT
    unsigned long major = 0;
    unsigned long minor = 0;
    unsigned long build = 0;
    unsigned char productType = 0;  // 1: workstation, 2: domain controller, 3: server
};

// The version the system really is, which GetVersionExW hides from programs that do not declare newer systems.
struct TrueOsVersion {
    unsigned long major = 0;
    unsigned long minor = 0;
    unsigned long build = 0;
};

// Whether ClassifyOsVersion will look at the true version for this report (6.2 and later, not a domain
// controller), so that callers only look it up when it matters.
bool NeedsTrueOsVersion(const ReportedOsVersion& reported);

// Pure classification into an OsVersionCode value.
int ClassifyOsVersion(const ReportedOsVersion& reported, const TrueOsVersion& trueVersion);

// Windows only. The code of the running system, cached once it is not 0. Any thread.
int GetOsVersionCode();

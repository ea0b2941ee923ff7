#include "common/OsVersion.h"

namespace {

constexpr unsigned long kPlatform9x = 1;
constexpr unsigned long kPlatformNT = 2;
constexpr unsigned char kWorkstation = 1;
constexpr unsigned char kServer = 3;

// Windows 11 kept the version number 10.0; only the build tells it apart.
constexpr unsigned long kFirstWindows11Build = 21996;

bool IsNewerThanWindows7(const ReportedOsVersion& r) { return r.major > 6 || (r.major == 6 && r.minor >= 2); }

int ClassifyTrueVersion(const TrueOsVersion& v) {
    if (v.major == 6) {
        switch (v.minor) {
            case 2:
                return kOsWin8;
            case 3:
                return kOsWin81;
            case 4:
                return kOsWin10;
            default:
                return kOsWin8;
        }
    }
    if (v.major == 10 && v.minor == 0) return (v.build & 0xFFFF) >= kFirstWindows11Build ? kOsWin11 : kOsWin10;
    return kOsWin8;
}

int ClassifyNT(const ReportedOsVersion& r, const TrueOsVersion& trueVersion) {
    const bool workstation = r.productType == kWorkstation;
    if (r.major <= 4) return kOsWinNT4;
    if (r.major == 5) {
        switch (r.minor) {
            case 0:
                return kOsWin2000;
            case 1:
                return kOsWinXP;
            case 2:
                return kOsWinXP64;
            default:
                return kOsUnknown;
        }
    }
    if (r.major == 6 && r.minor == 0) return workstation ? kOsWinVista : kOsWinServer2008;
    if (r.major == 6 && r.minor == 1) return workstation ? kOsWin7 : kOsWinServer2008;
    if (NeedsTrueOsVersion(r)) return ClassifyTrueVersion(trueVersion);
    return kOsUnknown;  // a domain controller (2), or no product type known
}

}  // namespace

bool NeedsTrueOsVersion(const ReportedOsVersion& r) {
    return r.answered && r.platformId == kPlatformNT && IsNewerThanWindows7(r) &&
           (r.productType == kWorkstation || r.productType == kServer);
}

int ClassifyOsVersion(const ReportedOsVersion& reported, const TrueOsVersion& trueVersion) {
    if (!reported.answered) return kOsUnknown;
    switch (reported.platformId) {
        case kPlatform9x:
            // The 9x build field carries the version in its high word: 4.90 is 0x045A.
            return (reported.build >> 16) < 0x045A ? kOsWin9x : kOsWinMe;
        case kPlatformNT:
            return ClassifyNT(reported, trueVersion);
        default:
            return kOsUnknown;
    }
}

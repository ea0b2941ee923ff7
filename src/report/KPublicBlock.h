// The public record sent ahead of every event record: who the installation is and what it runs on.
// Portable: the values are gathered elsewhere (KInfocPublicInfo on Windows) and only encoded here.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/KTime.h"
#include "report/ReportRecord.h"

namespace KDirectInfoc {

inline constexpr uint16_t kPublicTableNumber = 1;
inline constexpr int kDefaultTryNo = 1000;

struct KPublicFacts {
    std::array<uint8_t, 16> installId{};
    int32_t tid1 = 0;
    int32_t tid2 = 0;
    int32_t tod1 = 0;
    int32_t tod2 = 0;
    int tryNo = kDefaultTryNo;
    int32_t iid = 0;
    uint32_t now = 0;  // seconds since 1970
    int32_t version = 0;
    // Texts already in the ANSI code page.
    std::string svrid;
    std::string installTime;
    std::string systemCode;
};

// Table 1, never cached. Built finished.
class KPublicBlock : public KInstallSerialize {
public:
    explicit KPublicBlock(const KPublicFacts& facts);
};

// 32 hexadecimal digits, two per byte, high digit first; anything else gives 16 zero bytes.
std::array<uint8_t, 16> ParseInstallationId(std::wstring_view uuid);

// An svrid outside 27..41 characters is not one.
bool IsUsableSvrid(std::wstring_view svrid);

// From the OS version code and the 64-bit flag: V for 1..5, 2V - 5 + x64 for 6..13, otherwise 0.
int SystemCodeFor(int osVersionCode, bool x64);

// A: "Version" of [Common] (lower-cased, first two characters dropped, "." and "sp" removed); B: the last six
// characters of "version" of [infos]. The decimal value of A followed by B without its last two characters;
// 0 when either is empty.
int32_t ComputeVersionNumber(std::wstring_view commonVersion, std::wstring_view infosVersion);

// "%d-%d-%d %d:%d:%d" of the local calendar time.
std::string FormatInstallTime(const KCalendarTime& local);

}  // namespace KDirectInfoc

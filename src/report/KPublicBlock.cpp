#include "report/KPublicBlock.h"

#include <climits>
#include <cstdio>
#include <cwctype>

namespace KDirectInfoc {

KPublicBlock::KPublicBlock(const KPublicFacts& facts) : KInstallSerialize(kPublicTableNumber) {
    SetSaveFlag(false);
    WriteBinary(facts.installId.data(), facts.installId.size());
    WriteInt(static_cast<uint32_t>(facts.tid1));
    WriteInt(static_cast<uint32_t>(facts.tid2));
    WriteInt(static_cast<uint32_t>(facts.tod1));
    WriteInt(static_cast<uint32_t>(facts.tod2));
    WriteByte(1);
    WriteShort(static_cast<uint16_t>(facts.tryNo == 0 ? 6100 : facts.tryNo));
    WriteInt(static_cast<uint32_t>(facts.iid));
    WriteInt(facts.now);
    WriteInt(static_cast<uint32_t>(facts.version));
    WriteStringBytes(facts.svrid, false);
    WriteStringBytes("1", false);
    WriteStringBytes(facts.installTime, false);
    WriteStringBytes(facts.systemCode, false);
    WriteStringBytes("", false);
    WriteStringBytes("", false);
    Finish();
}

std::array<uint8_t, 16> ParseInstallationId(std::wstring_view uuid) {
    std::array<uint8_t, 16> id{};
    if (uuid.size() != 32) return id;
    std::array<uint8_t, 16> parsed{};
    for (size_t i = 0; i < 32; ++i) {
        const wchar_t c = static_cast<wchar_t>(std::towupper(uuid[i]));
        int digit;
        if (c >= L'0' && c <= L'9') {
            digit = c - L'0';
        } else if (c >= L'A' && c <= L'F') {
            digit = c - L'A' + 10;
        } else {
            return id;
        }
        parsed[i / 2] = static_cast<uint8_t>(parsed[i / 2] | (i % 2 == 0 ? digit << 4 : digit));
    }
    return parsed;
}

bool IsUsableSvrid(std::wstring_view svrid) { return svrid.size() >= 27 && svrid.size() <= 41; }

int SystemCodeFor(int osVersionCode, bool x64) {
    if (osVersionCode >= 1 && osVersionCode <= 5) return osVersionCode;
    if (osVersionCode >= 6 && osVersionCode <= 13) return 2 * osVersionCode - 5 + (x64 ? 1 : 0);
    return 0;
}

int32_t ComputeVersionNumber(std::wstring_view commonVersion, std::wstring_view infosVersion) {
    if (commonVersion.empty() || infosVersion.empty()) return 0;
    std::wstring a;
    for (wchar_t c : commonVersion) a += static_cast<wchar_t>(std::towlower(c));
    a.erase(0, 2);
    for (size_t pos; (pos = a.find(L'.')) != std::wstring::npos;) a.erase(pos, 1);
    for (size_t pos; (pos = a.find(L"sp")) != std::wstring::npos;) a.erase(pos, 2);
    const std::wstring_view b = infosVersion.size() > 6 ? infosVersion.substr(infosVersion.size() - 6) : infosVersion;
    std::wstring digits = a + std::wstring(b);
    if (digits.size() <= 2) return 0;
    digits.resize(digits.size() - 2);

    // Decimal value the way the C runtime reads it: optional sign, digits up to the first other character.
    size_t i = 0;
    bool negative = false;
    if (i < digits.size() && (digits[i] == L'+' || digits[i] == L'-')) negative = digits[i++] == L'-';
    long long value = 0;
    for (; i < digits.size() && digits[i] >= L'0' && digits[i] <= L'9'; ++i) {
        value = value * 10 + (digits[i] - L'0');
        if (value > static_cast<long long>(INT_MAX) + 1) break;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int32_t>(value);
}

std::string FormatInstallTime(const KCalendarTime& local) {
    char text[64];
    std::snprintf(text, sizeof(text), "%d-%d-%d %d:%d:%d", local.year, local.month, local.day, local.hour, local.minute,
                  local.second);
    return text;
}

}  // namespace KDirectInfoc

#include "report/ReportPayload.h"

#include <zlib.h>

#include <algorithm>
#include <cwchar>

#include "common/KIniWrapEx.h"

namespace KDirectInfoc {

namespace {

void AppendLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

uint32_t ReadLe(const std::vector<uint8_t>& in, size_t at, int bytes) {
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) value |= static_cast<uint32_t>(in[at + i]) << (8 * i);
    return value;
}

}  // namespace

uint32_t ReportCrc32(uint32_t crc, const uint8_t* bytes, size_t length) {
    // zlib takes the length as uInt; feed it in pieces so nothing is cut.
    while (length > 0) {
        const uInt piece = length > 0x40000000u ? 0x40000000u : static_cast<uInt>(length);
        crc = static_cast<uint32_t>(crc32(crc, bytes, piece));
        bytes += piece;
        length -= piece;
    }
    return crc;
}

bool BuildReportPayload(const std::vector<const std::vector<uint8_t>*>& records, std::vector<uint8_t>& payload) {
    payload.clear();
    size_t total = kPayloadHeaderBytes;
    uint32_t crc = 0;
    for (const auto* record : records) {
        total += record->size();
        crc = ReportCrc32(crc, record->data(), record->size());
    }
    if (total > 0xFFFF || records.size() > 0xFFFF) return false;
    payload.reserve(total);
    AppendLe(payload, static_cast<uint32_t>(total), 2);
    payload.push_back(kPayloadVersion);
    AppendLe(payload, kPayloadMagic, 4);
    AppendLe(payload, static_cast<uint32_t>(records.size()), 2);
    AppendLe(payload, crc, 4);
    for (const auto* record : records) payload.insert(payload.end(), record->begin(), record->end());
    return true;
}

bool IsAcceptedAnswer(const std::vector<uint8_t>& answer) {
    if (answer.size() < 7) return false;
    if (ReadLe(answer, 0, 2) != answer.size()) return false;
    if (answer[2] != kPayloadVersion) return false;
    if (ReadLe(answer, 3, 4) != ReportCrc32(0, answer.data() + 7, answer.size() - 7)) return false;

    // The keys that matter are ASCII, so each ANSI byte may stand for itself.
    std::wstring text;
    bool started = false;
    for (size_t i = 7; i < answer.size(); ++i) {
        if (!started && answer[i] != '[') continue;
        started = true;
        text += static_cast<wchar_t>(answer[i]);
    }
    if (!started) return false;
    std::replace(text.begin(), text.end(), L'\r', L'\n');
    KIniWrapEx ini;
    ini.Parse(text);  // a bad line further on does not undo what was read before it
    return ini.GetString(L"common", L"result") == L"1";
}

std::vector<uint8_t> BuildServerAnswer(const std::string& text) {
    std::vector<uint8_t> answer;
    const uint32_t total = static_cast<uint32_t>(7 + text.size());
    AppendLe(answer, total, 2);
    answer.push_back(kPayloadVersion);
    AppendLe(answer, ReportCrc32(0, reinterpret_cast<const uint8_t*>(text.data()), text.size()), 4);
    answer.insert(answer.end(), text.begin(), text.end());
    return answer;
}

std::wstring CacheFileName(uint16_t tableNumber, uint32_t crc, uint32_t seconds, uint32_t tickModulo) {
    wchar_t name[64];
    std::swprintf(name, 64, L"%d-%x-%x-%x.ich", static_cast<int>(tableNumber), static_cast<unsigned>(crc),
                  static_cast<unsigned>(seconds), static_cast<unsigned>(tickModulo));
    return name;
}

}  // namespace KDirectInfoc

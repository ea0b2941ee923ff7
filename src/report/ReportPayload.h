// The upload payload around finished records, the collection server's answer, and the cache file name.
// Portable (zlib for CRC-32).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace KDirectInfoc {

inline constexpr size_t kPayloadHeaderBytes = 13;
inline constexpr uint8_t kPayloadVersion = 2;
inline constexpr uint32_t kPayloadMagic = 20;

// CRC-32 with zlib's polynomial, continuing from `crc` (0 to start).
uint32_t ReportCrc32(uint32_t crc, const uint8_t* bytes, size_t length);

// Header (total length, 2, 20, record count, CRC-32 chained over the records) followed by the records in order.
// False, with `payload` empty, when the total does not fit the 16-bit length field: such a payload would
// reach the server with a wrong length.
bool BuildReportPayload(const std::vector<const std::vector<uint8_t>*>& records, std::vector<uint8_t>& payload);

// Accepted only when the first two bytes equal the answer's length, the third is 2, the CRC-32 of the text
// after the 7-byte header matches, and that text (INI, read from its first '[') has result=1 in [common]
// (names in any case).
bool IsAcceptedAnswer(const std::vector<uint8_t>& answer);

// The answer the collection server gives for an INI text (used by tests and by local servers).
std::vector<uint8_t> BuildServerAnswer(const std::string& text);

// "<table>-<crc hex>-<seconds hex>-<tick hex>.ich", the name part under the cache folder.
std::wstring CacheFileName(uint16_t tableNumber, uint32_t crc, uint32_t seconds, uint32_t tickModulo);

}  // namespace KDirectInfoc

// The messages rerizo.dll sends over its pipe. Portable; every decoder check matters, since the serving side
// may run as LocalSystem and anyone on the machine may write to it.
//
// Request: "RZQ1", u32 count of texts, then each text as u32 length in UTF-16 units and the units (little
// endian). The texts are the interface name, the method name, then key and value pairs.
// Answer: "RZA1", i32 status (easyipc::kIpc*), i32 result.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace rerizo {

inline constexpr size_t kMaxMessageBytes = 64 * 1024;

struct WireRequest {
    std::u16string interfaceName;
    std::u16string methodName;
    std::vector<std::pair<std::u16string, std::u16string>> values;
};

struct WireAnswer {
    int32_t status = 0;
    int32_t result = 0;
};

std::vector<uint8_t> EncodeRequest(const WireRequest& request);
// False on anything malformed: wrong magic, odd counts, lengths past the end, bytes left over, too large.
bool DecodeRequest(const uint8_t* data, size_t size, WireRequest& request);

std::vector<uint8_t> EncodeAnswer(const WireAnswer& answer);
bool DecodeAnswer(const uint8_t* data, size_t size, WireAnswer& answer);

}  // namespace rerizo

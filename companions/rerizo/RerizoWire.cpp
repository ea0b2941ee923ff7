#include "RerizoWire.h"

namespace rerizo {
namespace {

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutText(std::vector<uint8_t>& out, const std::u16string& text) {
    PutU32(out, static_cast<uint32_t>(text.size()));
    for (char16_t c : text) {
        out.push_back(static_cast<uint8_t>(c & 0xFF));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
}

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool U32(uint32_t& v) {
        if (m_size - m_pos < 4) return false;
        v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(m_data[m_pos + i]) << (8 * i);
        m_pos += 4;
        return true;
    }
    bool Text(std::u16string& text) {
        uint32_t length = 0;
        if (!U32(length) || (m_size - m_pos) / 2 < length) return false;
        text.resize(length);
        for (uint32_t i = 0; i < length; ++i) {
            text[i] = static_cast<char16_t>(m_data[m_pos] | (m_data[m_pos + 1] << 8));
            m_pos += 2;
        }
        return true;
    }
    bool Magic(const char* magic) {
        if (m_size - m_pos < 4) return false;
        for (int i = 0; i < 4; ++i) {
            if (m_data[m_pos + i] != static_cast<uint8_t>(magic[i])) return false;
        }
        m_pos += 4;
        return true;
    }
    bool AtEnd() const { return m_pos == m_size; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

}  // namespace

std::vector<uint8_t> EncodeRequest(const WireRequest& request) {
    std::vector<uint8_t> out = {'R', 'Z', 'Q', '1'};
    PutU32(out, static_cast<uint32_t>(2 + 2 * request.values.size()));
    PutText(out, request.interfaceName);
    PutText(out, request.methodName);
    for (const auto& [key, value] : request.values) {
        PutText(out, key);
        PutText(out, value);
    }
    return out;
}

bool DecodeRequest(const uint8_t* data, size_t size, WireRequest& request) {
    if (!data || size > kMaxMessageBytes) return false;
    Reader reader(data, size);
    uint32_t count = 0;
    if (!reader.Magic("RZQ1") || !reader.U32(count) || count < 2 || count % 2 != 0) return false;
    // Each text takes at least four bytes: a count that cannot fit is refused before anything is reserved.
    if (count > size / 4) return false;
    WireRequest decoded;
    if (!reader.Text(decoded.interfaceName) || !reader.Text(decoded.methodName)) return false;
    for (uint32_t i = 2; i < count; i += 2) {
        std::u16string key, value;
        if (!reader.Text(key) || !reader.Text(value)) return false;
        decoded.values.emplace_back(std::move(key), std::move(value));
    }
    if (!reader.AtEnd()) return false;
    request = std::move(decoded);
    return true;
}

std::vector<uint8_t> EncodeAnswer(const WireAnswer& answer) {
    std::vector<uint8_t> out = {'R', 'Z', 'A', '1'};
    PutU32(out, static_cast<uint32_t>(answer.status));
    PutU32(out, static_cast<uint32_t>(answer.result));
    return out;
}

bool DecodeAnswer(const uint8_t* data, size_t size, WireAnswer& answer) {
    if (!data) return false;
    Reader reader(data, size);
    uint32_t status = 0, result = 0;
    if (!reader.Magic("RZA1") || !reader.U32(status) || !reader.U32(result) || !reader.AtEnd()) return false;
    answer.status = static_cast<int32_t>(status);
    answer.result = static_cast<int32_t>(result);
    return true;
}

}  // namespace rerizo

// libFuzzer target for the report code that meets foreign bytes: the collection server's answer, and schema
// texts with arbitrary values. Input: schema line, '\n', value bytes; the whole input is also tried as an answer.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/Utf8.h"
#include "report/ReportPayload.h"
#include "report/ReportRecord.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

class Source {
public:
    Source(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    uint8_t Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    int64_t Number() {
        uint64_t v = 0;
        for (int i = 0; i < 8; ++i) v = v << 8 | Byte();
        return static_cast<int64_t>(v);
    }
    std::wstring Text() {
        const size_t n = Byte() * 300u;  // long enough to reach the 16-bit limit now and then
        std::wstring text;
        for (size_t i = 0; i < n; ++i) text += static_cast<wchar_t>(0x20 + Byte() * 129);
        return text;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

// The bytes each filled field takes, as a receiver reading the record by its schema would count them.
size_t FieldBytes(const std::wstring& type, const std::vector<uint8_t>& record, size_t at) {
    if (type == L"byte") return 1;
    if (type == L"short") return 2;
    if (type == L"int") return 4;
    if (type == L"int64") return 8;
    Check(at + 2 <= record.size());
    return 2 + (record[at] | record[at + 1] << 8);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    KDirectInfoc::IsAcceptedAnswer(std::vector<uint8_t>(data, data + size));

    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const size_t newline = all.find('\n');
    if (newline == std::string_view::npos) return 0;
    const std::wstring schema = Utf8ToWide(all.substr(0, newline));
    Source source(data + newline + 1, size - newline - 1);

    Reporter::ReportInfocData record;
    if (!record.SetSchema(schema.c_str())) return 0;
    for (const auto& field : record.Fields()) {
        switch (source.Byte() % 4) {
            case 0:
                record.AddNumber(field.name.c_str(), static_cast<int32_t>(source.Number()));
                break;
            case 1:
                record.AddNumber64(field.name.c_str(), source.Number());
                break;
            case 2:
                record.AddString(field.name.c_str(), source.Text().c_str());
                break;
            default: {
                std::vector<uint8_t> bytes(source.Byte() * 200u, 0x5A);
                record.AddBinary(field.name.c_str(), bytes.data(), static_cast<int>(bytes.size()));
            }
        }
    }
    if (!record.Encode()) return 0;
    const auto serializer = record.TakeSerializer();
    const std::vector<uint8_t>& bytes = serializer->Record();

    // Walking the filled fields by their lengths must land exactly on the record's end.
    const auto& fields = serializer->Fields();
    size_t bits = 0;
    for (size_t i = 0; i < serializer->Cursor(); ++i) bits += fields[i].type == L"bit";
    size_t at = 2 + (bits + 7) / 8;
    Check(at <= bytes.size());
    for (size_t i = 0; i < serializer->Cursor(); ++i) {
        if (fields[i].type == L"bit") continue;
        at += FieldBytes(fields[i].type, bytes, at);
        Check(at <= bytes.size());
    }
    Check(at == bytes.size());
    Check((bytes[0] | bytes[1] << 8) == serializer->TableNumber());
    return 0;
}

#include "report/ReportRecord.h"

#include <climits>
#include <type_traits>

namespace KDirectInfoc {

namespace {

constexpr uint8_t kStringMask = 0xA7;

void AppendLe(std::vector<uint8_t>& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// Leading white space, optional sign, digits; saturating like the C runtime's conversion.
int DecimalToInt(std::wstring_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || (text[i] >= L'\t' && text[i] <= L'\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > static_cast<long long>(INT_MAX) + 1) break;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}


}  // namespace


void KInstallSerialize::Reset(uint16_t tableNumber) {
    m_values.clear();
    m_record.clear();
    m_bits.clear();
    m_tableNumber = tableNumber;
}

void KInstallSerialize::WriteByte(uint8_t value) { m_values.push_back(value); }
void KInstallSerialize::WriteShort(uint16_t value) { AppendLe(m_values, value, 2); }
void KInstallSerialize::WriteInt(uint32_t value) { AppendLe(m_values, value, 4); }
void KInstallSerialize::WriteInt64(uint64_t value) { AppendLe(m_values, value, 8); }

void KInstallSerialize::WriteBinary(const void* bytes, size_t length) {
    if (bytes == nullptr) length = 0;
    if (length > kMaxFieldBytes) length = kMaxFieldBytes;
    AppendLe(m_values, length, 2);
    const auto* p = static_cast<const uint8_t*>(bytes);
    if (length != 0) m_values.insert(m_values.end(), p, p + length);
}

void KInstallSerialize::WriteStringBytes(std::string_view bytes, bool utf8) {
    // A length that wrapped past 16 bits would make the receiver read the rest of the record as text.
    size_t length = bytes.size();
    if (length > kMaxFieldBytes) {
        length = kMaxFieldBytes;
        if (utf8) {
            while (length > 0 && (static_cast<uint8_t>(bytes[length]) & 0xC0) == 0x80) --length;
        }
    }
    AppendLe(m_values, length, 2);
    for (size_t i = 0; i < length; ++i) m_values.push_back(static_cast<uint8_t>(bytes[i]) ^ kStringMask);
}

void KInstallSerialize::WriteBit(bool value) { m_bits.push_back(value); }

void KInstallSerialize::Finish() {
    m_record.clear();
    m_record.reserve(2 + (m_bits.size() + 7) / 8 + m_values.size());
    AppendLe(m_record, m_tableNumber, 2);
    const size_t bitBytes = (m_bits.size() + 7) / 8;
    const size_t areaStart = m_record.size();
    m_record.resize(areaStart + bitBytes, 0);
    for (size_t k = 0; k < m_bits.size(); ++k) {
        if (m_bits[k]) m_record[areaStart + k / 8] |= static_cast<uint8_t>(1u << (k % 8));
    }
    m_record.insert(m_record.end(), m_values.begin(), m_values.end());
}

bool KSerializeKFMT::SetSchema(std::wstring_view schema) {
    Reset(0);
    m_fields.clear();
    m_cursor = 0;
    m_tableName.clear();
    m_tableNumberInt = 0;
    if (schema.empty()) return false;

    std::vector<std::wstring_view> tokens;
    for (size_t start = 0;;) {
        const size_t space = schema.find(L' ', start);
        tokens.push_back(
            schema.substr(start, space == std::wstring_view::npos ? std::wstring_view::npos : space - start));
        if (space == std::wstring_view::npos) break;
        start = space + 1;
    }

    const std::wstring_view table = tokens.front();
    const size_t colon = table.find(L':');
    if (colon == std::wstring_view::npos) return false;
    m_tableName.assign(table.substr(0, colon));
    m_tableNumberInt = DecimalToInt(table.substr(colon + 1));
    m_tableNumber = static_cast<uint16_t>(static_cast<unsigned>(m_tableNumberInt) & 0xFFFF);

    for (size_t i = 1; i < tokens.size(); ++i) {
        const size_t c = tokens[i].find(L':');
        Field field;
        if (c != std::wstring_view::npos) {
            field.name.assign(tokens[i].substr(0, c));
            field.type.assign(tokens[i].substr(c + 1));
        }
        m_fields.push_back(std::move(field));
    }
    return !m_fields.empty();
}

const KSerializeKFMT::Field* KSerializeKFMT::FieldAtCursor(std::wstring_view name) const {
    if (m_cursor >= m_fields.size()) return nullptr;
    const Field& field = m_fields[m_cursor];
    // An empty entry (from a token without ':') can never be filled.
    if (field.name.empty() || field.name != name) return nullptr;
    return &field;
}

bool KSerializeKFMT::PutNumber(std::wstring_view name, int32_t value) {
    const Field* field = FieldAtCursor(name);
    if (field == nullptr) return false;
    const std::wstring& type = field->type;
    if (type == L"bit") {
        WriteBit(value > 0);
    } else if (type == L"byte") {
        WriteByte(static_cast<uint8_t>(value));
    } else if (type == L"short") {
        WriteShort(static_cast<uint16_t>(value));
    } else if (type == L"int") {
        WriteInt(static_cast<uint32_t>(value));
    } else if (type == L"int64") {
        WriteInt64(static_cast<uint64_t>(static_cast<int64_t>(value)));
    } else {
        return false;
    }
    ++m_cursor;
    return true;
}

bool KSerializeKFMT::PutInt64(std::wstring_view name, int64_t value) {
    const Field* field = FieldAtCursor(name);
    if (field == nullptr || field->type != L"int64") return false;
    WriteInt64(static_cast<uint64_t>(value));
    ++m_cursor;
    return true;
}

bool KSerializeKFMT::PutString(std::wstring_view name, std::wstring_view text) {
    const Field* field = FieldAtCursor(name);
    if (field == nullptr || field->type != L"string") return false;
    WriteStringBytes(WideToUtf8(text), true);
    ++m_cursor;
    return true;
}

bool KSerializeKFMT::PutBinary(std::wstring_view name, const void* bytes, size_t length) {
    const Field* field = FieldAtCursor(name);
    if (field == nullptr || field->type != L"binary") return false;
    WriteBinary(bytes, length);
    ++m_cursor;
    return true;
}

}  // namespace KDirectInfoc

namespace Reporter {

bool ReportInfocData::SetSchema(const wchar_t* schema) {
    if (!m_serializer) m_serializer = std::make_unique<KDirectInfoc::KSerializeKFMT>();
    m_fields.clear();
    if (schema == nullptr || !m_serializer->SetSchema(schema)) {
        m_serializer.reset();
        return false;
    }
    m_fields = m_serializer->Fields();
    return true;
}

bool ReportInfocData::AddString(const wchar_t* name, const wchar_t* text) {
    if (name == nullptr) return false;
    Value value{name, Kind::String, text != nullptr ? text : L"", 0, {}};
    m_values.push_back(std::move(value));
    return true;
}

bool ReportInfocData::AddNumber(const wchar_t* name, int32_t number) {
    if (name == nullptr) return false;
    m_values.push_back(Value{name, Kind::Number, {}, number, {}});
    return true;
}

bool ReportInfocData::AddNumber64(const wchar_t* name, int64_t number) {
    if (name == nullptr) return false;
    m_values.push_back(Value{name, Kind::Number64, {}, number, {}});
    return true;
}

bool ReportInfocData::AddBinary(const wchar_t* name, const void* bytes, int length) {
    // A longer body would not survive the signed 16-bit length it is held with.
    if (name == nullptr || length < 0 || length > kMaxBinaryBytes || (bytes == nullptr && length != 0)) return false;
    const auto* p = static_cast<const uint8_t*>(bytes);
    m_values.push_back(Value{name, Kind::Binary, {}, 0, std::vector<uint8_t>(p, p + length)});
    return true;
}

bool ReportInfocData::Encode() {
    if (!m_serializer) return false;
    for (const auto& field : m_fields) {
        const Value* found = nullptr;
        for (const auto& value : m_values) {
            if (value.name == field.name) {
                found = &value;
                break;
            }
        }
        if (found == nullptr) return false;
        // The setters' answers are not needed: a misfit leaves the cursor and ends the record there.
        switch (found->kind) {
            case Kind::String:
                m_serializer->PutString(field.name, found->text);
                break;
            case Kind::Number:
                m_serializer->PutNumber(field.name, static_cast<int32_t>(found->number));
                break;
            case Kind::Number64:
                m_serializer->PutInt64(field.name, found->number);
                break;
            case Kind::Binary:
                m_serializer->PutBinary(field.name, found->bytes.data(), found->bytes.size());
                break;
        }
    }
    m_serializer->Finish();
    return true;
}

}  // namespace Reporter

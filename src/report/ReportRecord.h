// Typed usage-report records: the schema grammar and the compact binary record the reporter uploads.
//
// A schema is "table:number field:type field:type ...". Values are added by name in any order; Encode() writes
// them in schema order. Record bytes: table number (2 bytes LE), the packed bit area, then every non-bit field.
// Portable: no <windows.h>. Not thread-safe: one record is filled on one thread and then handed over whole.
#pragma once

#include "common/Utf8.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace KDirectInfoc {

// The largest text or binary body a 2-byte length can describe.
inline constexpr size_t kMaxFieldBytes = 0xFFFF;

// The low-level encoder: writers append to the value buffer, Finish() assembles the record.
class KInstallSerialize {
public:
    explicit KInstallSerialize(uint16_t tableNumber = 0) : m_tableNumber(tableNumber) {}
    virtual ~KInstallSerialize() = default;

    void WriteByte(uint8_t value);
    void WriteShort(uint16_t value);
    void WriteInt(uint32_t value);
    void WriteInt64(uint64_t value);
    // 2-byte length, then the bytes. Longer bodies are cut to kMaxFieldBytes so that the length stays true.
    void WriteBinary(const void* bytes, size_t length);
    // A "string" field of bytes already in their final code page (the caller converts), XOR-ed with 0xA7.
    // Cut like WriteBinary, but never inside a UTF-8 sequence when utf8 is set.
    void WriteStringBytes(std::string_view bytes, bool utf8);
    void WriteBit(bool value);

    // Record = table number, bit area, value buffer. May be called again after more writes.
    void Finish();

    const std::vector<uint8_t>& Record() const { return m_record; }
    uint16_t TableNumber() const { return m_tableNumber; }
    // Whether a record that could not be delivered goes to the cache folder.
    bool SaveFlag() const { return m_save; }
    void SetSaveFlag(bool save) { m_save = save; }

protected:
    void Reset(uint16_t tableNumber);

    std::vector<uint8_t> m_values;
    std::vector<uint8_t> m_record;
    std::vector<bool> m_bits;
    uint16_t m_tableNumber;
    bool m_save = true;
};

// The schema-driven encoder: each Put* fills the field at the cursor when name and type fit.
class KSerializeKFMT : public KInstallSerialize {
public:
    struct Field {
        std::wstring name;
        std::wstring type;
    };

    // Parses the schema; true when at least one field was declared. Starts a fresh record either way.
    bool SetSchema(std::wstring_view schema);

    bool PutNumber(std::wstring_view name, int32_t value);
    bool PutInt64(std::wstring_view name, int64_t value);
    bool PutString(std::wstring_view name, std::wstring_view text);
    bool PutBinary(std::wstring_view name, const void* bytes, size_t length);

    const std::wstring& TableName() const { return m_tableName; }
    int TableNumberInt() const { return m_tableNumberInt; }
    const std::vector<Field>& Fields() const { return m_fields; }
    size_t Cursor() const { return m_cursor; }

private:
    // The cursor field when it has this name; null otherwise.
    const Field* FieldAtCursor(std::wstring_view name) const;

    std::wstring m_tableName;
    int m_tableNumberInt = 0;
    std::vector<Field> m_fields;
    size_t m_cursor = 0;
};

}  // namespace KDirectInfoc

namespace Reporter {

// What reporting code fills. Every operation answers a bool; the object is destroyed by whoever owns it last.
class IReportInfocData {
public:
    virtual bool SetSchema(const wchar_t* schema) = 0;
    virtual bool AddString(const wchar_t* name, const wchar_t* text) = 0;
    virtual bool AddNumber(const wchar_t* name, int32_t value) = 0;
    virtual bool AddNumber64(const wchar_t* name, int64_t value) = 0;
    virtual bool AddBinary(const wchar_t* name, const void* bytes, int length) = 0;
    virtual ~IReportInfocData() = default;
};

class ReportInfocData : public IReportInfocData {
public:
    // Binary values are held with a signed 16-bit length.
    static constexpr int kMaxBinaryBytes = 32767;

    bool SetSchema(const wchar_t* schema) override;
    // The Add* calls keep every value in the order added; the first value of a name is the one encoded.
    // They refuse only what cannot be held: a null name, or binary data that is null or longer than
    // kMaxBinaryBytes (a field left without value then drops the whole record at Encode).
    bool AddString(const wchar_t* name, const wchar_t* text) override;
    bool AddNumber(const wchar_t* name, int32_t value) override;
    bool AddNumber64(const wchar_t* name, int64_t value) override;
    bool AddBinary(const wchar_t* name, const void* bytes, int length) override;

    // Hands every schema field's value to the serializer in schema order and finishes the record. False without
    // a schema or when a schema field has no value. A value whose kind does not fit its field ends the record
    // there (later fields fail their cursor check); the record is still finished and true is answered.
    bool Encode();

    // The reporter takes the encoder (with its finished record) over; afterwards Encode() fails.
    std::unique_ptr<KDirectInfoc::KSerializeKFMT> TakeSerializer() { return std::move(m_serializer); }

    const std::vector<KDirectInfoc::KSerializeKFMT::Field>& Fields() const { return m_fields; }

private:
    enum class Kind { String, Number, Number64, Binary };
    struct Value {
        std::wstring name;
        Kind kind;
        std::wstring text;
        int64_t number = 0;
        std::vector<uint8_t> bytes;
    };

    std::unique_ptr<KDirectInfoc::KSerializeKFMT> m_serializer;  // owned until TakeSerializer
    std::vector<Value> m_values;
    std::vector<KDirectInfoc::KSerializeKFMT::Field> m_fields;
};

}  // namespace Reporter

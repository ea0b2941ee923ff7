// BkJsonEx: the JSON document model used by the catalogue, the download messages and the icon manager.
//
// Text is wchar_t throughout: UTF-16 code units on Windows, one 32-bit unit per character natively. The parser
// never pairs surrogates, so "\uD83D\uDE00" is two code units on every platform.
//
// Threading: a Document and every Handle into it belong to one thread at a time.
//
// Ownership: a Document owns its root, a container owns its children. A Handle owns nothing; it dangles once
// the value it refers to is replaced (member or element access on a value of another kind, SetString, SetInt),
// or its document is re-parsed or destroyed.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "common/BkJsonArena.h"

namespace BkJsonEx {

// Type code stored in every value. 8 is never used.
enum ValueType : int {
    kTypeNone = 0,  // no value: a handle that reaches nothing
    kTypeNull = 1,
    kTypeObject = 2,
    kTypeBool = 3,
    kTypeString = 4,
    kTypeLong = 5,
    kTypeLongLong = 6,
    kTypeDouble = 7,
    kTypeArray = 9,
    kTypeULongLong = 10,
};

// Parse error ids. 2 is never used.
enum ErrorId : int {
    kErrorNone = 0,
    kErrorObjectExpected = 1,      // "{" expected
    kErrorQuoteExpected = 3,       // opening quote expected
    kErrorUnterminatedString = 4,  // end of text inside a string
    kErrorBadNumber = 5,           // sign without digits, several dots, too long, out of range
    kErrorColonExpected = 6,
    kErrorCommaExpected = 7,  // "," or the closing bracket expected
    kErrorBadEscape = 8,
    kErrorBadElement = 9,      // no value starts here, or nesting too deep
    kErrorArrayExpected = 10,  // "[" expected
};

class Error {
public:
    Error() = default;
    Error(const Error&) = default;
    Error& operator=(const Error&) = default;
    virtual ~Error() = default;

    int GetId() const { return m_id; }
    int GetRow() const { return m_row; }        // 1-based, -1 when none
    int GetColumn() const { return m_column; }  // 1-based, -1 when none
    bool IsRecorded() const { return m_column != -1; }

    void Set(int id, int row, int column);
    void Reset() { Set(kErrorNone, -1, -1); }

private:
    int m_id = kErrorNone;
    int m_row = -1;
    int m_column = -1;
};

class Value;
struct ParseContext;

// A NUL-terminated text with its length; data is null for the empty text.
struct Text {
    wchar_t* data = nullptr;
    size_t length = 0;
};

// The library's own access to the private parts of the tree.
struct TreeAccess;

// A non-owning view of a value and the container that holds it. Copies are cheap and never copy the tree.
// Where no value can be reached, operations answer the null handle (no container, no value) and setters do
// nothing.
class Handle {
public:
    Handle() = default;  // the null handle
    Handle(Value* container, Value* value) : m_container(container), m_value(value) {}
    Handle(const Handle&) = default;
    Handle& operator=(const Handle&) = default;
    virtual ~Handle() = default;

    // The member with this name, inserted as null when missing. A non-object with a container is first replaced
    // by an empty object. A root or detached non-object answers the null handle.
    Handle operator[](const wchar_t* name);
    // The element at index; the array grows with nulls up to it. A non-array with a container is first replaced
    // by an empty array. A negative index answers the null handle and changes nothing.
    Handle operator[](int index);

    // Turn the value into a string / 32-bit integer. Needs a container; the handle then refers to the new value.
    // A null text changes nothing.
    void SetString(const wchar_t* text);
    void SetInt(int value);

    const wchar_t* GetString() const;  // text of a string, else null
    long long GetInt64() const;        // a long long or a sign-extended long, else 0
    bool GetBool() const;              // true for a true bool only
    double GetDouble() const;          // the number of a double, else 0
    int GetType() const;               // ValueType; kTypeNone for the null handle

    bool HasMember(const wchar_t* name) const;  // never inserts
    int Size() const;                           // elements or members, 0 for other kinds

protected:
    Value* m_container = nullptr;  // not owned; null for a root or a detached handle
    Value* m_value = nullptr;      // not owned

private:
    // Puts a new value of the kind in place of the value in its container and destroys the old one, which
    // may be *this.
    template <class Kind>
    Value* ReplaceValue();
};

// A value is its own handle: container = parent, value = itself.
class Value : public Handle {
public:
    Value(const Value&) = delete;
    Value& operator=(const Value&) = delete;
    ~Value() override = default;

    // Parses this kind at ctx's index; on failure ctx.error may hold the reason.
    virtual bool ParseFrom(ParseContext& ctx) = 0;
    // Appends the compact text of the value.
    virtual bool WriteTo(std::wstring& out) const = 0;

private:
    // Only the kinds below derive from Value, so the type code always names the dynamic class.
    explicit Value(int type) : Handle(nullptr, this), m_type(type) {}

    friend class Handle;
    friend class Document;
    friend struct TreeAccess;
    friend class ValueNull;
    friend class ValueBool;
    friend class ValueString;
    friend class ValueLong;
    friend class ValueLongLong;
    friend class ValueULongLong;
    friend class ValueDOUBLE;
    friend class ValueArray;
    friend class ValueObject;

    int m_type;
    int m_position = 0;  // index in the parent array, or index of the member entry in the parent object
};

class ValueNull final : public Value {
public:
    ValueNull() : Value(kTypeNull) {}
    bool ParseFrom(ParseContext& ctx) override;
    bool WriteTo(std::wstring& out) const override;
};

class ValueBool final : public Value {
public:
    explicit ValueBool(bool flag = false) : Value(kTypeBool), m_flag(flag ? 1 : 0) {}
    bool Get() const { return m_flag != 0; }
    void Set(bool flag) { m_flag = flag ? 1 : 0; }
    bool ParseFrom(ParseContext& ctx) override;
    bool WriteTo(std::wstring& out) const override;

private:
    int m_flag;
};

class ValueString final : public Value {
public:
    ValueString() : Value(kTypeString) {}
    explicit ValueString(const wchar_t* text);
    ValueString(const ValueString&) = delete;
    ValueString& operator=(const ValueString&) = delete;
    ~ValueString() override;

    const wchar_t* Get() const { return m_text.data != nullptr ? m_text.data : L""; }
    size_t Length() const { return m_text.length; }
    bool ParseFrom(ParseContext& ctx) override;
    bool WriteTo(std::wstring& out) const override;

private:
    friend struct TreeAccess;

    Text m_text;  // on the heap, or in the document's arena (then this destructor never runs)
};

class ValueLong final : public Value {
public:
    explicit ValueLong(int number = 0) : Value(kTypeLong), m_number(number) {}
    int Get() const { return m_number; }
    void Set(int number) { m_number = number; }
    bool ParseFrom(ParseContext& ctx) override;
    bool WriteTo(std::wstring& out) const override;

private:
    int m_number;
};

class ValueLongLong final : public Value {
public:
    explicit ValueLongLong(long long number = 0) : Value(kTypeLongLong), m_number(number) {}
    long long Get() const { return m_number; }
    void Set(long long number) { m_number = number; }
    bool ParseFrom(ParseContext& ctx) override;
    bool WriteTo(std::wstring& out) const override;

private:
    long long m_number;
};

class ValueULongLong final : public Value {
public:
    explicit ValueULongLong(unsigned long long number = 0) : Value(kTypeULongLong), m_number(number) {}
    unsigned long long Get() const { return m_number; }
    void Set(unsigned long long number) { m_number = number; }
    bool ParseFrom(ParseContext& ctx) override;  // a leading "-" is skipped, not applied
    bool WriteTo(std::wstring& out) const override;

private:
    unsigned long long m_number;
};

class ValueDOUBLE final : public Value {
public:
    explicit ValueDOUBLE(double number = 0) : Value(kTypeDouble), m_number(number) {}
    double Get() const { return m_number; }
    void Set(double number) { m_number = number; }
    bool ParseFrom(ParseContext& ctx) override;
    bool WriteTo(std::wstring& out) const override;  // six decimals; fails for infinity and NaN

private:
    double m_number;
};

class ValueArray final : public Value {
public:
    ValueArray() : Value(kTypeArray) {}
    ValueArray(const ValueArray&) = delete;
    ValueArray& operator=(const ValueArray&) = delete;
    ~ValueArray() override;
    bool ParseFrom(ParseContext& ctx) override;
    bool WriteTo(std::wstring& out) const override;

private:
    friend class Handle;
    friend struct TreeAccess;

    Value* At(int index);  // grows with nulls up to index
    void Replace(int position, Value* fresh);

    Arena* m_arena = nullptr;   // not owned; null when the tree lives on the heap
    Value** m_items = nullptr;  // owned, in index order
    unsigned m_size = 0;
    unsigned m_capacity = 0;
};

// An object member: its name and its value. Plain data; the object owns both.
struct Member {
    Text name;
    Value* value;
};

class ValueObject final : public Value {
public:
    ValueObject() : Value(kTypeObject) {}
    ValueObject(const ValueObject&) = delete;
    ValueObject& operator=(const ValueObject&) = delete;
    ~ValueObject() override;
    bool ParseFrom(ParseContext& ctx) override;
    bool WriteTo(std::wstring& out) const override;

private:
    friend class Handle;
    friend struct TreeAccess;

    const Member* Find(const wchar_t* name) const;
    Value* FindOrInsert(const wchar_t* name);  // inserts null
    void Replace(int position, Value* fresh);
    void TakeSorted(Member* members, size_t count);  // parsed members: name order, the last of equal names wins

    Arena* m_arena = nullptr;     // not owned; null when the tree lives on the heap
    Member* m_members = nullptr;  // owned, sorted by code unit order of the names, one per name
    unsigned m_size = 0;
    unsigned m_capacity = 0;
};

// The state of one parse attempt.
struct ParseContext {
    ParseContext(const wchar_t* text, size_t length) : text(text), left(length) {}

    const wchar_t* text;
    size_t index = 0;
    size_t left;
    Error error;

    // Where parsed values go: set only by Document, null puts them on the heap.
    Arena* arena = nullptr;
    int depth = 0;
    // Scratch reused across the parse so containers are sized exactly and escapes decode once.
    std::vector<Value*> elementStack;
    std::vector<Member> memberStack;
    std::wstring decoded;
};

// Deeper nesting fails the parse instead of exhausting the stack.
constexpr int kMaxDepth = 512;

class Document : public Handle {
public:
    Document() = default;
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;
    ~Document() override = default;  // the arena takes the whole tree with it

    // Replaces the root by the value of text; on failure the root is null and GetError tells why.
    // The root is tried as bool, long long, long, string, array, then object; text after it is ignored.
    bool Parse(const wchar_t* text);
    // The root as compact text; empty when there is no root or it cannot be written.
    std::wstring Serialize() const;

    // Creates an empty object root when there is none.
    Handle operator[](const wchar_t* name);
    using Handle::operator[];

    const Error& GetError() const { return m_error; }

private:
    Arena m_arena;  // owns the root (m_value) and everything below it
    Error m_error;
};

}  // namespace BkJsonEx

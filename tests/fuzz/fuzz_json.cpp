// libFuzzer target for the JSON document: bytes -> wide text -> document -> text -> document, then edits
// through handles driven by the same bytes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/BkJsonEx.h"

using namespace BkJsonEx;

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// One byte is one code unit, except that 0xFF takes the next two bytes as one 16-bit unit, so inputs reach
// CJK text and lone surrogates. A zero unit ends the text, as it does for every caller.
std::wstring ToUnits(const std::uint8_t* data, size_t size) {
    std::wstring text;
    for (size_t i = 0; i < size; ++i) {
        wchar_t unit = static_cast<wchar_t>(data[i]);
        if (data[i] == 0xFF && i + 2 < size) {
            unit = static_cast<wchar_t>(data[i + 1] | (data[i + 2] << 8));
            i += 2;
        }
        if (unit == 0) break;
        text.push_back(unit);
    }
    return text;
}

// Writing a double of 254 or more integer digits gives a run the reader refuses as too long.
bool HasOverlongNumberRun(const std::wstring& text) {
    size_t run = 0;
    for (wchar_t ch : text) {
        run = ((ch >= L'0' && ch <= L'9') || ch == L'.') ? run + 1 : 0;
        if (run > 260) return true;
    }
    return false;
}

// Reads everything reachable without changing the tree.
void Walk(Handle value, int depth) {
    Check(depth <= kMaxDepth + 1);
    const int type = value.GetType();
    const int size = value.Size();
    Check(size >= 0);
    Check((value.GetString() != nullptr) == (type == kTypeString));
    Check(type == kTypeLong || type == kTypeLongLong || value.GetInt64() == 0);
    if (type == kTypeArray) {
        for (int i = 0; i < size; ++i) Walk(value[i], depth + 1);
    } else if (type == kTypeObject) {
        for (const wchar_t* name : {L"a", L"b", L"", L"softlist"}) {
            if (value.HasMember(name)) Walk(value[name], depth + 1);
        }
    } else {
        Check(size == 0);
    }
}

void CheckRoundTrip(Document& doc) {
    const std::wstring text = doc.Serialize();
    Check(!text.empty());
    Document again;
    if (!again.Parse(text.c_str())) {
        Check(HasOverlongNumberRun(text));
        return;
    }
    // Doubles settle to six decimals after one trip; from then on the text is stable.
    const std::wstring settled = again.Serialize();
    Document third;
    Check(third.Parse(settled.c_str()));
    Check(third.Serialize() == settled);
}

// Edits below one handle only, so no other handle can dangle.
void Edit(Document& doc, const std::uint8_t* data, size_t size) {
    static const wchar_t* const kNames[] = {L"a", L"b", L"", L"\u7EF4", L"a/b"};
    Handle current = doc[L"a"];
    for (size_t i = 0; i < size && i < 64; ++i) {
        const std::uint8_t op = data[i];
        switch (op % 6) {
            case 0:
                current = current[kNames[(op / 6) % 5]];
                break;
            case 1:
                current = current[static_cast<int>(op / 6) % 6 - 1];
                break;
            case 2:
                current.SetString(kNames[(op / 6) % 5]);
                break;
            case 3:
                current.SetInt(static_cast<int>(op) - 128);
                break;
            case 4:
                current = doc[kNames[(op / 6) % 5]];
                break;
            default:
                Check(current.Size() >= 0 && (current.GetType() != kTypeNone || current.GetString() == nullptr));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::wstring text = ToUnits(data, size);
    Document doc;
    if (!doc.Parse(text.c_str())) {
        Check(doc.GetType() == kTypeNone);
        Check(doc.Serialize().empty());
        const Error& error = doc.GetError();
        Check(error.GetId() != kErrorNone && error.GetRow() >= 1 && error.GetColumn() >= 1);
        Check(static_cast<size_t>(error.GetColumn()) <= text.size() + 1);
    } else {
        Check(doc.GetError().GetId() == kErrorNone);
        const std::wstring before = doc.Serialize();
        Walk(doc, 0);
        Check(doc.Serialize() == before);
        CheckRoundTrip(doc);
    }

    // Edits work on any document, parsed or not; the result must still read back.
    Edit(doc, data, size);
    if (doc.GetType() == kTypeObject || doc.GetType() == kTypeArray) CheckRoundTrip(doc);
    return 0;
}

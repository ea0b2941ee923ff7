#include "common/BkJsonEx.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <new>
#include <type_traits>

#include "common/BkJsonText.h"

namespace BkJsonEx {

// ---- Memory: a document's values live in its arena; values made by callers live on the heap.

struct TreeAccess {
    // count * each, or out of memory when that does not fit (a 32-bit build could wrap).
    static size_t Bytes(size_t count, size_t each) {
        if (count > SIZE_MAX / each) throw std::bad_alloc();
        return count * each;
    }

    static void* Allocate(Arena* arena, size_t bytes) {
        return arena != nullptr ? arena->Allocate(bytes) : ::operator new(bytes);
    }

    static void Free(Arena* arena, void* block, size_t bytes) {
        if (block == nullptr) return;
        if (arena != nullptr)
            arena->Free(block, bytes);
        else
            ::operator delete(block);
    }

    static Text MakeText(Arena* arena, const wchar_t* text, size_t length) {
        Text made;
        if (length == 0) return made;
        made.data = static_cast<wchar_t*>(Allocate(arena, Bytes(length + 1, sizeof(wchar_t))));
        std::wmemcpy(made.data, text, length);
        made.data[length] = L'\0';
        made.length = length;
        return made;
    }

    static void FreeText(Arena* arena, Text& text) {
        Free(arena, text.data, (text.length + 1) * sizeof(wchar_t));
        text = Text();
    }

    template <class Kind>
    static Kind* Create(Arena* arena) {
        Kind* made = arena != nullptr ? new (arena->Allocate(sizeof(Kind))) Kind() : new Kind();
        if constexpr (std::is_same_v<Kind, ValueArray> || std::is_same_v<Kind, ValueObject>) made->m_arena = arena;
        return made;
    }

    static size_t SizeOf(int type) {
        switch (type) {
            case kTypeNull:
                return sizeof(ValueNull);
            case kTypeObject:
                return sizeof(ValueObject);
            case kTypeBool:
                return sizeof(ValueBool);
            case kTypeString:
                return sizeof(ValueString);
            case kTypeLong:
                return sizeof(ValueLong);
            case kTypeLongLong:
                return sizeof(ValueLongLong);
            case kTypeDouble:
                return sizeof(ValueDOUBLE);
            case kTypeArray:
                return sizeof(ValueArray);
            default:
                return sizeof(ValueULongLong);
        }
    }

    // Frees a value with its subtree. Values in an arena own nothing outside it, so no destructor runs there.
    static void Release(Value* value, Arena* arena) {
        if (arena == nullptr) {
            delete value;
            return;
        }
        switch (value->m_type) {
            case kTypeString:
                FreeText(arena, static_cast<ValueString*>(value)->m_text);
                break;
            case kTypeArray:
                ReleaseItems(*static_cast<ValueArray*>(value));
                break;
            case kTypeObject:
                ReleaseMembers(*static_cast<ValueObject*>(value));
                break;
            default:
                break;
        }
        arena->Free(value, SizeOf(value->m_type));
    }

    static void ReleaseItems(ValueArray& array) {
        for (unsigned i = 0; i < array.m_size; ++i) Release(array.m_items[i], array.m_arena);
        Free(array.m_arena, array.m_items, array.m_capacity * sizeof(Value*));
        array.m_items = nullptr;
        array.m_size = array.m_capacity = 0;
    }

    static void ReleaseMembers(ValueObject& object) {
        for (unsigned i = 0; i < object.m_size; ++i) {
            FreeText(object.m_arena, object.m_members[i].name);
            Release(object.m_members[i].value, object.m_arena);
        }
        Free(object.m_arena, object.m_members, object.m_capacity * sizeof(Member));
        object.m_members = nullptr;
        object.m_size = object.m_capacity = 0;
    }

    static Arena* ArenaOf(Value* container) {
        return container->m_type == kTypeArray ? static_cast<ValueArray*>(container)->m_arena
                                               : static_cast<ValueObject*>(container)->m_arena;
    }

    static void ReplaceChild(Value* container, int position, Value* fresh) {
        if (container->m_type == kTypeArray)
            static_cast<ValueArray*>(container)->Replace(position, fresh);
        else
            static_cast<ValueObject*>(container)->Replace(position, fresh);
    }

    static void SetText(ValueString& string, Arena* arena, const wchar_t* text) {
        // Made before the old text goes: text may point into it.
        Text made = MakeText(arena, text, std::wcslen(text));
        FreeText(arena, string.m_text);
        string.m_text = made;
    }

    static void Adopt(Value* container, Value* child, unsigned position) {
        child->m_container = container;
        child->m_position = static_cast<int>(position);
    }
};

namespace {

struct DepthScope {
    explicit DepthScope(ParseContext& ctx) : ctx(ctx) { ++ctx.depth; }
    ~DepthScope() { --ctx.depth; }
    DepthScope(const DepthScope&) = delete;
    DepthScope& operator=(const DepthScope&) = delete;
    ParseContext& ctx;
};

template <class Kind>
Value* ParseKind(ParseContext& ctx) {
    Kind* value = TreeAccess::Create<Kind>(ctx.arena);
    // Kind is final, so this call is direct.
    if (value->Kind::ParseFrom(ctx)) return value;
    TreeAccess::Release(value, ctx.arena);
    return nullptr;
}

// Chooses the kind of an element by its first character and parses it. Null when it fails; ctx.error tells
// whether the failure was already recorded.
Value* ParseElement(ParseContext& ctx) {
    SkipSpace(ctx);
    if (ctx.left == 0) return nullptr;
    switch (ctx.text[ctx.index]) {
        case L'"':
            return ParseKind<ValueString>(ctx);
        case L'{':
            return ParseKind<ValueObject>(ctx);
        case L'[':
            return ParseKind<ValueArray>(ctx);
        case L't':
        case L'f':
            return ParseKind<ValueBool>(ctx);
        case L'n':
            return ParseKind<ValueNull>(ctx);
        case L'-':
        case L'0':
        case L'1':
        case L'2':
        case L'3':
        case L'4':
        case L'5':
        case L'6':
        case L'7':
        case L'8':
        case L'9': {
            const size_t end = EndOf(ctx);
            size_t i = ctx.index + 1;
            while (i < end && IsDigit(ctx.text[i])) ++i;
            if (i < end && ctx.text[i] == L'.') return ParseKind<ValueDOUBLE>(ctx);
            return ParseKind<ValueLongLong>(ctx);
        }
        default:
            return nullptr;
    }
}

int CompareNames(const wchar_t* a, size_t aLength, const wchar_t* b, size_t bLength) {
    const size_t n = std::min(aLength, bLength);
    for (size_t i = 0; i < n; ++i) {
        if (a[i] != b[i]) return ToUnit(a[i]) < ToUnit(b[i]) ? -1 : 1;
    }
    return aLength < bLength ? -1 : (aLength > bLength ? 1 : 0);
}

bool NameLess(const Member& a, const Member& b) {
    return CompareNames(a.name.data, a.name.length, b.name.data, b.name.length) < 0;
}

bool NameEqual(const Text& a, const Text& b) {
    return a.length == b.length && (a.length == 0 || std::wmemcmp(a.data, b.data, a.length) == 0);
}

}  // namespace

// ---- Error

void Error::Set(int id, int row, int column) {
    m_id = id;
    m_row = row;
    m_column = column;
}

// ---- Handle

template <class Kind>
Value* Handle::ReplaceValue() {
    Value* old = m_value;
    Value* parent = old->m_container;
    const bool handleIsOld = static_cast<Handle*>(old) == this;
    Kind* fresh = TreeAccess::Create<Kind>(TreeAccess::ArenaOf(parent));
    TreeAccess::ReplaceChild(parent, old->m_position, fresh);
    // When this handle was the old value itself it is gone now and must not be touched.
    if (!handleIsOld) {
        m_container = parent;
        m_value = fresh;
    }
    return fresh;
}

Handle Handle::operator[](const wchar_t* name) {
    if (name == nullptr || m_value == nullptr) return Handle();
    Value* target = m_value;
    if (target->m_type != kTypeObject) {
        if (target->m_container == nullptr) return Handle();
        target = ReplaceValue<ValueObject>();
    }
    auto* object = static_cast<ValueObject*>(target);
    return Handle(object, object->FindOrInsert(name));
}

Handle Handle::operator[](int index) {
    if (index < 0 || m_value == nullptr) return Handle();
    Value* target = m_value;
    if (target->m_type != kTypeArray) {
        if (target->m_container == nullptr) return Handle();
        target = ReplaceValue<ValueArray>();
    }
    auto* array = static_cast<ValueArray*>(target);
    return Handle(array, array->At(index));
}

void Handle::SetString(const wchar_t* text) {
    if (text == nullptr || m_value == nullptr || m_value->m_container == nullptr) return;
    Value* target = m_value;
    if (target->m_type != kTypeString) target = ReplaceValue<ValueString>();
    TreeAccess::SetText(*static_cast<ValueString*>(target), TreeAccess::ArenaOf(target->m_container), text);
}

void Handle::SetInt(int value) {
    if (m_value == nullptr || m_value->m_container == nullptr) return;
    Value* target = m_value;
    if (target->m_type != kTypeLong) target = ReplaceValue<ValueLong>();
    static_cast<ValueLong*>(target)->Set(value);
}

const wchar_t* Handle::GetString() const {
    if (m_value == nullptr || m_value->m_type != kTypeString) return nullptr;
    return static_cast<const ValueString*>(m_value)->Get();
}

long long Handle::GetInt64() const {
    if (m_value == nullptr) return 0;
    if (m_value->m_type == kTypeLongLong) return static_cast<const ValueLongLong*>(m_value)->Get();
    if (m_value->m_type == kTypeLong) return static_cast<const ValueLong*>(m_value)->Get();
    return 0;
}

bool Handle::GetBool() const {
    return m_value != nullptr && m_value->m_type == kTypeBool && static_cast<const ValueBool*>(m_value)->Get();
}

double Handle::GetDouble() const {
    if (m_value == nullptr || m_value->m_type != kTypeDouble) return 0;
    return static_cast<const ValueDOUBLE*>(m_value)->Get();
}

int Handle::GetType() const { return m_value == nullptr ? kTypeNone : m_value->m_type; }

bool Handle::HasMember(const wchar_t* name) const {
    if (name == nullptr || m_value == nullptr || m_value->m_type != kTypeObject) return false;
    return static_cast<const ValueObject*>(m_value)->Find(name) != nullptr;
}

int Handle::Size() const {
    if (m_value == nullptr) return 0;
    if (m_value->m_type == kTypeArray) return static_cast<int>(static_cast<const ValueArray*>(m_value)->m_size);
    if (m_value->m_type == kTypeObject) return static_cast<int>(static_cast<const ValueObject*>(m_value)->m_size);
    return 0;
}

// ---- Scalars

bool ValueNull::ParseFrom(ParseContext& ctx) {
    if (ctx.left < 4 || std::wmemcmp(ctx.text + ctx.index, L"null", 4) != 0) return false;
    MoveTo(ctx, ctx.index + 4);
    return true;
}

bool ValueNull::WriteTo(std::wstring& out) const {
    out.append(L"null", 4);
    return true;
}

// By prefix: "trueX" reads true and leaves the X.
bool ValueBool::ParseFrom(ParseContext& ctx) {
    const wchar_t* at = ctx.text + ctx.index;
    if (ctx.left >= 4 && std::wmemcmp(at, L"true", 4) == 0) {
        m_flag = 1;
        MoveTo(ctx, ctx.index + 4);
        return true;
    }
    if (ctx.left >= 5 && std::wmemcmp(at, L"false", 5) == 0) {
        m_flag = 0;
        MoveTo(ctx, ctx.index + 5);
        return true;
    }
    return false;
}

bool ValueBool::WriteTo(std::wstring& out) const {
    if (m_flag != 0)
        out.append(L"true", 4);
    else
        out.append(L"false", 5);
    return true;
}

ValueString::ValueString(const wchar_t* text) : Value(kTypeString) {
    if (text != nullptr) m_text = TreeAccess::MakeText(nullptr, text, std::wcslen(text));
}

ValueString::~ValueString() { TreeAccess::FreeText(nullptr, m_text); }

bool ValueString::ParseFrom(ParseContext& ctx) {
    const wchar_t* data = nullptr;
    size_t length = 0;
    if (!ReadString(ctx, data, length)) return false;
    Text parsed = TreeAccess::MakeText(ctx.arena, data, length);
    TreeAccess::FreeText(ctx.arena, m_text);
    m_text = parsed;
    return true;
}

bool ValueString::WriteTo(std::wstring& out) const {
    AppendQuoted(out, Get(), m_text.length);
    return true;
}

bool ValueLong::ParseFrom(ParseContext& ctx) {
    unsigned long long magnitude = 0;
    bool negative = false;
    if (ReadInteger(ctx, INT_MAX, 0ULL + INT_MAX + 1, magnitude, negative) != NumberRead::kRead) return false;
    m_number = negative ? static_cast<int>(0U - static_cast<unsigned>(magnitude)) : static_cast<int>(magnitude);
    return true;
}

bool ValueLong::WriteTo(std::wstring& out) const {
    AppendInteger(out, m_number);
    return true;
}

bool ValueLongLong::ParseFrom(ParseContext& ctx) {
    unsigned long long magnitude = 0;
    bool negative = false;
    if (ReadInteger(ctx, LLONG_MAX, 0ULL + LLONG_MAX + 1, magnitude, negative) != NumberRead::kRead) return false;
    m_number = negative ? static_cast<long long>(0ULL - magnitude) : static_cast<long long>(magnitude);
    return true;
}

bool ValueLongLong::WriteTo(std::wstring& out) const {
    AppendInteger(out, m_number);
    return true;
}

bool ValueULongLong::ParseFrom(ParseContext& ctx) {
    unsigned long long magnitude = 0;
    bool negative = false;
    if (ReadInteger(ctx, ULLONG_MAX, ULLONG_MAX, magnitude, negative) != NumberRead::kRead) return false;
    m_number = magnitude;
    return true;
}

bool ValueULongLong::WriteTo(std::wstring& out) const {
    AppendUnsigned(out, m_number);
    return true;
}

bool ValueDOUBLE::ParseFrom(ParseContext& ctx) { return ReadDouble(ctx, m_number) == NumberRead::kRead; }

bool ValueDOUBLE::WriteTo(std::wstring& out) const { return AppendFixed(out, m_number); }

// ---- Array

ValueArray::~ValueArray() {
    if (m_arena == nullptr) TreeAccess::ReleaseItems(*this);
}

bool ValueArray::ParseFrom(ParseContext& ctx) {
    if (!Expect(ctx, L'[')) {
        RecordError(ctx, ctx.index, kErrorArrayExpected);
        return false;
    }
    DepthScope depth(ctx);
    if (ctx.depth > kMaxDepth) {
        RecordError(ctx, ctx.index - 1, kErrorBadElement);
        return false;
    }
    TreeAccess::ReleaseItems(*this);
    if (Expect(ctx, L']')) return true;
    std::vector<Value*>& stack = ctx.elementStack;
    const size_t base = stack.size();
    for (;;) {
        Value* element = ParseElement(ctx);
        if (element == nullptr) {
            // A failure that said nothing is an invalid value here.
            RecordError(ctx, ctx.index, kErrorBadElement);
            break;
        }
        stack.push_back(element);
        SkipSpace(ctx);
        const wchar_t ch = ctx.left != 0 ? ctx.text[ctx.index] : L'\0';
        if (ch == L']') {
            MoveTo(ctx, ctx.index + 1);
            const size_t count = stack.size() - base;
            m_items = static_cast<Value**>(TreeAccess::Allocate(m_arena, TreeAccess::Bytes(count, sizeof(Value*))));
            m_size = m_capacity = static_cast<unsigned>(count);
            for (size_t k = 0; k < count; ++k) {
                m_items[k] = stack[base + k];
                TreeAccess::Adopt(this, m_items[k], static_cast<unsigned>(k));
            }
            stack.resize(base);
            return true;
        }
        if (ch != L',') {
            RecordError(ctx, ctx.index, kErrorCommaExpected);
            break;
        }
        MoveTo(ctx, ctx.index + 1);
    }
    for (size_t k = base; k < stack.size(); ++k) TreeAccess::Release(stack[k], ctx.arena);
    stack.resize(base);
    return false;
}

bool ValueArray::WriteTo(std::wstring& out) const {
    out.push_back(L'[');
    for (unsigned i = 0; i < m_size; ++i) {
        if (i != 0) out.push_back(L',');
        if (!m_items[i]->WriteTo(out)) return false;
    }
    out.push_back(L']');
    return true;
}

Value* ValueArray::At(int index) {
    const size_t wanted = static_cast<size_t>(index) + 1;
    if (m_size < wanted) {
        if (m_capacity < wanted) {
            // Doubling keeps appends by index cheap; the size stays within an int.
            const size_t doubled = std::min(static_cast<size_t>(m_capacity) * 2, static_cast<size_t>(INT_MAX) + 1);
            const size_t capacity = std::max(wanted, doubled);
            auto* items =
                static_cast<Value**>(TreeAccess::Allocate(m_arena, TreeAccess::Bytes(capacity, sizeof(Value*))));
            if (m_size != 0) std::memcpy(items, m_items, m_size * sizeof(Value*));
            TreeAccess::Free(m_arena, m_items, m_capacity * sizeof(Value*));
            m_items = items;
            m_capacity = static_cast<unsigned>(capacity);
        }
        while (m_size < wanted) {
            m_items[m_size] = TreeAccess::Create<ValueNull>(m_arena);
            TreeAccess::Adopt(this, m_items[m_size], m_size);
            ++m_size;
        }
    }
    return m_items[index];
}

void ValueArray::Replace(int position, Value* fresh) {
    TreeAccess::Adopt(this, fresh, static_cast<unsigned>(position));
    std::swap(m_items[position], fresh);
    TreeAccess::Release(fresh, m_arena);
}

// ---- Object

ValueObject::~ValueObject() {
    if (m_arena == nullptr) TreeAccess::ReleaseMembers(*this);
}

bool ValueObject::ParseFrom(ParseContext& ctx) {
    if (!Expect(ctx, L'{')) {
        RecordError(ctx, ctx.index, kErrorObjectExpected);
        return false;
    }
    DepthScope depth(ctx);
    if (ctx.depth > kMaxDepth) {
        RecordError(ctx, ctx.index - 1, kErrorBadElement);
        return false;
    }
    TreeAccess::ReleaseMembers(*this);
    if (Expect(ctx, L'}')) return true;
    std::vector<Member>& stack = ctx.memberStack;
    const size_t base = stack.size();
    for (;;) {
        const wchar_t* name = nullptr;
        size_t nameLength = 0;
        if (!ReadString(ctx, name, nameLength)) break;
        Member member{TreeAccess::MakeText(ctx.arena, name, nameLength), nullptr};
        if (!Expect(ctx, L':')) {
            TreeAccess::FreeText(ctx.arena, member.name);
            RecordError(ctx, ctx.index, kErrorColonExpected);
            break;
        }
        member.value = ParseElement(ctx);
        if (member.value == nullptr) {
            TreeAccess::FreeText(ctx.arena, member.name);
            RecordError(ctx, ctx.index, kErrorBadElement);
            break;
        }
        stack.push_back(member);
        SkipSpace(ctx);
        const wchar_t ch = ctx.left != 0 ? ctx.text[ctx.index] : L'\0';
        if (ch == L'}') {
            MoveTo(ctx, ctx.index + 1);
            TakeSorted(stack.data() + base, stack.size() - base);
            stack.resize(base);
            return true;
        }
        if (ch != L',') {
            RecordError(ctx, ctx.index, kErrorCommaExpected);
            break;
        }
        MoveTo(ctx, ctx.index + 1);
    }
    for (size_t k = base; k < stack.size(); ++k) {
        TreeAccess::FreeText(ctx.arena, stack[k].name);
        TreeAccess::Release(stack[k].value, ctx.arena);
    }
    stack.resize(base);
    return false;
}

void ValueObject::TakeSorted(Member* members, size_t count) {
    m_members = static_cast<Member*>(TreeAccess::Allocate(m_arena, TreeAccess::Bytes(count, sizeof(Member))));
    m_capacity = static_cast<unsigned>(count);
    std::copy(members, members + count, m_members);
    bool ascending = true;
    for (size_t k = 1; k < count && ascending; ++k) ascending = NameLess(m_members[k - 1], m_members[k]);
    size_t kept = count;
    if (!ascending) {
        // Stable, so equal names stay in text order and the last one's value wins.
        std::stable_sort(m_members, m_members + count, NameLess);
        kept = 0;
        for (size_t k = 0; k < count; ++k) {
            if (kept != 0 && NameEqual(m_members[kept - 1].name, m_members[k].name)) {
                TreeAccess::Release(m_members[kept - 1].value, m_arena);
                TreeAccess::FreeText(m_arena, m_members[k].name);
                m_members[kept - 1].value = m_members[k].value;
                continue;
            }
            m_members[kept++] = m_members[k];
        }
    }
    m_size = static_cast<unsigned>(kept);
    for (unsigned k = 0; k < m_size; ++k) TreeAccess::Adopt(this, m_members[k].value, k);
}

bool ValueObject::WriteTo(std::wstring& out) const {
    out.push_back(L'{');
    for (unsigned i = 0; i < m_size; ++i) {
        if (i != 0) out.push_back(L',');
        const Member& member = m_members[i];
        AppendQuoted(out, member.name.data, member.name.length, L':');
        if (!member.value->WriteTo(out)) return false;
    }
    out.push_back(L'}');
    return true;
}

namespace {

// Index of the first member whose name is not below name.
size_t LowerBound(const Member* members, size_t count, const wchar_t* name, size_t length) {
    size_t low = 0;
    size_t high = count;
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        if (CompareNames(members[middle].name.data, members[middle].name.length, name, length) < 0)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

}  // namespace

const Member* ValueObject::Find(const wchar_t* name) const {
    const size_t length = std::wcslen(name);
    const size_t at = LowerBound(m_members, m_size, name, length);
    if (at == m_size || CompareNames(m_members[at].name.data, m_members[at].name.length, name, length) != 0)
        return nullptr;
    return &m_members[at];
}

Value* ValueObject::FindOrInsert(const wchar_t* name) {
    const size_t length = std::wcslen(name);
    const size_t at = LowerBound(m_members, m_size, name, length);
    if (at < m_size && CompareNames(m_members[at].name.data, m_members[at].name.length, name, length) == 0)
        return m_members[at].value;
    if (m_size == m_capacity) {
        const size_t capacity = std::max<size_t>(4, static_cast<size_t>(m_capacity) * 2);
        auto* members =
            static_cast<Member*>(TreeAccess::Allocate(m_arena, TreeAccess::Bytes(capacity, sizeof(Member))));
        std::copy(m_members, m_members + m_size, members);
        TreeAccess::Free(m_arena, m_members, m_capacity * sizeof(Member));
        m_members = members;
        m_capacity = static_cast<unsigned>(capacity);
    }
    // Everything that can run out of memory comes before the members move.
    const Member inserted{TreeAccess::MakeText(m_arena, name, length), TreeAccess::Create<ValueNull>(m_arena)};
    std::copy_backward(m_members + at, m_members + m_size, m_members + m_size + 1);
    ++m_size;
    m_members[at] = inserted;
    for (size_t k = at; k < m_size; ++k) TreeAccess::Adopt(this, m_members[k].value, static_cast<unsigned>(k));
    return inserted.value;
}

void ValueObject::Replace(int position, Value* fresh) {
    TreeAccess::Adopt(this, fresh, static_cast<unsigned>(position));
    std::swap(m_members[position].value, fresh);
    TreeAccess::Release(fresh, m_arena);
}

// ---- Document

namespace {

using RootFactory = Value* (*)(Arena*);

template <class Kind>
Value* MakeRoot(Arena* arena) {
    return TreeAccess::Create<Kind>(arena);
}

// The fixed order of root attempts; a double or null root is never tried.
const RootFactory kRootKinds[] = {
    &MakeRoot<ValueBool>,   &MakeRoot<ValueLongLong>, &MakeRoot<ValueLong>,
    &MakeRoot<ValueString>, &MakeRoot<ValueArray>,    &MakeRoot<ValueObject>,
};

}  // namespace

bool Document::Parse(const wchar_t* text) {
    m_value = nullptr;
    m_arena.Clear();
    m_error.Reset();
    if (text == nullptr) text = L"";
    const size_t length = std::wcslen(text);
    for (RootFactory make : kRootKinds) {
        ParseContext ctx(text, length);
        ctx.arena = &m_arena;
        Value* candidate = make(&m_arena);
        if (candidate->ParseFrom(ctx)) {
            m_value = candidate;
            m_error.Reset();
            return true;
        }
        m_error = ctx.error;
        m_arena.Clear();
    }
    return false;
}

std::wstring Document::Serialize() const {
    std::wstring out;
    if (m_value == nullptr || !m_value->WriteTo(out)) return std::wstring();
    return out;
}

Handle Document::operator[](const wchar_t* name) {
    if (m_value == nullptr) m_value = TreeAccess::Create<ValueObject>(&m_arena);
    return Handle(nullptr, m_value)[name];
}

}  // namespace BkJsonEx

#include "common/KIniWrapEx.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <cwctype>

#include "common/Utf8.h"

namespace {

std::wstring ToLower(std::wstring_view text) {
    std::wstring lower(text);
    for (wchar_t& c : lower) c = static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(c)));
    return lower;
}

bool IsWhite(wchar_t c) { return std::iswspace(static_cast<std::wint_t>(c)) != 0; }

std::wstring_view TrimWhite(std::wstring_view s) {
    size_t b = 0, e = s.size();
    while (b < e && IsWhite(s[b])) ++b;
    while (e > b && IsWhite(s[e - 1])) --e;
    return s.substr(b, e - b);
}

// Only blanks are dropped around names, keys and values; a tab inside the line is content.
std::wstring_view TrimLeadingSpaces(std::wstring_view s) {
    size_t b = 0;
    while (b < s.size() && s[b] == L' ') ++b;
    return s.substr(b);
}

std::wstring_view TrimTrailingSpaces(std::wstring_view s) {
    size_t e = s.size();
    while (e > 0 && s[e - 1] == L' ') --e;
    return s.substr(0, e);
}

int ParseIntSaturating(std::wstring_view s) {
    size_t i = 0;
    while (i < s.size() && IsWhite(s[i])) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) {
        negative = s[i] == L'-';
        ++i;
    }
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    long long v = 0;
    for (; i < s.size() && s[i] >= L'0' && s[i] <= L'9'; ++i) {
        v = v * 10 + (s[i] - L'0');
        if (v >= limit) {
            // Further digits can only make it larger.
            v = limit;
            break;
        }
    }
    return static_cast<int>(negative ? -v : v);
}

}  // namespace

bool KIniWrapEx::Parse(std::wstring_view text) {
    size_t pos = text.find(L'[');
    if (pos == std::wstring_view::npos) return false;

    bool haveSection = false;
    std::wstring sectionName;
    // Resolved on the section's first key, so a header without keys adds nothing, and looked up once per
    // section rather than per key, which keeps a long name followed by many keys linear.
    KeyMap* section = nullptr;

    while (pos < text.size()) {
        const size_t eol = text.find(L'\n', pos);
        const size_t next = eol == std::wstring_view::npos ? text.size() : eol + 1;
        const std::wstring_view line = TrimWhite(text.substr(pos, next - pos));
        pos = next;
        if (line.empty()) continue;

        if (line.size() >= 2 && line.front() == L'[' && line.back() == L']') {
            const std::wstring_view name = TrimTrailingSpaces(TrimLeadingSpaces(line.substr(1, line.size() - 2)));
            if (name.empty()) return false;
            sectionName = ToLower(name);
            haveSection = true;
            section = nullptr;
            continue;
        }

        const size_t eq = line.find(L'=');
        // A key outside any section would be written back under "[]", which does not read back.
        if (eq == std::wstring_view::npos || !haveSection) return false;
        const std::wstring_view key = TrimTrailingSpaces(line.substr(0, eq));
        if (key.empty()) return false;
        if (!section) section = &sections_[sectionName];
        section->insert_or_assign(ToLower(key), std::wstring(TrimLeadingSpaces(line.substr(eq + 1))));
    }
    return true;
}

bool KIniWrapEx::ToText(std::wstring& out) const {
    out.clear();
    for (const auto& [name, keys] : sections_) {
        out += L'[';
        out += name;
        out += L"]\r\n";
        for (const auto& [key, value] : keys) {
            out += key;
            out += L'=';
            out += value;
            out += L"\r\n";
        }
    }
    return true;
}

bool KIniWrapEx::LoadFromUtf8(std::string_view bytes) {
    Clear();
    if (const void* nul = std::memchr(bytes.data(), 0, bytes.size()))
        bytes = bytes.substr(0, static_cast<size_t>(static_cast<const char*>(nul) - bytes.data()));
    if (bytes.empty()) return true;

    std::wstring text;
    Utf8ToWide(bytes, text);
    std::replace(text.begin(), text.end(), L'\r', L'\n');
    return Parse(text);
}

void KIniWrapEx::SetValue(std::wstring_view section, std::wstring_view key, std::wstring_view value) {
    sections_[ToLower(section)].insert_or_assign(ToLower(key), std::wstring(value));
}

const std::wstring* KIniWrapEx::Find(std::wstring_view section, std::wstring_view key) const {
    const auto s = sections_.find(ToLower(section));
    if (s == sections_.end()) return nullptr;
    const auto k = s->second.find(ToLower(key));
    return k == s->second.end() ? nullptr : &k->second;
}

std::wstring KIniWrapEx::GetString(std::wstring_view section, std::wstring_view key) const {
    const std::wstring* value = Find(section, key);
    return value ? *value : std::wstring();
}

int KIniWrapEx::GetInt(std::wstring_view section, std::wstring_view key) const {
    const std::wstring* value = Find(section, key);
    return value ? ParseIntSaturating(*value) : 0;
}

#include "shell/CCmdLineParser.h"

#include <cwctype>

namespace {

const wchar_t kSwitchDelimiters[] = L"-/";
const wchar_t kValueSeparators[] = L" :=";
const wchar_t kQuote = L'"';

}  // namespace

std::wstring CCmdLineParser::NormalizedName(std::wstring name) const {
    if (!m_caseSensitive) {
        for (wchar_t& c : name) c = static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(c)));
    }
    return name;
}

void CCmdLineParser::Insert(std::wstring name, std::wstring value) {
    // An empty name comes from a delimiter directly followed by a separator: nothing to keep.
    if (name.empty()) return;
    m_switches.emplace(NormalizedName(std::move(name)), std::move(value));  // never replaces an earlier one
}

bool CCmdLineParser::Parse(const wchar_t* text) {
    if (text == nullptr) return false;
    m_switches.clear();
    m_commandLine = text;

    const std::wstring& line = m_commandLine;
    const size_t npos = std::wstring::npos;
    size_t current = 0;
    while (current < line.size()) {
        const size_t delimiter = line.find_first_of(kSwitchDelimiters, current);
        if (delimiter == npos || delimiter + 1 >= line.size()) break;
        const size_t nameStart = delimiter + 1;

        const size_t separator = line.find_first_of(kValueSeparators, nameStart);
        if (separator == npos) {
            Insert(line.substr(nameStart), std::wstring());
            break;
        }
        std::wstring name = line.substr(nameStart, separator - nameStart);
        if (line[separator] == L' ' || separator + 1 == line.size()) {
            Insert(std::move(name), std::wstring());
            current = separator + 1;
            continue;
        }

        size_t valueStart = separator + 1;
        size_t valueEnd;
        if (line[valueStart] == kQuote) {
            ++valueStart;
            valueEnd = line.find(kQuote, valueStart);
        } else {
            valueEnd = line.find(L' ', valueStart);
        }
        if (valueEnd == npos) {
            // An unterminated quote or a last value runs to the end of the text.
            Insert(std::move(name), line.substr(valueStart));
            break;
        }
        Insert(std::move(name), line.substr(valueStart, valueEnd - valueStart));
        current = valueEnd + 1;
    }
    return true;
}

CCmdLineParser::SwitchMap::const_iterator CCmdLineParser::FindSwitch(const wchar_t* name) const {
    if (name == nullptr) return m_switches.end();
    return m_switches.find(NormalizedName(name));
}

bool CCmdLineParser::HasSwitch(const wchar_t* name) const { return FindSwitch(name) != m_switches.end(); }

bool CCmdLineParser::HasSwitchValue(const wchar_t* name) const {
    const auto it = FindSwitch(name);
    return it != m_switches.end() && !it->second.empty();
}

bool CCmdLineParser::GetSwitchValue(const wchar_t* name, std::wstring& value) const {
    const auto it = FindSwitch(name);
    if (it == m_switches.end()) return false;
    value = it->second;
    return true;
}

#include "JsonLayout.h"

namespace {

bool IsJsonSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Part of a number or a literal rather than punctuation.
bool IsBareChar(char c) {
    return !IsJsonSpace(c) && c != '{' && c != '}' && c != '[' && c != ']' && c != ',' && c != ':' && c != '"';
}

void NewLine(std::string& out, int depth) {
    out += '\n';
    out.append(static_cast<std::size_t>(depth) * 2, ' ');
}

class Scanner {
public:
    explicit Scanner(std::string_view text) : m_text(text) {}

    JsonScan Run() {
        JsonScan scan;
        m_scan = &scan;
        if (!Value(std::string(), 0)) return scan;
        scan.complete = true;
        scan.valueEnd = m_at;
        SkipSpace();
        scan.textAfterValue = m_at < m_text.size();
        return scan;
    }

private:
    static constexpr int kMaxDepth = 512;

    void SkipSpace() {
        while (m_at < m_text.size() && IsJsonSpace(m_text[m_at])) {
            if (m_text[m_at] == '\n') ++m_line;
            ++m_at;
        }
    }

    bool String(std::string* name) {
        if (m_at >= m_text.size() || m_text[m_at] != '"') return false;
        const std::size_t start = ++m_at;
        while (m_at < m_text.size() && m_text[m_at] != '"') {
            if (m_text[m_at] == '\\') ++m_at;
            if (m_at < m_text.size() && m_text[m_at] == '\n') ++m_line;
            ++m_at;
        }
        if (m_at >= m_text.size()) return false;
        if (name != nullptr) *name = std::string(m_text.substr(start, m_at - start));
        ++m_at;
        return true;
    }

    bool Value(const std::string& path, int depth) {
        if (depth > kMaxDepth) return false;
        SkipSpace();
        if (m_at >= m_text.size()) return false;
        const char c = m_text[m_at];
        if (c == '"') return String(nullptr);
        if (c == '{') return Object(path, depth);
        if (c == '[') return Array(path, depth);
        // A number or a literal: everything up to the next separator.
        const std::size_t start = m_at;
        while (m_at < m_text.size() && !IsJsonSpace(m_text[m_at]) && m_text[m_at] != ',' && m_text[m_at] != ']' &&
               m_text[m_at] != '}')
            ++m_at;
        return m_at > start;
    }

    bool Object(const std::string& path, int depth) {
        const std::size_t index = m_scan->objects.size();
        m_scan->objects.push_back(ScannedObject{path, m_line, {}});
        ++m_at;
        SkipSpace();
        if (m_at < m_text.size() && m_text[m_at] == '}') {
            ++m_at;
            return true;
        }
        for (;;) {
            SkipSpace();
            ScannedMember member;
            member.line = m_line;
            if (!String(&member.name)) return false;
            m_scan->objects[index].members.push_back(member);
            SkipSpace();
            if (m_at >= m_text.size() || m_text[m_at] != ':') return false;
            ++m_at;
            const std::string childPath = path.empty() ? member.name : path + "." + member.name;
            if (!Value(childPath, depth + 1)) return false;
            SkipSpace();
            if (m_at >= m_text.size()) return false;
            const char c = m_text[m_at++];
            if (c == '}') return true;
            if (c != ',') return false;
        }
    }

    bool Array(const std::string& path, int depth) {
        ++m_at;
        SkipSpace();
        if (m_at < m_text.size() && m_text[m_at] == ']') {
            ++m_at;
            return true;
        }
        for (int i = 0;; ++i) {
            if (!Value(path + "[" + std::to_string(i) + "]", depth + 1)) return false;
            SkipSpace();
            if (m_at >= m_text.size()) return false;
            const char c = m_text[m_at++];
            if (c == ']') return true;
            if (c != ',') return false;
        }
    }

    std::string_view m_text;
    std::size_t m_at = 0;
    int m_line = 1;
    JsonScan* m_scan = nullptr;
};

}  // namespace

std::string IndentJson(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 2);
    int depth = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (IsJsonSpace(c)) {
            // Two bare words stay apart, so invalid text such as "1 2" is not joined into valid text.
            while (i < text.size() && IsJsonSpace(text[i])) ++i;
            if (i < text.size() && !out.empty() && IsBareChar(out.back()) && IsBareChar(text[i])) out += ' ';
            continue;
        }
        if (c == '"') {
            const std::size_t start = i++;
            while (i < text.size() && text[i] != '"') i += text[i] == '\\' ? 2 : 1;
            i = i < text.size() ? i + 1 : text.size();
            out.append(text.substr(start, i - start));
            continue;
        }
        ++i;
        switch (c) {
            case '{':
            case '[': {
                // Keep empty containers on one line.
                std::size_t next = i;
                while (next < text.size() && IsJsonSpace(text[next])) ++next;
                const char close = c == '{' ? '}' : ']';
                if (next < text.size() && text[next] == close) {
                    out += c;
                    out += close;
                    i = next + 1;
                    break;
                }
                out += c;
                ++depth;
                NewLine(out, depth);
                break;
            }
            case '}':
            case ']':
                if (depth > 0) --depth;
                NewLine(out, depth);
                out += c;
                break;
            case ',':
                out += c;
                NewLine(out, depth);
                break;
            case ':':
                out += ": ";
                break;
            default:
                out += c;
        }
    }
    out += '\n';
    return out;
}

JsonScan ScanJson(std::string_view text) { return Scanner(text).Run(); }

std::string SchemaPath(const std::string& path) {
    std::string out;
    bool inIndex = false;
    for (char c : path) {
        if (c == '[') inIndex = true;
        if (!inIndex) out += c;
        if (c == ']') inIndex = false;
    }
    return out;
}

#include "service/ServiceLogFormat.h"

#include <cstdio>

namespace {

void PutCodePoint(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// UTF-16 (or UTF-32 where wchar_t is wide) to UTF-8; a lone surrogate becomes U+FFFD.
void AppendUtf8(std::string& out, const wchar_t* text, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        uint32_t cp = static_cast<uint32_t>(text[i]);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < length) {
            const uint32_t low = static_cast<uint32_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = 0xFFFD;
        PutCodePoint(out, cp);
    }
}

}  // namespace

std::string FormatLogPrefix(const LogStamp& s) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d|~%04lu| ", s.year, s.month, s.day, s.hour,
                  s.minute, s.second, s.threadId);
    return buffer;
}

std::string LogSeparator() { return std::string(69, '=') + "\r\n\r\n"; }

void AppendLogPiece(std::string& line, const std::wstring& text) { AppendUtf8(line, text.data(), text.size()); }

void AppendLogPiece(std::string& line, const wchar_t* text) {
    if (!text) return;
    size_t length = 0;
    while (text[length] != L'\0') ++length;
    AppendUtf8(line, text, length);
}

void AppendLogNumber(std::string& line, uint32_t number) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%lu", static_cast<unsigned long>(number));
    line += buffer;
}

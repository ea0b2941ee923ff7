#include "service/ServiceLogFormat.h"

#include "common/Utf8.h"

#include <cstdio>

std::string FormatLogPrefix(const LogStamp& s) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d|~%04lu| ", s.year, s.month, s.day, s.hour,
                  s.minute, s.second, s.threadId);
    return buffer;
}

std::string LogSeparator() { return std::string(69, '=') + "\r\n\r\n"; }

void AppendLogPiece(std::string& line, const std::wstring& text) { line += WideToUtf8(text); }

void AppendLogPiece(std::string& line, const wchar_t* text) {
    if (!text) return;
    size_t length = 0;
    while (text[length] != L'\0') ++length;
    line += WideToUtf8(std::wstring_view(text, length));
}

void AppendLogNumber(std::string& line, uint32_t number) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%lu", static_cast<unsigned long>(number));
    line += buffer;
}

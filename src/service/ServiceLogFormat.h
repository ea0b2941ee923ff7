// The service log's text rules: line prefix, separator, size limit and how pieces of a line are written.
// Portable; the file and the lock live in KServiceLog_win.cpp.
#pragma once

#include <cstdint>
#include <string>

struct LogStamp {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    unsigned long threadId = 0;
};

// "YYYY-MM-DD hh:mm:ss|~tttt| " (thread id at least four digits).
std::string FormatLogPrefix(const LogStamp& stamp);

// 69 "=" followed by an empty line, written whenever the file is opened.
std::string LogSeparator();

// A file larger than this many bytes is started afresh instead of appended to.
inline constexpr uint64_t kServiceLogMaxBytes = 10485760;
inline constexpr bool LogNeedsTruncation(uint64_t size) { return size > kServiceLogMaxBytes; }

// Pieces of a line: texts as they are (UTF-16 in, UTF-8 out), numbers as the 32-bit unsigned values the system
// hands out ("%lu" of a DWORD: -2 is written 4294967294).
void AppendLogPiece(std::string& line, const std::wstring& text);
void AppendLogPiece(std::string& line, const wchar_t* text);
void AppendLogNumber(std::string& line, uint32_t number);
inline void AppendLogPiece(std::string& line, unsigned long n) { AppendLogNumber(line, static_cast<uint32_t>(n)); }
inline void AppendLogPiece(std::string& line, unsigned int n) { AppendLogNumber(line, static_cast<uint32_t>(n)); }
inline void AppendLogPiece(std::string& line, int n) { AppendLogNumber(line, static_cast<uint32_t>(n)); }
inline void AppendLogPiece(std::string& line, long n) { AppendLogNumber(line, static_cast<uint32_t>(n)); }

#include <windows.h>

#include "common/RegistryRead.h"
#include "service/KServiceLog.h"
#include "shell/Paths.h"

namespace {

std::wstring ProcessLogPath() {
    // The log needs the executable's folder; a name that fills the whole buffer may be cut, so no log then.
    wchar_t name[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, name, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::wstring();
    const std::wstring dir = GetExeDir();
    if (dir.empty()) return std::wstring();
    return dir + L"log\\tarnwickservice.exe.log.txt";
}

}  // namespace

bool KServiceLog::ReadSwitch(const std::wstring& exeDir) {
    if (!exeDir.empty()) CreateDirTreeReplacingFile(exeDir + L"log");
    DWORD value = 0;
    return RegReadDword(HKEY_LOCAL_MACHINE, L"software\\Velmora\\setup", L"needWriteLog", RegView::Wow32, value) &&
           value != 0;
}

KServiceLog& KServiceLog::Instance() {
    // A function-local static: built once, thread-safe, destroyed at exit after every line was written.
    static KServiceLog log = [] {
        const bool on = ReadSwitch(GetExeDir());
        const std::wstring path = ProcessLogPath();
        return KServiceLog(path, on && !path.empty());
    }();
    return log;
}

KServiceLog::KServiceLog(std::wstring filePath, bool enabled) : m_filePath(std::move(filePath)), m_enabled(enabled) {}

bool KServiceLog::OpenFile() {
    m_openTried = true;
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    uint64_t size = 0;
    if (GetFileAttributesExW(m_filePath.c_str(), GetFileExInfoStandard, &data)) {
        size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    const bool truncate = LogNeedsTruncation(size);
    // Shared for writing: a second copy of the program (started from a console) writes into the same file.
    m_file.Reset(CreateFileW(m_filePath.c_str(), FILE_APPEND_DATA | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, truncate ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_file) return false;
    LARGE_INTEGER now = {};
    std::string head;
    if (GetFileSizeEx(m_file.Get(), &now) && now.QuadPart == 0) head = "\xEF\xBB\xBF";  // a new file: UTF-8 mark
    head += LogSeparator();
    DWORD written = 0;
    WriteFile(m_file.Get(), head.data(), static_cast<DWORD>(head.size()), &written, nullptr);
    return true;
}

void KServiceLog::WriteLine(const std::string& body) {
    SYSTEMTIME t = {};
    GetLocalTime(&t);
    LogStamp stamp;
    stamp.year = t.wYear;
    stamp.month = t.wMonth;
    stamp.day = t.wDay;
    stamp.hour = t.wHour;
    stamp.minute = t.wMinute;
    stamp.second = t.wSecond;
    stamp.threadId = GetCurrentThreadId();
    const std::string line = FormatLogPrefix(stamp) + body + "\r\n";

    CritSecLock guard(m_lock);
    if (!m_file && !m_openTried) OpenFile();
    if (!m_file) return;
    DWORD written = 0;
    // Appending handles write at the end, so lines of two processes never overwrite each other.
    WriteFile(m_file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

// The service's optional text log: UTF-8 lines "YYYY-MM-DD hh:mm:ss|~tttt| " + pieces, in
// "log\tarnwickservice.exe.log.txt" next to the executable. Switched on by the DWORD "needWriteLog" under
// HKLM "software\Velmora\setup" (32-bit view), read once. Windows only; any thread: each line is written whole
// under one critical section.
#pragma once

#include <string>

#include "common/ScopedWin.h"
#include "service/ServiceLogFormat.h"
#include "common/CritSec.h"

class KServiceLog {
public:
    // The process-wide log; created on first use, which reads the switch and makes the "log" folder.
    static KServiceLog& Instance();

    // A log on an explicit file (tests). `enabled` false writes nothing.
    KServiceLog(std::wstring filePath, bool enabled);

    KServiceLog(const KServiceLog&) = delete;
    KServiceLog& operator=(const KServiceLog&) = delete;

    bool Enabled() const { return m_enabled; }
    const std::wstring& FilePath() const { return m_filePath; }

    template <typename... Pieces>
    void Line(const Pieces&... pieces) {
        if (!m_enabled) return;
        std::string text;
        (AppendLogPiece(text, pieces), ...);
        WriteLine(text);
    }

    // Makes the folder "log" in `exeDir` (deleting a file of that name) and answers whether the switch is on.
    static bool ReadSwitch(const std::wstring& exeDir);

private:
    void WriteLine(const std::string& body);
    bool OpenFile();

    std::wstring m_filePath;
    bool m_enabled = false;
    bool m_openTried = false;
    CritSec m_lock;
    ScopedHandle m_file;
};

// Shorthand for the process-wide log.
template <typename... Pieces>
void SvcLog(const Pieces&... pieces) {
    KServiceLog::Instance().Line(pieces...);
}

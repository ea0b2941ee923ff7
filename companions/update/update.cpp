// update.exe: the updater's stand-in. It records each start, one line per start in "<own name>.started.txt"
// beside itself: the whole command line as it arrived. The same program stands in for other sibling programs
// (copied under their names), so a test can see who was started and with what.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t self[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 1;
    std::wstring record(self, length);
    const size_t dot = record.find_last_of(L'.');
    if (dot != std::wstring::npos && record.find_last_of(L"\\/") < dot) record.erase(dot);
    record += L".started.txt";

    const std::wstring line = std::wstring(GetCommandLineW()) + L"\r\n";
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(bytes > 0 ? bytes : 0, '\0');
    if (bytes > 0) {
        WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), &utf8[0], bytes, nullptr, nullptr);
    }
    // Appended whole in one write, so starts that overlap do not mix their lines.
    const HANDLE file = CreateFileW(record.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(file);
    return ok ? 0 : 1;
}

// markertool.exe: a stand-in for a catalogue tool or installer. Each start leaves "<own path>.marker.txt" beside
// itself, in UTF-8:
//   exe=<the full path it runs from>
//   args=<its arguments: the command line after the program name>
// so a test can prove which copy ran and with what. The file is written under another name and then renamed,
// so a reader never sees half of it; a later start replaces it.
#include <windows.h>

#include <string>

namespace {

std::string ToUtf8(const std::wstring& text) {
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(bytes > 0 ? bytes : 0, '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &utf8[0], bytes, nullptr, nullptr);
    return utf8;
}

// What follows the program name, the way the C runtime splits it: a quoted name ends at the closing quote.
std::wstring Arguments(const wchar_t* line) {
    const wchar_t* p = line;
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"') ++p;
        if (*p) ++p;
    } else {
        while (*p && *p != L' ' && *p != L'\t') ++p;
    }
    while (*p == L' ' || *p == L'\t') ++p;
    return p;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t self[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH) return 1;
    const std::wstring exe(self, length);
    const std::wstring marker = exe + L".marker.txt";
    const std::wstring partial = exe + L".marker.tmp";

    const std::string text = "exe=" + ToUtf8(exe) + "\r\nargs=" + ToUtf8(Arguments(GetCommandLineW())) + "\r\n";
    const HANDLE file =
        CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != text.size()) return 1;
    return MoveFileExW(partial.c_str(), marker.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}

#include <windows.h>

#include <cstdio>
#include <memory>

#include "CatalogCheck.h"
#include "ToolFiles.h"
#include "common/Utf8.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::wstring WidePath(const std::string& path) { return Utf8ToWide(path); }

}  // namespace

std::vector<std::string> ToolArguments(int, char**) {
    // The narrow argv is in the ANSI code page and loses Chinese file names; take the wide command line instead.
    SetConsoleOutputCP(CP_UTF8);
    std::vector<std::string> arguments;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(WideToUtf8(wide[i]));
    LocalFree(wide);
    return arguments;
}

bool ReadFileBytes(const std::string& path, std::string& bytes) {
    bytes.clear();
    File file(_wfopen(WidePath(path).c_str(), L"rb"));
    if (!file) return false;
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) bytes.append(buffer, got);
    return std::ferror(file.get()) == 0;
}

bool WriteFileBytes(const std::string& path, std::string_view bytes) {
    const std::wstring wide = WidePath(path);
    File file(_wfopen(wide.c_str(), L"wb"));
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    const bool closed = std::fclose(file.release()) == 0;
    if (written && closed) return true;
    DeleteFileW(wide.c_str());
    return false;
}

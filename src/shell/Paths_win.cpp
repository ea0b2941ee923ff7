#include <windows.h>

#include <vector>

#include "common/RegistryRead.h"
#include "shell/Drives.h"
#include "shell/PathText.h"
#include "shell/Paths.h"

namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsDirectory(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

std::wstring GetExeDir() {
    // Grows past MAX_PATH: a cut module name would give a wrong folder.
    std::vector<wchar_t> name(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) return std::wstring();
        if (length < name.size()) return GetDirPart(std::wstring(name.data(), length));
        if (name.size() >= 32768) return std::wstring();
        name.resize(name.size() * 2);
    }
}

bool CreateDirTree(const std::wstring& path) {
    if (Exists(path)) return true;
    if (CreateDirectoryW(path.c_str(), nullptr)) return true;
    if (GetLastError() == ERROR_ALREADY_EXISTS) return Exists(path);

    std::wstring parent = path;
    CutLastComponent(parent);
    if (parent.empty() || !CreateDirTree(parent)) return false;
    CreateDirectoryW(path.c_str(), nullptr);
    return Exists(path);
}

bool CreateDirTreeReplacingFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
    }
    return CreateDirTree(path) && IsDirectory(path);
}

std::wstring GetInstallPath() {
    std::wstring path;
    if (!RegReadString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Velmora\\setup", L"installpath", RegView::Default, path) ||
        path.empty()) {
        return std::wstring();  // an empty value must not turn into "\", the root of the current drive
    }
    EnsureTrailingSlash(path);
    return path;
}

std::wstring GetDownloadDir() {
    std::wstring dir = ChooseDownloadRoot(SystemDriveProbe());
    EnsureTrailingSlash(dir);
    if (!Exists(dir)) CreateDirTree(dir);
    return dir;
}

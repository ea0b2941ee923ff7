#include <shlobj.h>
#include <windows.h>

#include <string>

#include "common/KIniWrapEx.h"
#include "common/ScopedWin.h"

namespace {

constexpr LONGLONG kMaxFileBytes = 2 * 1024 * 1024;

bool IsMissing(const std::wstring& path) {
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    const DWORD err = GetLastError();
    // Anything else (access denied, bad name) is left to the open that follows to report.
    return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND;
}

bool IsDirectory(const std::wstring& path) {
    const DWORD attrs = GetFileAttributesW(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool CreateParentDirectories(const std::wstring& path) {
    // SHCreateDirectoryExW rejects relative paths and wants backslashes; GetFullPathNameW gives both.
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return false;
    std::wstring full(needed, L'\0');
    const DWORD len = GetFullPathNameW(path.c_str(), needed, &full[0], nullptr);
    if (len == 0 || len >= needed) return false;
    full.resize(len);

    const size_t slash = full.find_last_of(L'\\');
    if (slash == std::wstring::npos) return false;
    const std::wstring dir = full.substr(0, slash);
    // "Already exists" and a drive root (which SHCreateDirectoryExW may refuse) both count as success.
    if (IsDirectory(dir + L'\\')) return true;
    SHCreateDirectoryExW(nullptr, dir.c_str(), nullptr);
    return IsDirectory(dir);
}

bool CreateEmptyFile(const std::wstring& path, bool& existed) {
    existed = false;
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) existed = GetLastError() == ERROR_FILE_EXISTS;
    return static_cast<bool>(file);
}

bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 || size.QuadPart > kMaxFileBytes) return false;

    const DWORD total = static_cast<DWORD>(size.QuadPart);
    bytes.resize(total);
    DWORD done = 0;
    while (done < total) {
        DWORD got = 0;
        // A file that shrinks under us ends the loop with got == 0: it was not read in full.
        if (!ReadFile(file.Get(), &bytes[done], total - done, &got, nullptr) || got == 0) return false;
        done += got;
    }
    return true;
}

}  // namespace

bool KIniWrapEx::Load(const std::wstring& path, bool createIfMissing) {
    // Cleared on every path so a document never shows an earlier file's content as this one's.
    Clear();

    if (createIfMissing && IsMissing(path)) {
        if (!CreateParentDirectories(path)) return false;
        bool existed = false;
        if (CreateEmptyFile(path, existed)) return true;
        // Created by someone else in the meantime: read theirs.
        if (!existed) return false;
    }

    std::string bytes;
    if (!ReadWholeFile(path, bytes)) return false;
    return LoadFromUtf8(bytes);
}

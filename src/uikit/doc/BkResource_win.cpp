#include <windows.h>

#include <mutex>

#include "common/ScopedWin.h"
#include "uikit/doc/BkResource.h"

namespace {

std::mutex g_folderLock;
std::wstring g_folder;

// Resources of the executable, not of whichever DLL this code might end up in.
bool ReadProgramResource(int id, const wchar_t* type, std::string& data) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!info) return false;
    HGLOBAL loaded = LoadResource(module, info);
    const DWORD size = SizeofResource(module, info);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return false;
    data.assign(static_cast<const char*>(bytes), size);
    return true;
}

bool ReadWholeFile(const std::wstring& path, std::string& data) {
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    // UI documents and images are small; refuse anything that is plainly not one of them.
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > 64 * 1024 * 1024) return false;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD done = 0;
    if (!bytes.empty() &&
        (!ReadFile(file.Get(), &bytes[0], static_cast<DWORD>(bytes.size()), &done, nullptr) || done != bytes.size())) {
        return false;
    }
    data.swap(bytes);
    return true;
}

std::wstring FallbackPath(int id, const wchar_t* type) {
    return BkGetResourceFolder() + L"\\" + std::to_wstring(id) + L"." + type;
}

}  // namespace

void BkSetResourceFolder(const std::wstring& folder) {
    std::lock_guard<std::mutex> lock(g_folderLock);
    g_folder = folder;
}

std::wstring BkGetResourceFolder() {
    std::lock_guard<std::mutex> lock(g_folderLock);
    return g_folder;
}

bool BkFindResourceData(int id, const wchar_t* type, std::string& data) {
    if (!type) return false;
    return ReadProgramResource(id, type, data) || ReadWholeFile(FallbackPath(id, type), data);
}

std::vector<std::string> BkCollectResourceData(int id, const wchar_t* type) {
    std::vector<std::string> found;
    if (!type) return found;
    std::string data;
    if (ReadProgramResource(id, type, data)) found.push_back(std::move(data));
    if (ReadWholeFile(FallbackPath(id, type), data)) found.push_back(std::move(data));
    return found;
}

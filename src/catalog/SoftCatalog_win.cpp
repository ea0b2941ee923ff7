// The Windows half of the catalogue: where the file lives, reading it, and the OS code used for the filter.
#include <windows.h>

#include <new>
#include <string>

#include "catalog/SoftCatalog.h"
#include "common/OsVersion.h"
#include "common/ScopedWin.h"
#include "shell/Paths.h"

namespace {

CatalogError ReadWholeFile(const std::wstring& path, std::string& bytes) {
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return CatalogError::kMissing;
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return CatalogError::kUnreadable;
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.Get(), &size)) return CatalogError::kUnreadable;
    if (size.QuadPart == 0) return CatalogError::kEmptyFile;
    if (static_cast<unsigned long long>(size.QuadPart) > kCatalogMaxFileSize) return CatalogError::kTooLarge;

    bytes.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        if (!ReadFile(file.Get(), &bytes[done], static_cast<DWORD>(bytes.size() - done), &got, nullptr) || got == 0)
            break;
        done += got;
    }
    // A file that shrank while we read it is cut, and a cut text is not the catalogue.
    if (done != bytes.size()) return CatalogError::kUnreadable;
    return CatalogError::kNone;
}

}  // namespace

void SoftCatalog::GetCatalogPath(std::wstring& path) { path = GetExeDir() + L"data\\velmora_config.dat"; }

bool SoftCatalog::Load() {
    std::string bytes;
    try {
        m_lastError = ReadWholeFile(m_path, bytes);
    } catch (const std::bad_alloc&) {
        m_lastError = CatalogError::kOutOfMemory;
    }
    if (m_lastError != CatalogError::kNone) {
        m_lists = CatalogLists();
        return false;
    }
    return LoadFromImage(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

bool LoadInstalledCatalog() {
    SoftCatalog& catalog = SoftCatalog::Instance();
    std::wstring path;
    SoftCatalog::GetCatalogPath(path);
    catalog.SetPath(path);
    catalog.SetOsCode(GetOsVersionCode());
    return catalog.Load();
}

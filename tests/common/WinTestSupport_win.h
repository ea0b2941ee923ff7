// Helpers of the Windows tests: a scratch folder that removes itself, and a registry value that is put back as it
// was. Both live only as long as one test.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "common/ScopedWin.h"

namespace wintest {

inline bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
    ScopedHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return bytes.empty() || (WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                             written == bytes.size());
}

inline bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size)) return false;
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    return bytes.empty() ||
           (ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) && got == bytes.size());
}

inline bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline void RemoveTree(const std::wstring& dir) {
    WIN32_FIND_DATAW entry;
    ScopedFindHandle find(FindFirstFileW((dir + L"\\*").c_str(), &entry));
    if (find) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = dir + L"\\" + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(find.Get(), &entry));
    }
    RemoveDirectoryW(dir.c_str());
}

// A fresh, empty folder under the temporary folder, without a trailing backslash.
class TempFolder {
public:
    explicit TempFolder(const wchar_t* tag) {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        m_path = std::wstring(temp) + L"velmora_" + tag + L"_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                 std::to_wstring(GetTickCount());
        RemoveTree(m_path);
        CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~TempFolder() { RemoveTree(m_path); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& Path() const { return m_path; }
    std::wstring operator/(const std::wstring& name) const { return m_path + L"\\" + name; }

private:
    std::wstring m_path;
};

inline bool KeyExists(HKEY root, const std::wstring& subKey, REGSAM view = 0) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subKey.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// Writes one value of a real key (for example under HKLM in the private Wine prefix) and puts everything back on
// destruction: the old value if there was one, otherwise no value, and no key that the test created.
class ScratchRegistryValue {
public:
    ScratchRegistryValue(HKEY root, std::wstring subKey, std::wstring name)
        : m_root(root), m_subKey(std::move(subKey)), m_name(std::move(name)) {
        // The outermost missing key is the one to delete again.
        for (size_t pos = 0;; ++pos) {
            pos = m_subKey.find(L'\\', pos);
            const std::wstring prefix = m_subKey.substr(0, pos);
            if (!KeyExists(m_root, prefix)) {
                m_firstCreated = prefix;
                break;
            }
            if (pos == std::wstring::npos) break;
        }
        ScopedRegKey key;
        if (m_firstCreated.empty() &&
            RegOpenKeyExW(m_root, m_subKey.c_str(), 0, KEY_READ, key.Receive()) == ERROR_SUCCESS) {
            DWORD bytes = 0;
            if (RegQueryValueExW(key.Get(), m_name.c_str(), nullptr, &m_oldType, nullptr, &bytes) == ERROR_SUCCESS) {
                m_oldData.resize(bytes);
                m_hadValue = RegQueryValueExW(key.Get(), m_name.c_str(), nullptr, &m_oldType, m_oldData.data(),
                                              &bytes) == ERROR_SUCCESS;
            }
        }
    }

    ~ScratchRegistryValue() {
        if (!m_firstCreated.empty()) {
            RegDeleteTreeW(m_root, m_firstCreated.c_str());
            return;
        }
        ScopedRegKey key;
        if (RegOpenKeyExW(m_root, m_subKey.c_str(), 0, KEY_SET_VALUE, key.Receive()) != ERROR_SUCCESS) return;
        if (m_hadValue) {
            RegSetValueExW(key.Get(), m_name.c_str(), 0, m_oldType, m_oldData.data(),
                           static_cast<DWORD>(m_oldData.size()));
        } else {
            RegDeleteValueW(key.Get(), m_name.c_str());
        }
    }
    ScratchRegistryValue(const ScratchRegistryValue&) = delete;
    ScratchRegistryValue& operator=(const ScratchRegistryValue&) = delete;

    bool Set(DWORD type, const void* data, DWORD bytes) {
        ScopedRegKey key;
        if (RegCreateKeyExW(m_root, m_subKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Receive(), nullptr) !=
            ERROR_SUCCESS) {
            return false;
        }
        return RegSetValueExW(key.Get(), m_name.c_str(), 0, type, static_cast<const BYTE*>(data), bytes) ==
               ERROR_SUCCESS;
    }
    bool SetString(const std::wstring& text, DWORD type = REG_SZ) {
        return Set(type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    bool SetDword(DWORD value) { return Set(REG_DWORD, &value, sizeof(value)); }

    // Leaves the key (if it exists) without the value.
    void Remove() {
        ScopedRegKey key;
        if (RegOpenKeyExW(m_root, m_subKey.c_str(), 0, KEY_SET_VALUE, key.Receive()) == ERROR_SUCCESS) {
            RegDeleteValueW(key.Get(), m_name.c_str());
        }
    }

private:
    HKEY m_root;
    std::wstring m_subKey;
    std::wstring m_name;
    std::wstring m_firstCreated;
    bool m_hadValue = false;
    DWORD m_oldType = 0;
    std::vector<BYTE> m_oldData;
};

}  // namespace wintest

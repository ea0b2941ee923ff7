#include <vector>

#include "common/RegistryRead.h"

bool RegOpenForRead(HKEY root, const wchar_t* subKey, RegView view, ScopedRegKey& key) {
    const REGSAM access = view == RegView::Wow32 ? KEY_READ | KEY_WOW64_32KEY : KEY_READ;
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, subKey, 0, access, &opened) != ERROR_SUCCESS) return false;
    key.Reset(opened);
    return true;
}

bool RegReadString(HKEY key, const wchar_t* name, std::wstring& value) {
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;

    // One character more than reported, zeroed, and never handed to the second query: the stored text need not
    // end with a NUL (and may have an odd byte count).
    std::vector<wchar_t> buffer((bytes + sizeof(wchar_t) - 1) / sizeof(wchar_t) + 1, L'\0');
    DWORD readBytes = bytes;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &readBytes) !=
        ERROR_SUCCESS) {
        return false;  // including a value that grew between the two queries
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    value.assign(buffer.data());
    return true;
}

bool RegReadDword(HKEY key, const wchar_t* name, DWORD& value) {
    DWORD type = 0;
    DWORD data = 0;
    DWORD bytes = sizeof(data);
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &bytes) != ERROR_SUCCESS) {
        return false;
    }
    if (type != REG_DWORD || bytes != sizeof(data)) return false;
    value = data;
    return true;
}

bool RegReadString(HKEY root, const wchar_t* subKey, const wchar_t* name, RegView view, std::wstring& value) {
    ScopedRegKey key;
    return RegOpenForRead(root, subKey, view, key) && RegReadString(key.Get(), name, value);
}

bool RegReadDword(HKEY root, const wchar_t* subKey, const wchar_t* name, RegView view, DWORD& value) {
    ScopedRegKey key;
    return RegOpenForRead(root, subKey, view, key) && RegReadDword(key.Get(), name, value);
}

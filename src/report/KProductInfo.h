// The product facts that name the installation's registry keys. Portable constants.
#pragma once

#include <string>

class KProductInfo {
public:
    static const KProductInfo& Instance() {
        static const KProductInfo info;
        return info;
    }

    const wchar_t* ProductName() const { return L"\u7EF4\u83AB\u62C9"; }
    const wchar_t* HealthRegPath() const { return L"Software\\Velmora\\dedizivori\\"; }
    const wchar_t* ProductFlag() const { return L"Velmora"; }
    // "software\<flag>\setup" under HKEY_LOCAL_MACHINE.
    const std::wstring& SetupKey() const { return m_setupKey; }

private:
    KProductInfo() : m_setupKey(std::wstring(L"software\\") + ProductFlag() + L"\\setup") {}
    std::wstring m_setupKey;
};

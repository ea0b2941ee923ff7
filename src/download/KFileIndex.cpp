#include "download/KFileIndex.h"

#include <cwchar>

#include "common/SingletonGuard.h"

KFileIndex& KFileIndex::Instance() { return ProcessSingleton<KFileIndex>::Get(); }

void KFileIndex::Load(const KIniWrapEx& ini, int number, const std::wstring& baseUrl) {
    m_ini = ini;
    m_number = number;
    m_baseUrl = baseUrl;
    m_loaded = 1;
}

bool KFileIndex::BuildContentUrl(const std::wstring& name, std::wstring& url, std::wstring& relativePath) const {
    const std::wstring sfn = m_ini.GetString(name, L"SFN");
    if (sfn.empty()) return false;
    const std::wstring rp = m_ini.GetString(name, L"RP");
    std::wstring lp = m_ini.GetString(name, L"LP");
    for (size_t at; (at = lp.find(L"%P")) != std::wstring::npos;) lp.erase(at, 2);
    for (size_t at; (at = lp.find(L'%')) != std::wstring::npos;) lp.erase(at, 1);

    url = m_baseUrl + L'/' + std::to_wstring(m_number) + L"/cratel/" + rp + L'/' + sfn;
    relativePath = lp + L'\\' + name;
    return true;
}

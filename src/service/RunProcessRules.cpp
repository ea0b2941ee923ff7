#include "service/RunProcessRules.h"

#include <cwctype>

bool HasParentStep(const std::wstring& relative) {
    if (relative == L"..") return true;
    for (const wchar_t* needle : {L"/..", L"\\..", L"../", L"..\\"}) {
        if (relative.find(needle) != std::wstring::npos) return true;
    }
    return false;
}

bool IsInsideFolder(const std::wstring& path, const std::wstring& folder) {
    if (folder.empty() || path.size() <= folder.size()) return false;
    for (size_t i = 0; i < folder.size(); ++i) {
        wchar_t a = path[i], b = folder[i];
        if (a == L'/') a = L'\\';
        if (b == L'/') b = L'\\';
        if (std::towlower(a) != std::towlower(b)) return false;
    }
    const wchar_t last = folder.back();
    return last == L'\\' || last == L'/';
}

std::wstring BuildLaunchCommandLine(const std::wstring& exe, const std::wstring& params) {
    return L"\"" + exe + L"\" " + params;
}

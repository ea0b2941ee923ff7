#include "shell/PathText.h"

std::wstring GetDirPart(const std::wstring& path) {
    const size_t last = path.find_last_of(L"\\/");
    return last == std::wstring::npos ? std::wstring() : path.substr(0, last + 1);
}

std::wstring GetFileNamePart(const std::wstring& path) {
    const size_t last = path.find_last_of(L"\\/");
    return last == std::wstring::npos ? path : path.substr(last + 1);
}

void CutLastComponent(std::wstring& path) {
    const size_t last = path.rfind(L'\\');
    path.resize(last == std::wstring::npos ? 0 : last);
}

void EnsureTrailingSlash(std::wstring& path) {
    if (path.empty() || (path.back() != L'\\' && path.back() != L'/')) path += L'\\';
}

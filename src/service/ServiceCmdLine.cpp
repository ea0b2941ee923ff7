#include "service/ServiceCmdLine.h"

#include <cwctype>

namespace {

bool SameNoCase(const std::wstring& a, const wchar_t* b) {
    size_t i = 0;
    for (; i < a.size() && b[i] != L'\0'; ++i) {
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    }
    return i == a.size() && b[i] == L'\0';
}

}  // namespace

ServiceCommand ParseServiceArgs(const std::vector<std::wstring>& args) {
    ServiceCommand command;
    for (const std::wstring& arg : args) {
        if (SameNoCase(arg, L"-i") || SameNoCase(arg, L"-install")) {
            command.install = true;
        } else if (SameNoCase(arg, L"-u") || SameNoCase(arg, L"-uninstall")) {
            command.uninstall = true;
        } else if (SameNoCase(arg, L"-c") || SameNoCase(arg, L"-start")) {
            command.start = true;
        }
    }
    return command;
}

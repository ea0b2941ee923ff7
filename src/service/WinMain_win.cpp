// Entry point of velmorasvc.exe: install, remove or start the service from the command line, or run it under
// the service control manager.
// shellapi.h needs windows.h first.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <string>
#include <vector>

#include "service/CVBService.h"
#include "service/KServiceLog.h"
#include "service/ServiceCmdLine.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR cmdLine, int) {
    SvcLog(L"_tWinMain:lpCmdLine=", cmdLine ? cmdLine : L"");

    std::vector<std::wstring> args;
    int count = 0;
    if (wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i) args.emplace_back(argv[i]);
        LocalFree(argv);
    }
    CVBService service;
    return static_cast<int>(service.Main(ParseServiceArgs(args)));
}

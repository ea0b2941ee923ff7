// rerizo_call: sends one request through rerizo.dll (from this program's folder) and prints the method's integer
// result. Usage: rerizo_call <interface> <method> [key=value ...]
// Exit code 0 when the request was answered, 2 when it was not (the reason goes to the error output).
#include <windows.h>

#include <cstdio>
#include <string>

#include "service/EasyIpc.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fwprintf(stderr, L"usage: rerizo_call <interface> <method> [key=value ...]\n");
        return 2;
    }
    wchar_t self[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring dir(self, length);
    dir.erase(dir.find_last_of(L"\\/") + 1);
    const HMODULE library = LoadLibraryW((dir + L"rerizo.dll").c_str());
    const auto query = library ? reinterpret_cast<easyipc::DllQueryInterfaceFn>(
                                     reinterpret_cast<void*>(GetProcAddress(library, "DllQueryInterface")))
                               : nullptr;
    auto* ipc = query ? static_cast<easyipc::IEasyIpcObject*>(query(&easyipc::kIpcObjectIid)) : nullptr;
    if (!ipc) {
        std::fwprintf(stderr, L"rerizo.dll is missing\n");
        return 2;
    }
    easyipc::IEasyIpcParam* request = ipc->CreateParam();
    for (int i = 3; i < argc; ++i) {
        const std::wstring pair = argv[i];
        const size_t eq = pair.find(L'=');
        if (eq == std::wstring::npos) {
            request->SetValue(pair.c_str(), L"");
        } else {
            request->SetValue(pair.substr(0, eq).c_str(), pair.substr(eq + 1).c_str());
        }
    }
    int result = 0;
    const int status = ipc->Call(argv[1], argv[2], request, nullptr, &result);
    request->Release();
    ipc->Release();
    if (status != easyipc::kIpcOk) {
        std::fwprintf(stderr, L"request not answered: %d\n", status);
        return 2;
    }
    std::printf("%d\n", result);
    return 0;
}

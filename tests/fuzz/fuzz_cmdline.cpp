// Command lines come from other programs (the service, shortcuts, a second start): any text must parse safely.
#include "shell/CCmdLineParser.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Two bytes per code unit, as a Windows command line arrives.
    std::wstring line;
    for (size_t i = 0; i + 1 < size; i += 2) line.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));

    CCmdLineParser parser;
    parser.Parse(line.c_str());
    std::wstring value;
    for (const auto& entry : parser.Switches()) {
        parser.GetSwitchValue(entry.first.c_str(), value);
        if (entry.first.empty()) __builtin_trap();  // empty names are never stored
    }
    parser.HasSwitchValue(L"svcactive");
    return 0;
}

// libFuzzer target for the INI text path: UTF-8 bytes -> wide text -> document -> text -> document.

#include "common/KIniWrapEx.h"
#include "common/Utf8.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

bool IsValidScalar(std::uint32_t c)
{
    return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

// The decoder must produce well-formed text no longer than its input.
void CheckDecoded(std::string_view bytes, const std::wstring& wide)
{
    Check(wide.size() <= bytes.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        const auto c = static_cast<std::uint32_t>(wide[i]);
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c <= 0xDBFF) {
            Check(i + 1 < wide.size());
            const auto low = static_cast<std::uint32_t>(wide[++i]);
            Check(low >= 0xDC00 && low <= 0xDFFF);
            continue;
        }
        Check(IsValidScalar(c));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::wstring wide = Utf8ToWide(bytes);
    CheckDecoded(bytes, wide);

    KIniWrapEx ini;
    ini.LoadFromUtf8(bytes);

    // Whatever was stored must be written so that it reads back to the same document.
    std::wstring text;
    Check(ini.ToText(text));
    KIniWrapEx again;
    Check(again.Parse(text) == !ini.IsEmpty());
    std::wstring textAgain;
    again.ToText(textAgain);
    Check(text == textAgain);

    // The number reader sees arbitrary digits and signs; UBSan watches it for overflow.
    KIniWrapEx numbers;
    numbers.SetValue(L"s", L"k", wide);
    numbers.GetInt(L"S", L"K");
    return 0;
}

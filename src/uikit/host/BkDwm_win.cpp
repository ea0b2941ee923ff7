#include <mutex>

#include "uikit/host/BkDwm.h"

namespace {

// The blur-behind record of dwmapi, laid out as the function expects it.
struct BlurBehind {
    DWORD flags;
    BOOL enable;
    HRGN region;
    BOOL transitionOnMaximized;
};
constexpr DWORD kBlurEnable = 0x1;
constexpr DWORD kBlurRegion = 0x2;

struct Margins {
    int left, right, top, bottom;
};

using IsEnabledFn = HRESULT(WINAPI*)(BOOL*);
using EnableFn = HRESULT(WINAPI*)(UINT);
using ExtendFn = HRESULT(WINAPI*)(HWND, const Margins*);
using BlurFn = HRESULT(WINAPI*)(HWND, const BlurBehind*);

// GetProcAddress answers a generic pointer; the detour through void(*)() says the cast is meant.
template <class F>
F Proc(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

struct DwmFunctions {
    IsEnabledFn isEnabled = nullptr;
    EnableFn enable = nullptr;
    ExtendFn extend = nullptr;
    BlurFn blur = nullptr;
};

const DwmFunctions& Functions() {
    static DwmFunctions fns;
    static std::once_flag once;
    std::call_once(once, [] {
        // Kept loaded for the life of the process: the pointers stay valid.
        HMODULE dll = LoadLibraryW(L"dwmapi.dll");
        if (!dll) return;
        fns.isEnabled = Proc<IsEnabledFn>(dll, "DwmIsCompositionEnabled");
        fns.enable = Proc<EnableFn>(dll, "DwmEnableComposition");
        fns.extend = Proc<ExtendFn>(dll, "DwmExtendFrameIntoClientArea");
        fns.blur = Proc<BlurFn>(dll, "DwmEnableBlurBehindWindow");
    });
    return fns;
}

}  // namespace

namespace BkDwm {

bool IsCompositionEnabled() {
    const auto fn = Functions().isEnabled;
    BOOL on = FALSE;
    return fn && SUCCEEDED(fn(&on)) && on;
}

HRESULT EnableComposition(bool enable) {
    const auto fn = Functions().enable;
    return fn ? fn(enable ? 1u : 0u) : E_NOTIMPL;
}

HRESULT ExtendFrameIntoClientArea(HWND window, int left, int right, int top, int bottom) {
    const auto fn = Functions().extend;
    const Margins m{left, right, top, bottom};
    return fn ? fn(window, &m) : E_NOTIMPL;
}

HRESULT EnableBlurBehindWindow(HWND window, bool enable, HRGN region) {
    const auto fn = Functions().blur;
    if (!fn) return E_NOTIMPL;
    BlurBehind bb{kBlurEnable | (region ? kBlurRegion : 0u), enable ? TRUE : FALSE, region, FALSE};
    return fn(window, &bb);
}

bool BlurWantedForVersion(DWORD major, DWORD minor) { return major == 6 && (minor == 0 || minor == 1); }

bool BlurWantedOnThisSystem() {
    // The true version: GetVersionEx answers what the manifest allows.
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const auto fn = ntdll ? Proc<RtlGetVersionFn>(ntdll, "RtlGetVersion") : nullptr;
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!fn || fn(&info) != 0) return false;
    return BlurWantedForVersion(info.dwMajorVersion, info.dwMinorVersion);
}

}  // namespace BkDwm

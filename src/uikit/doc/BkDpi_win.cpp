#include <windows.h>

#include <atomic>

#include "common/ScopedWin.h"
#include "common/SingletonGuard.h"
#include "shell/Paths.h"
#include "uikit/doc/BkDpi.h"
#include "uikit/doc/BkDpiMath.h"

namespace {

constexpr wchar_t kSection[] = L"basesetting";

std::atomic<BkDpiSettings*> g_override{nullptr};

bool IsDirectory(const std::wstring& path) {
    const DWORD attrs = GetFileAttributesW(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::wstring& path) {
    const DWORD attrs = GetFileAttributesW(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring ReadString(const std::wstring& ini, const wchar_t* key, const wchar_t* fallback) {
    std::wstring buffer(4096, L'\0');
    const DWORD n =
        GetPrivateProfileStringW(kSection, key, fallback, &buffer[0], static_cast<DWORD>(buffer.size()), ini.c_str());
    buffer.resize(n);
    return buffer;
}

// user32's DPI functions are looked up by name on every use: older systems lack them.
class User32 {
public:
    User32() : m_lib(LoadLibraryW(L"user32.dll")) {}
    FARPROC Find(const char* name) const { return m_lib ? GetProcAddress(m_lib.Get(), name) : nullptr; }
    template <typename Fn>
    Fn Get(const char* name) const {
        return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(Find(name)));
    }

private:
    ScopedLibrary m_lib;
};

using SetContextFn = BOOL(WINAPI*)(HANDLE);
using SetThreadContextFn = HANDLE(WINAPI*)(HANDLE);
using SetAwareFn = BOOL(WINAPI*)();
using DpiForWindowFn = UINT(WINAPI*)(HWND);
const HANDLE kPerMonitorV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));

BkDpiEnvironment ProgramEnvironment() {
    BkDpiEnvironment env;
    std::wstring dir = GetExeDir();
    if (!dir.empty() && dir.back() == L'\\') dir.pop_back();
    env.programDir = dir;
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name = path;
    const size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    const size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    env.processName = name;
    return env;
}

struct ProgramSettings {
    BkDpiSettings settings{ProgramEnvironment()};
};

}  // namespace

BkDpiSettings::BkDpiSettings(BkDpiEnvironment env) : m_env(std::move(env)) {
    const std::wstring preferred = m_env.programDir + L"\\data\\dpiconfig.ini";
    m_iniPath = IsFile(preferred) ? preferred : m_env.programDir + L"\\ressrc\\chs\\dpisetting.ini";
    const std::wstring images = m_env.programDir + L"\\data\\dpiimg";
    m_imageFolder = IsDirectory(images) ? images : m_env.programDir + L"\\ressrc\\chs\\dpiimg";

    m_switch = static_cast<int>(GetPrivateProfileIntW(kSection, L"switch", 0, m_iniPath.c_str()));
    m_debug = static_cast<int>(GetPrivateProfileIntW(kSection, L"debug", 0, m_iniPath.c_str()));
    m_debugDpi = static_cast<int>(GetPrivateProfileIntW(kSection, L"debugdpi", 96, m_iniPath.c_str()));
    m_mode = static_cast<int>(GetPrivateProfileIntW(kSection, L"mode", 2, m_iniPath.c_str()));
    m_supportProcess = ReadString(m_iniPath, L"supportprocess", L"orbetray");
    m_rates = BkParseSupportRates(ReadString(m_iniPath, L"supportrate", kBkDefaultSupportRates));
    m_listed = !m_env.processName.empty() && m_supportProcess.find(m_env.processName) != std::wstring::npos;
    m_enabled = (m_switch != 0 && AwarenessAvailable()) || m_debug != 0;
    SetUp();
}

BkDpiSettings& BkDpiSettings::Instance() {
    if (BkDpiSettings* chosen = g_override.load(std::memory_order_acquire)) return *chosen;
    return ProcessSingleton<ProgramSettings>::Get(ProcessSingleton<ProgramSettings>::AtExit::Keep).settings;
}

std::wstring BkDpiSettings::MeasuringClassName() const { return m_env.processName + L"_hiddenDpiAwarenessWindow"; }

bool BkDpiSettings::AwarenessAvailable() const {
    const User32 user32;
    const bool thread = user32.Find("SetThreadDpiAwarenessContext") != nullptr;
    const bool process = user32.Find("SetProcessDpiAwarenessContext") != nullptr;
    const bool legacy = user32.Find("SetProcessDPIAware") != nullptr;
    if (m_mode == 1) return process || legacy;
    if (m_mode == 2) return thread;
    return false;
}

void BkDpiSettings::SetUp() {
    if (!m_listed) return;
    const User32 user32;
    if (m_mode == 1 && m_enabled) {
        if (auto setContext = user32.Get<SetContextFn>("SetProcessDpiAwarenessContext")) {
            setContext(kPerMonitorV2);
        } else if (auto setAware = user32.Get<SetAwareFn>("SetProcessDPIAware")) {
            setAware();
        }
    }
    const std::wstring className = MeasuringClassName();
    if (FindWindowW(className.c_str(), nullptr)) return;

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = className.c_str();
    RegisterClassExW(&wc);

    HANDLE previous = nullptr;
    auto setThread = user32.Get<SetThreadContextFn>("SetThreadDpiAwarenessContext");
    const bool switchThread = m_mode == 2 && m_enabled && setThread;
    if (switchThread) previous = setThread(kPerMonitorV2);
    CreateWindowExW(0, className.c_str(), L"", WS_POPUPWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, GetDesktopWindow(),
                    nullptr, GetModuleHandleW(nullptr), nullptr);
    if (switchThread && previous) setThread(previous);
}

int BkDpiSettings::Dpi() {
    if (m_debug) return m_listed ? m_debugDpi : 96;
    if (m_dpi) return m_dpi;
    m_dpi = 96;
    HWND window = FindWindowW(MeasuringClassName().c_str(), nullptr);
    if (!window) return m_dpi;
    const User32 user32;
    if (auto forWindow = user32.Get<DpiForWindowFn>("GetDpiForWindow")) {
        const UINT dpi = forWindow(window);
        if (dpi) m_dpi = static_cast<int>(dpi);
    } else if (m_mode == 1) {
        if (HDC dc = GetDC(window)) {
            const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
            if (dpi > 0) m_dpi = dpi;
            ReleaseDC(window, dc);
        }
    }
    return m_dpi;
}

float BkDpiSettings::Rate() {
    if (m_rate == 0) m_rate = BkPickRate(Dpi(), m_rates);
    return m_rate;
}

int BkDpiSettings::Scale(int value) { return m_enabled ? BkScaleByRate(value, Rate()) : value; }

int BkDpiSettings::Unscale(int value) { return m_enabled ? BkUnscaleByRate(value, Rate()) : value; }

bool BkDpiSettings::FindDpiImage(int imageId, std::wstring& path, float& rate) {
    const float current = Rate();
    const auto pathFor = [&](double r) {
        return BkDpiImagePath(m_imageFolder, static_cast<float>(r), m_env.processName, imageId);
    };
    const double chosen = BkChooseDpiImageRate(current, m_rates, [&](double r) { return IsFile(pathFor(r)); });
    if (chosen == 0) return false;
    path = pathFor(chosen);
    rate = static_cast<float>(chosen);
    return true;
}

BkDpiOverride::BkDpiOverride(BkDpiSettings& settings) : m_previous(g_override.exchange(&settings)) {}

BkDpiOverride::~BkDpiOverride() { g_override.store(m_previous); }

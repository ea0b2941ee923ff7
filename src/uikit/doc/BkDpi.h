// The process-wide DPI settings: whether scaling is on, the screen's DPI, the scaling rate and the pre-drawn
// images for it. Everything is read or measured once and kept; a DPI change while running is not followed.
// Windows only. Used from the UI thread; Instance() itself may be called from any thread.
#pragma once

#include <string>
#include <vector>

// Where the settings come from; Instance() uses the running program's folder and name.
struct BkDpiEnvironment {
    std::wstring programDir;   // without a trailing backslash
    std::wstring processName;  // file name without folder and extension
};

class BkDpiSettings {
public:
    // Reads the settings file and makes the process (or the measuring window) DPI-aware as configured.
    explicit BkDpiSettings(BkDpiEnvironment env);
    BkDpiSettings(const BkDpiSettings&) = delete;
    BkDpiSettings& operator=(const BkDpiSettings&) = delete;

    // The object every element scales with: the override when one is set, else the program's own.
    static BkDpiSettings& Instance();

    bool ScalingEnabled() const { return m_enabled; }
    int Dpi();
    float Rate();  // at least 1.0
    // value × rate truncated when scaling is on, else value (and ÷ for Unscale).
    int Scale(int value);
    int Unscale(int value);

    // The pre-drawn image for `imageId` at the current rate or the nearest acceptable one; false for none.
    bool FindDpiImage(int imageId, std::wstring& path, float& rate);

    const std::vector<double>& SupportRates() const { return m_rates; }
    const std::wstring& SettingsFile() const { return m_iniPath; }
    const std::wstring& ImageFolder() const { return m_imageFolder; }
    bool ProcessListed() const { return m_listed; }
    // "<process>_hiddenDpiAwarenessWindow".
    std::wstring MeasuringClassName() const;

private:
    friend class BkDpiOverride;
    void SetUp();
    bool AwarenessAvailable() const;

    BkDpiEnvironment m_env;
    std::wstring m_iniPath;
    std::wstring m_imageFolder;
    int m_switch = 0;
    int m_debug = 0;
    int m_debugDpi = 96;
    int m_mode = 2;
    std::wstring m_supportProcess;
    std::vector<double> m_rates;
    bool m_listed = false;
    bool m_enabled = false;
    int m_dpi = 0;  // 0 until measured
    float m_rate = 0;
};

// Makes another settings object the process-wide one for the life of the override (tests, tools).
class BkDpiOverride {
public:
    explicit BkDpiOverride(BkDpiSettings& settings);
    ~BkDpiOverride();
    BkDpiOverride(const BkDpiOverride&) = delete;
    BkDpiOverride& operator=(const BkDpiOverride&) = delete;

private:
    BkDpiSettings* m_previous;
};

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>

#include "common/WinTestSupport_win.h"
#include "uikit/doc/BkDpi.h"
#include "uikit/doc/BkLayoutDoc.h"
#include "uikit/doc/BkPos.h"

namespace {

// A program folder of its own with the settings file in one of its two places.
class DpiFolder {
public:
    DpiFolder() : m_temp(L"uikit_dpi") {}
    void WriteSettings(const std::string& keys, bool preferred = true) {
        const std::wstring dir = m_temp.Path() + (preferred ? L"\\data" : L"\\ressrc\\chs");
        CreateDirectoryW((m_temp.Path() + L"\\data").c_str(), nullptr);
        CreateDirectoryW((m_temp.Path() + L"\\ressrc").c_str(), nullptr);
        CreateDirectoryW(dir.c_str(), nullptr);
        std::ofstream((dir + (preferred ? L"\\dpiconfig.ini" : L"\\dpisetting.ini")).c_str()) << "[basesetting]\r\n"
                                                                                              << keys;
    }
    void AddImage(const std::wstring& rate, int id) {
        const std::wstring dir = m_temp.Path() + L"\\data\\dpiimg\\" + rate + L"\\test_uikit";
        CreateDirectoryW((m_temp.Path() + L"\\data").c_str(), nullptr);
        CreateDirectoryW((m_temp.Path() + L"\\data\\dpiimg").c_str(), nullptr);
        CreateDirectoryW((m_temp.Path() + L"\\data\\dpiimg\\" + rate).c_str(), nullptr);
        CreateDirectoryW(dir.c_str(), nullptr);
        std::ofstream((dir + L"\\" + std::to_wstring(id) + L"_" + rate + L".png").c_str()) << "png";
    }
    BkDpiEnvironment Env(const wchar_t* process = L"test_uikit") const { return {m_temp.Path(), process}; }
    const std::wstring& Path() const { return m_temp.Path(); }

private:
    wintest::TempFolder m_temp;
};

TEST(BkDpi, MissingSettingsFileLeavesScalingOff) {
    DpiFolder folder;
    BkDpiSettings dpi(folder.Env());
    EXPECT_EQ(folder.Path() + L"\\ressrc\\chs\\dpisetting.ini", dpi.SettingsFile());
    EXPECT_EQ(folder.Path() + L"\\ressrc\\chs\\dpiimg", dpi.ImageFolder());
    EXPECT_FALSE(dpi.ScalingEnabled());
    EXPECT_FALSE(dpi.ProcessListed());  // the default list names another program
    EXPECT_EQ(96, dpi.Dpi());
    EXPECT_EQ(1.0f, dpi.Rate());
    EXPECT_EQ(20, dpi.Scale(20));
    EXPECT_EQ(9u, dpi.SupportRates().size());
}

TEST(BkDpi, DebugModeForAListedProcess) {
    struct Case {
        const char* keys;
        bool preferredFile;
        bool enabled;
        int dpi;
        float rate;
        int scaled20;
        int unscaledBack;  // truncation: the float 1.2 lies above 1.2, so 24 / 1.2 comes out below 20
    };
    const Case cases[] = {
        {"debug=1\r\ndebugdpi=144\r\nsupportprocess=orbetray|test_uikit\r\n", true, true, 144, 1.5f, 30, 20},
        {"debug=1\r\ndebugdpi=144\r\n", true, true, 96, 1.0f, 20, 20},  // not listed: 96
        {"debug=1\r\ndebugdpi=120\r\nsupportprocess=test_uikit\r\nsupportrate=1.0|1.5\r\n", false, true, 120, 1.0f, 20,
         20},
        {"debug=1\r\ndebugdpi=130\r\nsupportprocess=test_uikit\r\n", true, true, 130, 1.2f, 24, 19},
        {"debug=0\r\ndebugdpi=144\r\nsupportprocess=test_uikit\r\n", true, false, 96, 1.0f, 20, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        DpiFolder folder;
        folder.WriteSettings(c.keys, c.preferredFile);
        BkDpiSettings dpi(folder.Env());
        EXPECT_EQ(c.enabled, dpi.ScalingEnabled());
        EXPECT_EQ(c.dpi, dpi.Dpi());
        EXPECT_EQ(c.rate, dpi.Rate());
        EXPECT_EQ(c.scaled20, dpi.Scale(20));
        EXPECT_EQ(c.unscaledBack, dpi.Unscale(c.scaled20));
    }
}

TEST(BkDpi, PreferredFileWinsOverTheFallback) {
    DpiFolder folder;
    folder.WriteSettings("debug=1\r\ndebugdpi=192\r\nsupportprocess=test_uikit\r\n", false);
    folder.WriteSettings("debug=1\r\ndebugdpi=144\r\nsupportprocess=test_uikit\r\n", true);
    BkDpiSettings dpi(folder.Env());
    EXPECT_EQ(folder.Path() + L"\\data\\dpiconfig.ini", dpi.SettingsFile());
    EXPECT_EQ(144, dpi.Dpi());
}

TEST(BkDpi, MeasuringWindowForAListedProcess) {
    DpiFolder folder;
    folder.WriteSettings("switch=1\r\nmode=2\r\nsupportprocess=test_uikit_measure\r\n");
    BkDpiSettings dpi(folder.Env(L"test_uikit_measure"));
    EXPECT_EQ(L"test_uikit_measure_hiddenDpiAwarenessWindow", dpi.MeasuringClassName());
    HWND window = FindWindowW(dpi.MeasuringClassName().c_str(), nullptr);
    ASSERT_NE(nullptr, window);
    EXPECT_FALSE(IsWindowVisible(window));
    // Scaling follows what user32 offers; the measured DPI is the screen's (96 on the test display).
    ScopedLibrary user32(LoadLibraryW(L"user32.dll"));
    EXPECT_EQ(GetProcAddress(user32.Get(), "SetThreadDpiAwarenessContext") != nullptr, dpi.ScalingEnabled());
    EXPECT_EQ(96, dpi.Dpi());
    EXPECT_EQ(1.0f, dpi.Rate());

    // A second settings object finds the window that is already there instead of making another.
    BkDpiSettings again(folder.Env(L"test_uikit_measure"));
    EXPECT_EQ(window, FindWindowW(again.MeasuringClassName().c_str(), nullptr));
}

TEST(BkDpi, DpiImagesNearestAcceptableRate) {
    DpiFolder folder;
    folder.AddImage(L"2.0", 22);
    folder.WriteSettings("debug=1\r\ndebugdpi=144\r\nsupportprocess=test_uikit\r\n");
    BkDpiSettings at15(folder.Env());
    std::wstring path;
    float rate = 0;
    ASSERT_TRUE(at15.FindDpiImage(22, path, rate));
    EXPECT_EQ(2.0f, rate);
    EXPECT_EQ(folder.Path() + L"\\data\\dpiimg\\2.0\\test_uikit\\22_2.0.png", path);
    EXPECT_FALSE(at15.FindDpiImage(23, path, rate));

    folder.WriteSettings("debug=1\r\ndebugdpi=120\r\nsupportprocess=test_uikit\r\n");
    BkDpiSettings at12(folder.Env());
    EXPECT_FALSE(at12.FindDpiImage(22, path, rate));  // 0.8 away, farther than 1.0 is
}

// Records the layer of a loaded document.
class LayerHost : public IBkLayoutHost {
public:
    HWND LayoutWindow() override { return nullptr; }
    void ResetLayout(const BkLayerInfo&) override {}
    void ApplyLayer(const BkLayerInfo& l) override { layer = l; }
    void LoadSection(BkSection, const TiXmlElement&, bool) override {}
    void SetSectionPos(BkSection, const std::string&) override {}
    void OnLayoutLoaded(bool) override {}
    BkLayerInfo layer;
};

TEST(BkDpi, DpiAwareDocumentsScaleWithTheProcessWideSettings) {
    DpiFolder folder;
    folder.WriteSettings("debug=1\r\ndebugdpi=144\r\nsupportprocess=test_uikit\r\n");
    BkDpiSettings dpi(folder.Env());
    BkDpiOverride use(dpi);
    LayerHost host;
    ASSERT_TRUE(BkLoadLayoutText("<layer width=\"200\" height=\"100\" min_width=\"50\" dpiaware=\"1\"/>", host));
    EXPECT_EQ(300, host.layer.width);
    EXPECT_EQ(150, host.layer.height);
    EXPECT_EQ(50, host.layer.minWidth);
    ASSERT_TRUE(BkLoadLayoutText("<layer width=\"200\" height=\"100\"/>", host));
    EXPECT_EQ(200, host.layer.width);

    // An element's pos in such a document: 20,30,320,64 is stored as 30,45,480,96.
    BkPosition pos;
    uint32_t flags = 0;
    BkParsePos("20,30,320,64", pos, flags, [&](int v) { return BkDpiSettings::Instance().Scale(v); });
    EXPECT_EQ(30, pos.items[0].value);
    EXPECT_EQ(45, pos.items[1].value);
    EXPECT_EQ(480, pos.items[2].value);
    EXPECT_EQ(96, pos.items[3].value);
}

}  // namespace

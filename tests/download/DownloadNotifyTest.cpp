// The texts of the download protocol and their dispatch on the window side.
#include <gtest/gtest.h>

#include <cstdint>

#include "download/DownloadNotify.h"

namespace {

struct Recorder : IDownLoadSoftCallback, IDownLoadIconCallback {
    void OnProgress(int softid, int percent) override { log += "P" + std::to_string(softid) + ":" + std::to_string(percent); }
    void OnState(int state) override { log += "S" + std::to_string(state); }
    void OnFinish(int type, const std::wstring& path) override {
        log += "F" + std::to_string(type) + ":" + std::string(path.begin(), path.end());
    }
    HWND GetHwnd() override { return nullptr; }
    void OnIconReady(int id, const std::wstring& path) override {
        log += "I" + std::to_string(id) + ":" + std::string(path.begin(), path.end());
    }
    std::string log;
};

DownloadNotify Make(int type, std::uint64_t callback) {
    DownloadNotify m;
    m.msgtype = type;
    m.callback = callback;
    m.softid = 42;
    m.progress = 37;
    m.state = 2;
    m.downloadtype = 3;
    m.srcfile = L"C:\\d\\t \"x\".zip";
    return m;
}

TEST(DownloadNotify, EveryTypeRoundTripsWithAFullWidthAddress) {
    // An address above 4 GiB must come back whole: a truncated one would name a wild object.
    const std::uint64_t addresses[] = {1, 0xfffffffful, 0x00007ff612345678ull, 0x7fffffffffffffffull};
    for (std::uint64_t address : addresses) {
        for (int type = 1; type <= 4; ++type) {
            const std::wstring json = BuildNotifyJson(Make(type, address));
            DownloadNotify back;
            ASSERT_TRUE(ParseNotifyJson(json.c_str(), back)) << type;
            EXPECT_EQ(back.msgtype, type);
            EXPECT_EQ(back.callback, address);
            if (type == 1) {
                EXPECT_EQ(back.progress, 37);
            }
            if (type == 1 || type == 4) {
                EXPECT_EQ(back.softid, 42);
            }
            if (type == 2) {
                EXPECT_EQ(back.state, 2);
            }
            if (type == 3) {
                EXPECT_EQ(back.downloadtype, 3);
            }
            if (type >= 3) {
                EXPECT_EQ(back.srcfile, L"C:\\d\\t \"x\".zip");
            }
        }
    }
}

TEST(DownloadNotify, OnlyTheMembersOfTheTypeAreWritten) {
    EXPECT_EQ(BuildNotifyJson(Make(2, 5)), L"{\"callback\":5,\"msgtype\":2,\"state\":2}");
    EXPECT_EQ(BuildNotifyJson(Make(1, 5)), L"{\"callback\":5,\"msgtype\":1,\"progress\":37,\"softid\":42}");
}

TEST(DownloadNotify, ReaderRefusesWhatTheWindowMustIgnore) {
    struct Case {
        const wchar_t* text;
        bool accepted;
    } cases[] = {
        {L"{\"msgtype\":2,\"callback\":7,\"state\":1}", true},
        {L"{\"msgtype\":2,\"callback\":0,\"state\":1}", false},
        {L"{\"msgtype\":2,\"callback\":-8,\"state\":1}", false},
        {L"{\"msgtype\":2,\"state\":1}", false},
        {L"{\"msgtype\":0,\"callback\":7}", false},
        {L"{\"msgtype\":5,\"callback\":7}", false},
        {L"{\"msgtype\":\"2\",\"callback\":7}", false},
        {L"{\"msgtype\":2,\"callback\":7", false},
        {L"[1,2]", false},
        {L"", false},
        {nullptr, false},
    };
    for (const Case& c : cases) {
        DownloadNotify msg;
        EXPECT_EQ(ParseNotifyJson(c.text, msg), c.accepted) << (c.text ? std::wstring(c.text).size() : 0);
    }
}

TEST(DownloadNotifyDispatcher, CallsOnlyCallbacksItHandedOut) {
    Recorder card, other;
    CDownloadNotifyDispatcher dispatcher;
    dispatcher.AddSoftCallback(&card);
    dispatcher.AddIconCallback(&card);

    const auto soft = CallbackAddress(static_cast<IDownLoadSoftCallback*>(&card));
    const auto icon = CallbackAddress(static_cast<IDownLoadIconCallback*>(&card));
    EXPECT_TRUE(dispatcher.Dispatch(BuildNotifyJson(Make(1, soft)).c_str()));
    EXPECT_TRUE(dispatcher.Dispatch(BuildNotifyJson(Make(2, soft)).c_str()));
    EXPECT_TRUE(dispatcher.Dispatch(BuildNotifyJson(Make(3, soft)).c_str()));
    EXPECT_TRUE(dispatcher.Dispatch(BuildNotifyJson(Make(4, icon)).c_str()));
    EXPECT_EQ(card.log, "P42:37S2F3:C:\\d\\t \"x\".zipI42:C:\\d\\t \"x\".zip");

    // A forged address, the icon interface named in a task message, and a card that has gone away.
    card.log.clear();
    EXPECT_FALSE(dispatcher.Dispatch(BuildNotifyJson(Make(2, CallbackAddress(&other))).c_str()));
    EXPECT_FALSE(dispatcher.Dispatch(BuildNotifyJson(Make(4, soft + 1)).c_str()));
    dispatcher.RemoveSoftCallback(&card);
    EXPECT_FALSE(dispatcher.Dispatch(BuildNotifyJson(Make(2, soft)).c_str()));
    EXPECT_EQ(card.log, "");
    EXPECT_EQ(other.log, "");
}

TEST(DownloadNotifyDispatcher, OnDownloadNotifyFreesTheText) {
    Recorder card;
    CDownloadNotifyDispatcher dispatcher;
    dispatcher.AddSoftCallback(&card);
    wchar_t* text = MakeNotifyText(BuildNotifyJson(Make(2, CallbackAddress(static_cast<IDownLoadSoftCallback*>(&card)))));
    EXPECT_EQ(dispatcher.OnDownloadNotify(reinterpret_cast<std::uintptr_t>(text)), 0);
    EXPECT_EQ(card.log, "S2");
    EXPECT_EQ(dispatcher.OnDownloadNotify(0), 0);  // a null text is not dereferenced
}

TEST(DownloadNames, FileNameFromUrl) {
    struct Case {
        const wchar_t* url;
        const wchar_t* name;
    } cases[] = {
        {L"http://h/a/b/tool.zip", L"tool.zip"},
        {L"http://h/a/b/tool.zip?v=2&x=/y", L"y"},
        {L"http://h/get?f=tool.zip", L"get?f=tool.zip"},
        {L"http://h/dir/", L""},
        {L"C:\\x\\setup.exe", L"setup.exe"},
        {L"plain", L"plain"},
    };
    for (const Case& c : cases) EXPECT_EQ(FileNameFromUrl(c.url), c.name) << c.url;
}

TEST(DownloadNames, ParseFileList) {
    struct Case {
        const wchar_t* text;
        bool ok;
        std::vector<std::wstring> names;
    } cases[] = {
        {L"{\"filelist\":[{\"name\":\"a.dll\"},{\"name\":\"b\\\\c.exe\"}]}", true, {L"a.dll", L"b\\c.exe"}},
        {L"{\"filelist\":[]}", true, {}},
        {L"{\"filelist\":[{\"name\":\"a\"},{\"size\":3}]}", false, {}},
        {L"{\"filelist\":[{\"name\":\"\"}]}", false, {}},
        {L"{\"filelist\":[\"a\"]}", false, {}},
        {L"{\"filelist\":{\"name\":\"a\"}}", false, {}},
        {L"{\"files\":[]}", false, {}},
        {L"{\"filelist\":[{\"name\":\"a\"}", false, {}},
        {L"", false, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::wstring> names;
        EXPECT_EQ(ParseFileList(c.text, names), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(names, c.names) << c.text;
        }
    }
}

TEST(DownloadNames, FractionToPercent) {
    const std::pair<double, int> cases[] = {{0, 0},   {0.0099, 0}, {0.01, 1},  {0.379, 37}, {0.999, 99},
                                            {1, 100}, {1.5, 100},  {-0.2, 0},  {0.0 / 0.0, 0}};
    for (const auto& c : cases) EXPECT_EQ(FractionToPercent(c.first), c.second) << c.first;
}

}  // namespace

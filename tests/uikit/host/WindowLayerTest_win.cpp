// The small window layer under the host: class names, binding a window to its object from its first message,
// message filters and the per-thread registry of message loops.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "uikit/host/BkAppModule.h"
#include "uikit/host/BkMessageLoop.h"
#include "uikit/host/BkWindowBase.h"

namespace {

class Recorder : public CBkWindowImplBase {
public:
    std::vector<UINT> seen;
    bool ProcessWindowMessage(HWND, UINT message, WPARAM, LPARAM, LRESULT& result) override {
        seen.push_back(message);
        if (message == WM_APP) {
            result = 77;
            return true;
        }
        return false;
    }
    int finals = 0;
    void OnFinalMessage(HWND) override { ++finals; }
};

std::wstring ClassOf(HWND window) {
    wchar_t name[128] = {};
    GetClassNameW(window, name, 128);
    return name;
}

TEST(WindowLayer, ClassNamesGivenOrGenerated) {
    static CBkWndClassInfo generated(nullptr);
    static CBkWndClassInfo named(L"VelmoraHostTestClass");
    EXPECT_EQ(std::wstring(generated.Name()).rfind(L"ATL:", 0), 0u);
    Recorder a, b;
    ASSERT_NE(a.CreateBound(generated, nullptr, nullptr, L"a", WS_POPUP, 0), nullptr);
    ASSERT_NE(b.CreateBound(named, nullptr, nullptr, L"b", WS_POPUP, 0), nullptr);
    EXPECT_EQ(ClassOf(a.GetHwnd()), generated.Name());
    EXPECT_EQ(ClassOf(b.GetHwnd()), L"VelmoraHostTestClass");
    // A second record of an existing name with the same procedure reuses the class.
    static CBkWndClassInfo again(L"VelmoraHostTestClass");
    Recorder c;
    EXPECT_NE(c.CreateBound(again, nullptr, nullptr, L"c", WS_POPUP, 0), nullptr);
}

TEST(WindowLayer, TheObjectSeesEveryMessageFromTheFirstAndIsReleasedAfterTheLast) {
    static CBkWndClassInfo info(nullptr);
    Recorder r;
    const RECT rc{0, 0, 50, 40};
    HWND w = r.CreateBound(info, nullptr, &rc, L"r", WS_POPUP | WS_THICKFRAME, 0);
    ASSERT_NE(w, nullptr);
    ASSERT_FALSE(r.seen.empty());
    // CreateWindowEx asks for the size limits before WM_NCCREATE.
    EXPECT_EQ(r.seen.front(), static_cast<UINT>(WM_GETMINMAXINFO));
    EXPECT_EQ(CBkWindowImplBase::FromHandle(w), &r);
    EXPECT_EQ(SendMessageW(w, WM_APP, 0, 0), 77);
    EXPECT_TRUE(r.DestroyWindow());
    EXPECT_EQ(r.GetHwnd(), nullptr);
    EXPECT_EQ(r.finals, 1);
    EXPECT_EQ(r.seen.back(), static_cast<UINT>(WM_NCDESTROY));
    EXPECT_EQ(CBkWindowImplBase::FromHandle(GetDesktopWindow()), nullptr);
}

class Swallow : public IBkMessageFilter {
public:
    bool PreTranslateMessage(MSG* msg) override {
        if (msg->message != WM_APP + 1) return false;
        ++swallowed;
        return true;
    }
    int swallowed = 0;
};

TEST(WindowLayer, LoopFiltersAndQuit) {
    static CBkWndClassInfo info(nullptr);
    Recorder r;
    ASSERT_NE(r.CreateBound(info, nullptr, nullptr, L"r", WS_POPUP, 0), nullptr);
    CBkMessageLoop loop;
    Swallow filter;
    loop.AddMessageFilter(&filter);
    PostMessageW(r.GetHwnd(), WM_APP + 1, 0, 0);
    PostMessageW(r.GetHwnd(), WM_APP + 2, 0, 0);
    struct Quitter : IBkMessageFilter {
        CBkMessageLoop* loop;
        bool PreTranslateMessage(MSG* msg) override {
            if (msg->message == WM_APP + 2) loop->Quit(5);
            return false;
        }
    } quitter;
    quitter.loop = &loop;
    loop.AddMessageFilter(&quitter);
    EXPECT_EQ(loop.Run(), 5);
    EXPECT_EQ(filter.swallowed, 1);
    bool sawFirst = false, sawSecond = false;
    for (UINT m : r.seen) {
        sawFirst |= m == WM_APP + 1;
        sawSecond |= m == WM_APP + 2;
    }
    EXPECT_FALSE(sawFirst);
    EXPECT_TRUE(sawSecond);
    EXPECT_TRUE(loop.RemoveMessageFilter(&filter));
    EXPECT_FALSE(loop.RemoveMessageFilter(&filter));
}

TEST(WindowLayer, OneLoopPerThreadInTheModule) {
    CBkAppModule& module = CBkAppModule::Instance();
    CBkMessageLoop mine, second;
    ASSERT_TRUE(module.AddMessageLoop(&mine));
    EXPECT_FALSE(module.AddMessageLoop(&second));
    EXPECT_EQ(module.GetMessageLoop(), &mine);
    EXPECT_EQ(module.GetMessageLoop(GetCurrentThreadId()), &mine);
    CBkMessageLoop* seenByOther = &second;
    std::thread([&] { seenByOther = module.GetMessageLoop(); }).join();
    EXPECT_EQ(seenByOther, nullptr);
    EXPECT_TRUE(module.RemoveMessageLoop());
    EXPECT_FALSE(module.RemoveMessageLoop());
    EXPECT_EQ(module.GetMessageLoop(), nullptr);
}

}  // namespace

// Helpers of the element model tests: a real child window that records the WM_NOTIFY records elements send it,
// the test styles and skins, and loading a container from an XML fragment.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "uikit/doc/BkResRegistry.h"
#include "uikit/doc/BkXml.h"
#include "uikit/element/BkNotifyRecords.h"
#include "uikit/element/CBkDialog.h"

namespace eltest {

// What one WM_NOTIFY carried.
struct NotifyRecord {
    WPARAM wParam = 0;
    HWND from = nullptr;
    UINT_PTR idFrom = 0;
    UINT code = 0;
    UINT id = 0;                 // code 6
    std::string name;            // code 6
    int event = 0;               // code 6
    BkElementHandle sender = 0;  // code 1000
    RECT rect{};                 // code 1000
};

// A top-level window holding one child window (control id kControlId) that records WM_NOTIFY. The child is the
// container window elements are given.
class NotifyWindow {
public:
    static constexpr int kControlId = 77;

    NotifyWindow() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VelmoraElementTestWnd";
        RegisterClassW(&wc);  // a second registration fails harmlessly
        m_top = CreateWindowExW(0, wc.lpszClassName, L"element test", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                                nullptr, wc.hInstance, nullptr);
        m_child = CreateWindowExW(0, wc.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 0, 0, 300, 200, m_top,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kControlId)), wc.hInstance, nullptr);
        SetWindowLongPtrW(m_child, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~NotifyWindow() {
        if (m_top) DestroyWindow(m_top);
    }
    NotifyWindow(const NotifyWindow&) = delete;
    NotifyWindow& operator=(const NotifyWindow&) = delete;

    HWND Hwnd() const { return m_child; }
    std::vector<NotifyRecord>& Records() { return m_records; }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<NotifyWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (msg == WM_NOTIFY && self) {
            const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
            NotifyRecord r;
            r.wParam = wParam;
            r.from = hdr->hwndFrom;
            r.idFrom = hdr->idFrom;
            r.code = hdr->code;
            if (hdr->code == kBkNotifyElementMouse) {
                const auto* n = reinterpret_cast<const BkElementNotify*>(lParam);
                r.id = n->id;
                r.name = n->name ? n->name : "(null)";
                r.event = n->event;
            } else if (hdr->code == kBkNotifyInvalidate) {
                const auto* n = reinterpret_cast<const BkInvalidateNotify*>(lParam);
                r.sender = n->sender;
                r.rect = n->rect;
            }
            self->m_records.push_back(r);
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }

    HWND m_top = nullptr;
    HWND m_child = nullptr;
    std::vector<NotifyRecord> m_records;
};

inline std::string ReadDataFile(const char* relative) {
    std::ifstream in(std::string(VELMORA_TEST_DATA_DIR) + "/" + relative, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Registers the test skins and styles once (the registries keep the first definition of a name).
inline void ApplyTestDocuments() {
    static bool applied = false;
    if (applied) return;
    applied = true;
    ASSERT_TRUE(BkSkinRegistry::Instance().ApplyDocument(ReadDataFile("uikit/element/skins.xml")));
    ASSERT_TRUE(BkStyleRegistry::Instance().ApplyDocument(ReadDataFile("uikit/element/styles.xml")));
}

// A `dlg` loaded from `xml` (its root is the container itself), given `window` and placed exactly at `rc`.
inline std::unique_ptr<CBkDialog> LoadDialog(const std::string& xml, HWND window = nullptr, RECT rc = {0, 0, 200, 100},
                                             IBkControlCreator* creator = nullptr) {
    TiXmlDocument doc;
    EXPECT_TRUE(BkParseXml(xml, doc)) << xml;
    auto root = std::make_unique<CBkDialog>();
    root->SetControlCreator(creator);
    root->SetContainer(window);
    if (doc.RootElement()) root->LoadFromElement(doc.RootElement());
    root->Place({rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, kBkPlaceExact});
    return root;
}

inline bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline std::string Describe(const RECT& r) {
    std::ostringstream out;
    out << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom << ")";
    return out.str();
}

}  // namespace eltest

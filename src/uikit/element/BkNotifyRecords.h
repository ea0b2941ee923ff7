// The WM_NOTIFY records elements and hosts send to a host window. Every field after the header is 32-bit on both
// architectures except the pointers, which have the platform's width.
#pragma once

#include <windows.h>

#include "uikit/element/BkElementHandle.h"

// Element mouse notification: elements with a `notify` mask report the mouse entering and leaving them.
constexpr UINT kBkNotifyElementMouse = 6;
constexpr int kBkElementEventMouseOver = 3;
constexpr int kBkElementEventMouseLeave = 4;

// Notification codes the host sends to its own window (wParam = -1).
constexpr UINT kBkNotifyClick = 1;
constexpr UINT kBkNotifyMouseOver = 3;
constexpr UINT kBkNotifyMouseLeaveWindow = 4;
constexpr UINT kBkNotifyButtonDown = 7;
constexpr UINT kBkNotifyDoubleClick = 8;
constexpr UINT kBkNotifyRightClick = 13;

// An element asks its container window to repaint a rectangle (host client coordinates).
constexpr UINT kBkNotifyInvalidate = 1000;

// Code 6: wParam = the container window's dialog control id.
struct BkElementNotify {
    NMHDR hdr;
    UINT id;           // the element's `id`
    const char* name;  // always "wnd"
    int event;         // kBkElementEventMouseOver or kBkElementEventMouseLeave
};

// Codes 1, 3, 4, 7, 8, 13 from the host; `tag` is set for codes 1 and 8 only, else null.
struct BkHostNotify {
    NMHDR hdr;
    UINT id;
    const char* tag;
};

// Code 1000: wParam = the container window's dialog control id.
struct BkInvalidateNotify {
    NMHDR hdr;
    BkElementHandle sender;
    RECT rect;
};

// The root `layer` of a layout document: the window it asks for, and where its three sections go. Portable;
// BkLayoutDoc.h reads documents with the XML parser and fills these from them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "uikit/doc/BkPos.h"

// Window styles as numbers, so this file needs no <windows.h>.
namespace bkws {
constexpr uint32_t kPopup = 0x80000000u;
constexpr uint32_t kChild = 0x40000000u;
constexpr uint32_t kClipSiblings = 0x04000000u;
constexpr uint32_t kClipChildren = 0x02000000u;
constexpr uint32_t kSysMenu = 0x00080000u;
constexpr uint32_t kThickFrame = 0x00040000u;
constexpr uint32_t kMinimizeBox = 0x00020000u;
constexpr uint32_t kMaximizeBox = 0x00010000u;
constexpr uint32_t kExToolWindow = 0x80u;
constexpr uint32_t kExTopmost = 0x08u;
constexpr uint32_t kExWindowEdge = 0x100u;
constexpr uint32_t kExClientEdge = 0x200u;
constexpr uint32_t kExControlParent = 0x10000u;
constexpr uint32_t kExAppWindow = 0x40000u;
constexpr uint32_t kExLayered = 0x80000u;
}  // namespace bkws

struct BkLayerInfo {
    std::string frame;   // skin over the whole client area
    std::wstring title;  // converted and expanded
    int width = 0;       // initial client size, DPI-scaled for a DPI-aware document
    int height = 0;
    bool dpiAware = false;
    int minWidth = 0;  // never scaled
    int minHeight = 0;
    bool child = false;
    bool holdSize = false;
    bool resizable = false;
    bool noMove = false;
    uint32_t style = bkws::kPopup | bkws::kSysMenu | bkws::kMaximizeBox;
    uint32_t exStyle = bkws::kExControlParent;
};

// Answers an attribute's UTF-8 value, or null when the root does not carry it.
using BkAttrGetter = std::function<const char*(const char* name)>;

// Reads the root attributes. `toWide` converts the UTF-8 title; `scale` scales width and height and is null when
// DPI scaling is off (it is used only when the document is DPI-aware).
BkLayerInfo BkReadLayerAttributes(const BkAttrGetter& attr, const std::function<std::wstring(const char*)>& toWide,
                                  const std::function<int(int)>& scale);

// The positions the sections are given, as `pos` texts.
std::string BkHeaderPos(const char* heightText);  // "0,0,-0,H"
std::string BkFooterPos(const char* heightText);  // "0,-H,-0,-0"
constexpr const char* kBkBodyPos = "0,0,-0,-0";
bool BkIsFullHeight(const char* heightText);  // "full" in any letter case

// Where the sections go in a client rectangle. Each section is sized by its own position items from the
// placement it gets (null for an absent section).
struct BkSectionRects {
    BkRect header;
    BkRect body;
    BkRect footer;
};
BkSectionRects BkArrangeSections(const BkRect& client, const BkPosition* header, const BkPosition* body,
                                 const BkPosition* footer);

// The debugger line for a document that does not parse; row and column are the parser's, counted from 0.
std::string BkXmlErrorMessage(const char* description, int errorId, int row, int column);

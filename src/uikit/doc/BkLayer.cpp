#include "uikit/doc/BkLayer.h"

#include <cstdio>

#include "uikit/doc/BkAttrRead.h"

BkLayerInfo BkReadLayerAttributes(const BkAttrGetter& attr, const std::function<std::wstring(const char*)>& toWide,
                                  const std::function<int(int)>& scale) {
    BkLayerInfo info;
    const auto text = [&](const char* name) { return attr ? attr(name) : nullptr; };
    const auto flag = [&](const char* name) { return BkReadAtoi(text(name)) != 0; };

    if (const char* v = text("frame")) info.frame = v;
    if (const char* v = text("title"))
        info.title = toWide ? toWide(v) : std::wstring(v, v + std::char_traits<char>::length(v));
    info.width = BkReadAtoi(text("width"));
    info.height = BkReadAtoi(text("height"));
    info.dpiAware = flag("dpiaware");
    if (info.dpiAware && scale) {
        info.width = scale(info.width);
        info.height = scale(info.height);
    }
    info.minWidth = BkReadAtoi(text("min_width"));
    info.minHeight = BkReadAtoi(text("min_height"));
    if (flag("appwin")) info.exStyle |= bkws::kExAppWindow;
    if (flag("layered")) info.exStyle |= bkws::kExLayered;
    info.child = flag("child");
    if (info.child) {
        info.exStyle &= ~bkws::kExLayered;
        info.style = (info.style & 0x39F7FFFFu) | 0x46000000u;
        return info;
    }
    info.holdSize = flag("holdsize");
    if (flag("resize")) {
        info.style |= bkws::kThickFrame | bkws::kMinimizeBox | bkws::kMaximizeBox;
        info.resizable = true;
    } else {
        info.style = (info.style & ~bkws::kMaximizeBox) | bkws::kMinimizeBox;
    }
    if (flag("noborder")) {
        info.exStyle |= bkws::kExToolWindow | bkws::kExTopmost;
    } else {
        info.exStyle |= bkws::kExWindowEdge | bkws::kExClientEdge;
    }
    info.noMove = flag("nomove");
    return info;
}

std::string BkHeaderPos(const char* heightText) { return "0,0,-0," + std::to_string(BkReadAtoi(heightText)); }

std::string BkFooterPos(const char* heightText) { return "0,-" + std::to_string(BkReadAtoi(heightText)) + ",-0,-0"; }

bool BkIsFullHeight(const char* heightText) { return heightText && BkEqualsNoCase(heightText, "full"); }

BkSectionRects BkArrangeSections(const BkRect& client, const BkPosition* header, const BkPosition* body,
                                 const BkPosition* footer) {
    BkSectionRects out;
    if (client.Width() == 0) return out;
    // A section sizes itself from its four items; without them it has no content to measure here.
    const auto size = [](const BkPosition* pos, const BkPlacement& place) {
        return BkSizeChild(place, 0, 0, 0, [&] {
            BkContentQuery q;
            q.pos = pos;
            q.availWidth = place.width;
            q.availHeight = place.height;
            return pos->count == 4 ? BkQueryContentSize(q, nullptr) : BkSize{};
        });
    };
    BkPlacement place;
    place.x = client.left;
    place.y = client.top;
    place.width = client.Width();
    place.height = client.Height();
    if (header) out.header = size(header, place);
    int footerHeight = 0;
    if (footer) {
        footerHeight = size(footer, place).Height();
        BkPlacement again = place;
        again.y = client.bottom - footerHeight;
        again.height = footerHeight;
        out.footer = size(footer, again);
    }
    if (body) {
        BkPlacement middle = place;
        middle.y = header ? out.header.bottom : 0;
        middle.height = client.bottom - footerHeight - middle.y;
        out.body = size(body, middle);
    }
    return out;
}

std::string BkXmlErrorMessage(const char* description, int errorId, int row, int column) {
    char tail[96];
    std::snprintf(tail, sizeof tail, ", errorid=%d, errorrow=%d, errorcolom=%d\n", errorId, row + 1, column + 1);
    return std::string(description ? description : "") + tail;
}

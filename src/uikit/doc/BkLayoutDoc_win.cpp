#include <tinyxml.h>

#include "uikit/doc/BkDpi.h"
#include "uikit/doc/BkLayoutDoc.h"
#include "uikit/doc/BkResRegistry.h"
#include "uikit/doc/BkResource.h"
#include "uikit/doc/BkStrExpand.h"
#include "uikit/doc/BkXml.h"

namespace {

void Invalidate(IBkLayoutHost& host) {
    HWND window = host.LayoutWindow();
    if (window && IsWindow(window)) InvalidateRect(window, nullptr, TRUE);
}

}  // namespace

bool BkLoadLayout(int id, IBkLayoutHost& host) {
    std::string text;
    if (!BkFindResourceData(id, L"xml", text)) return false;
    return BkLoadLayoutText(text, host);
}

bool BkLoadLayoutText(const std::string& utf8, IBkLayoutHost& host) {
    host.ResetLayout(BkLayerInfo());

    TiXmlDocument doc;
    if (!BkParseXml(utf8, doc)) {
        Invalidate(host);
        return false;
    }
    const TiXmlElement* root = doc.RootElement();
    if (!root) return false;
    if (root->ValueStr() != "layer") {
        Invalidate(host);
        return false;
    }

    BkDpiSettings& dpi = BkDpiSettings::Instance();
    const auto scale = [&dpi](int v) { return dpi.Scale(v); };
    const BkLayerInfo layer = BkReadLayerAttributes([root](const char* name) { return root->Attribute(name); },
                                                    [](const char* utf8Title) {
                                                        std::wstring title = BkWide(utf8Title);
                                                        BkExpandStr(title, [](int sid) {
                                                            const std::wstring* s = BkStringTable::Instance().Find(sid);
                                                            return s ? *s : std::wstring();
                                                        });
                                                        return title;
                                                    },
                                                    dpi.ScalingEnabled() ? BkScaleFn(scale) : BkScaleFn());
    host.ApplyLayer(layer);

    const TiXmlElement* header = root->FirstChildElement("header");
    const TiXmlElement* footer = root->FirstChildElement("footer");
    const TiXmlElement* body = root->FirstChildElement("body");
    bool headerFull = false;
    if (header) {
        host.LoadSection(BkSection::Header, *header, layer.dpiAware);
        host.SetSectionPos(BkSection::Header, BkHeaderPos(header->Attribute("height")));
        headerFull = BkIsFullHeight(header->Attribute("height"));
    }
    if (footer) {
        host.LoadSection(BkSection::Footer, *footer, layer.dpiAware);
        host.SetSectionPos(BkSection::Footer, BkFooterPos(footer->Attribute("height")));
    }
    if (body) {
        host.LoadSection(BkSection::Body, *body, layer.dpiAware);
        host.SetSectionPos(BkSection::Body, kBkBodyPos);
    }
    const bool headerFills = header && headerFull && !body && !footer;
    if (headerFills) host.SetSectionPos(BkSection::Header, kBkBodyPos);
    host.OnLayoutLoaded(headerFills);
    return true;
}

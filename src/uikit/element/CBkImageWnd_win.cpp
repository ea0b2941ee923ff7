#include "uikit/doc/BkResRegistry.h"
#include "uikit/doc/BkSkin.h"
#include "uikit/doc/BkXml.h"
#include "uikit/element/BkAttrTable.h"
#include "uikit/element/CBkImageWnd.h"

namespace {

// Up to 20 comma-separated integers.
std::vector<int> ReadClipParams(const char* value) {
    std::vector<int> out;
    const char* p = value;
    while (p && *p && out.size() < 20) {
        out.push_back(BkReadInt(p));
        p = std::strchr(p, ',');
        if (p) ++p;
    }
    return out;
}

}  // namespace

int CBkImageWnd::ApplyAttribute(const char* name, const char* value, bool loading) {
    using Self = CBkImageWnd;
    static const BkAttrSetter<Self> kOwn[] = {
        {"skin", [](Self& w, const char* v, bool) { return w.m_skin = v, 1; }},
        {"sub", [](Self& w, const char* v, bool) { return w.m_sub = BkReadInt(v), 1; }},
        {"cliptype", [](Self& w, const char* v, bool) { return w.m_clipType = BkReadInt(v), 1; }},
        {"clipparam", [](Self& w, const char* v, bool) { return w.m_clipParams = ReadClipParams(v), 1; }},
        {"alpha", [](Self& w, const char* v, bool) { return w.m_alpha = BkReadInt(v), 1; }},
        {"use_pos_size", [](Self& w, const char* v, bool) { return w.m_usePosSize = BkReadInt(v), 0; }},
        {"ico", [](Self& w, const char* v, bool) { return w.m_ico = v, 1; }},
        {"ico_top", [](Self& w, const char* v, bool) { return w.m_icoTop = BkReadInt(v), 1; }},
        {"caption", [](Self& w, const char* v, bool) { return w.m_caption = BkWide(v), 1; }},
        {"caption_top", [](Self& w, const char* v, bool) { return w.m_captionTop = BkReadInt(v), 1; }},
        {"group", [](Self& w, const char* v, bool) { return w.m_group = v, 0; }},
        {"mask", [](Self& w, const char* v, bool) { return w.m_mask = v, 1; }},
    };
    const int result = BkApplyFromTable(kOwn, *this, name, value, loading);
    return result != kBkAttrNotHandled ? result : CBkWindow::ApplyAttribute(name, value, loading);
}

SIZE CBkImageWnd::MeasureContent(int availWidth, int availHeight) {
    SIZE size = CBkWindow::MeasureContent(availWidth, availHeight);
    if (m_usePosSize) return size;
    CBkSkinBase* skin = m_skin.empty() ? nullptr : BkSkinRegistry::Instance().Find(m_skin);
    if (!skin) return size;
    const SIZE skinSize = skin->GetSkinSize();
    if (skinSize.cx) size.cx = ScaleForDpi(skinSize.cx);
    if (skinSize.cy) size.cy = ScaleForDpi(skinSize.cy);
    return size;
}

void CBkImageWnd::PaintText(HDC dc) {
    CBkSkinBase* skin = m_skin.empty() ? nullptr : BkSkinRegistry::Instance().Find(m_skin);
    if (!skin) return;
    skin->DrawDpiAlpha(dc, m_rc.left, m_rc.top, m_rc.right, m_rc.bottom, m_sub, m_dpiAware, 255);
}

// `img`: a skin drawn over the element rectangle with a chosen frame, sized by the skin unless told otherwise.
// The clip types 1-3, groups and the button parts (`ico`, `caption`, `mask`) are stored here for the image
// button and the clipped draws, which are not drawn by this type yet.
#pragma once

#include <string>
#include <vector>

#include "uikit/element/CBkWindow.h"

class CBkImageWnd : public CBkWindow {
public:
    static constexpr const char* kTag = "img";
    const char* TagName() const override { return kTag; }

    int ApplyAttribute(const char* name, const char* value, bool loading) override;

    const std::string& GetSkinName() const { return m_skin; }
    int GetSub() const { return m_sub; }
    int GetClipType() const { return m_clipType; }
    const std::vector<int>& GetClipParams() const { return m_clipParams; }
    int GetAlpha() const { return m_alpha; }
    bool UsesPosSize() const { return m_usePosSize != 0; }
    const std::string& GetIcon() const { return m_ico; }
    int GetIconTop() const { return m_icoTop; }
    const std::wstring& GetCaption() const { return m_caption; }
    int GetCaptionTop() const { return m_captionTop; }
    const std::string& GetGroup() const { return m_group; }
    const std::string& GetMask() const { return m_mask; }

protected:
    // The plain element's answer, then the skin size (DPI-scaled) for each dimension it reports.
    SIZE MeasureContent(int availWidth, int availHeight) override;
    // The skin with frame `sub` over the rectangle.
    void PaintText(HDC dc) override;

    std::string m_skin;
    int m_sub = -1;
    int m_clipType = 0;
    std::vector<int> m_clipParams;  // at most 20
    int m_alpha = -1;
    int m_usePosSize = 0;
    std::string m_ico;
    int m_icoTop = -1;
    std::wstring m_caption;
    int m_captionTop = -1;
    std::string m_group;
    std::string m_mask;
};

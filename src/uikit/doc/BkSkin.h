// Skins: named images and painted shapes that elements draw their backgrounds with. Windows only; UI thread.
// Rectangles are in the coordinates of the device context drawn into (the host's client coordinates for
// elements). Skins are owned by BkSkinRegistry; images come from the pools in BkImagePool.h.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

class TiXmlElement;

// State index used by the draws: 0 normal, 1 hovered, 2 pressed, 3 disabled (frames beyond the image's count
// wrap around; -1 is the first frame).
class CBkSkinBase {
public:
    virtual ~CBkSkinBase() = default;

    virtual const char* TagName() const = 0;
    bool MatchesTag(const char* name) const;
    // Applies every attribute in document order; unknown ones are skipped.
    bool LoadFromElement(const TiXmlElement* element);
    // 0 when handled, kBkAttrNotHandled otherwise.
    virtual int ApplyAttribute(const char* name, const char* value);

    // A state into a rectangle: the frame for the state cut in nine parts (middle stretched or tiled), or, when
    // `naturalSize` is set and the skin has no margins, the frame at its own size at the rectangle's corner.
    virtual void Draw(HDC dc, const RECT& rc, int state, bool naturalSize = false);
    // The form element backgrounds use: scaled by the DPI rate when `dpiAware`, with constant alpha.
    virtual void DrawDpiAlpha(HDC dc, int left, int top, int right, int bottom, int state, bool dpiAware, BYTE alpha);
    // One frame; 0 × 0 for skins without an image.
    virtual SIZE GetSkinSize();
    // True when the skin looks the same in every state.
    virtual bool IgnoreState() { return true; }
    // Decodes the image on first use; true when there is one to draw.
    virtual bool LoadImageOnce() { return true; }
};

// A new skin for a skin-document tag (`png`, `imglst`, …); null for an unknown tag.
std::unique_ptr<CBkSkinBase> BkCreateSkin(const char* tag);

// The folder "data\skin\skincfg.ini" and `file` attributes are relative to (default: the program's folder,
// without a trailing backslash).
void BkSetSkinProgramDir(const std::wstring& dir);

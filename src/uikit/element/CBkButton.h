// `button`: a plain element whose look comes from its style (skin frames by state, hover and press colours and
// fonts), so it repaints on every hover and press change.
#pragma once

#include "uikit/element/CBkWindow.h"

class CBkButton : public CBkWindow {
public:
    static constexpr const char* kTag = "button";
    const char* TagName() const override { return kTag; }
    bool NeedsRedrawOnStateChange() override;
};

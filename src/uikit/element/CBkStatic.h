// `text`: plain text; background, text and state handling of the element base.
#pragma once

#include "uikit/element/CBkWindow.h"

class CBkStatic : public CBkWindow {
public:
    static constexpr const char* kTag = "text";
    const char* TagName() const override { return kTag; }
};

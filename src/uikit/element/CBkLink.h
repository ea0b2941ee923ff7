// `link`: a text element that differs only by its tag, which styles and hosts use (its `href` is common).
#pragma once

#include "uikit/element/CBkWindow.h"

class CBkLink : public CBkWindow {
public:
    static constexpr const char* kTag = "link";
    const char* TagName() const override { return kTag; }
};

// The "layout_" attributes every element owns: margins and size bounds read by linear layouts and by content
// sizing.
#pragma once

#include <climits>
#include <functional>

constexpr int kBkLayoutFromContent = -1;
constexpr int kBkLayoutFill = -2;

struct BkLayoutParam {
    int marginLeft = 0;
    int marginRight = 0;
    int marginTop = 0;
    int marginBottom = 0;
    int width = kBkLayoutFromContent;  // -1 from content, -2 fill the available extent, else pixels
    int height = kBkLayoutFromContent;
    int minWidth = 0;
    int minHeight = 0;
    int maxWidth = INT_MAX;
    int maxHeight = INT_MAX;
    int placeHolder = 0;
    int layoutFloat = 0;  // never scaled

    // `name` is the full attribute name ("layout_width"). Answers 0 when handled, kBkAttrNotHandled for a name
    // that is not a layout parameter (the bare prefix included). `changed` tells whether the stored value moved.
    int ApplyAttribute(const char* name, const char* value, const std::function<int(int)>& scale, bool* changed);
};

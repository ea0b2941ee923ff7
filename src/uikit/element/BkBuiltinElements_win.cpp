// The first creation stage: the element types every container knows, by exact tag. Later types are added to the
// table; `dlg` is not here because containers make it themselves (it inherits their factory).
#include <cstring>

#include "uikit/element/BkControlCreator.h"
#include "uikit/element/CBkButton.h"
#include "uikit/element/CBkImageWnd.h"
#include "uikit/element/CBkLink.h"
#include "uikit/element/CBkStatic.h"

namespace {

template <class T>
std::unique_ptr<CBkWindow> Make() {
    return std::make_unique<T>();
}

struct BuiltinType {
    const char* tag;
    std::unique_ptr<CBkWindow> (*create)();
};

const BuiltinType kBuiltinTypes[] = {
    {CBkStatic::kTag, &Make<CBkStatic>},
    {CBkButton::kTag, &Make<CBkButton>},
    {CBkImageWnd::kTag, &Make<CBkImageWnd>},
    {CBkLink::kTag, &Make<CBkLink>},
};

}  // namespace

std::unique_ptr<CBkWindow> BkCreateBuiltinElement(const char* tag) {
    if (!tag) return nullptr;
    for (const BuiltinType& type : kBuiltinTypes) {
        if (std::strcmp(type.tag, tag) == 0) return type.create();
    }
    return nullptr;
}

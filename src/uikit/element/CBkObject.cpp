#include "uikit/element/CBkObject.h"

#include <tinyxml.h>

#include <cstring>

#include "uikit/doc/BkAttrRead.h"

bool CBkObject::MatchesTag(const char* name) const {
    const char* own = TagName();
    return name && own && std::strcmp(name, own) == 0;
}

bool CBkObject::LoadFromElement(const TiXmlElement* element) {
    if (element) {
        for (const TiXmlAttribute* a = element->FirstAttribute(); a; a = a->Next()) {
            ApplyAttribute(a->Name(), a->Value(), true);
        }
    }
    OnAttributesLoaded();
    return true;
}

int CBkObject::ApplyAttribute(const char*, const char*, bool) { return kBkAttrNotHandled; }

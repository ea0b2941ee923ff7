// The root of everything a UI document creates: a named tag that applies XML attributes to itself.
#pragma once

class TiXmlElement;

class CBkObject {
public:
    virtual ~CBkObject() = default;

    // True when `name` is exactly this type's own tag (not a base type's).
    bool MatchesTag(const char* name) const;
    virtual const char* TagName() const = 0;

    // Applies every attribute in document order with `loading` set, then OnAttributesLoaded. Element types extend
    // it (text, position rules, children). Answers true.
    virtual bool LoadFromElement(const TiXmlElement* element);
    virtual void OnAttributesLoaded() {}

    // 0 or 1 when handled (1: the caller should repaint), kBkAttrNotHandled (E_FAIL) when the name is unknown.
    virtual int ApplyAttribute(const char* name, const char* value, bool loading);
};

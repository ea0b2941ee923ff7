// How containers turn tags into elements. The first stage is the table of built-in element types every container
// knows; later stages are factories (IBkControlCreator) that hosts hand to their containers, so application types
// plug in without touching the framework.
#pragma once

#include <memory>

class CBkWindow;

class IBkControlCreator {
public:
    virtual ~IBkControlCreator() = default;
    // A new element for `tag`, or null when this factory does not know it.
    virtual std::unique_ptr<CBkWindow> CreateControlByTag(const char* tag) = 0;
};

// The built-in element types, tried in a fixed order; each answers only its exact tag. `dlg` is not among them
// (containers create it themselves so it inherits their factory). Null for an unknown tag.
std::unique_ptr<CBkWindow> BkCreateBuiltinElement(const char* tag);

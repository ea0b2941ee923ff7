// A table from attribute name to setter, the way every element type applies its own attributes. A name missing
// from the table is "not handled".
#pragma once

#include <cstring>

#include "uikit/doc/BkAttrRead.h"

template <class T>
struct BkAttrSetter {
    const char* name;
    // Answers 0 or 1 (1: repaint), or kBkAttrNotHandled for a value the attribute rejects.
    int (*apply)(T& self, const char* value, bool loading);
};

// Runs the setter of `name` from `table`; kBkAttrNotHandled when the table has none.
template <class T, size_t N>
int BkApplyFromTable(const BkAttrSetter<T> (&table)[N], T& self, const char* name, const char* value, bool loading) {
    if (!name) return kBkAttrNotHandled;
    for (const BkAttrSetter<T>& entry : table) {
        if (std::strcmp(entry.name, name) == 0) return entry.apply(self, value ? value : "", loading);
    }
    return kBkAttrNotHandled;
}

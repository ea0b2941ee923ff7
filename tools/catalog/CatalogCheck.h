// What a publisher should fix in a catalogue: the catalogue is read as the program reads it, and everything that
// would silently read as 0 or empty, never be found, hide a card or break a download is reported. Portable.
#pragma once

#include "common/Utf8.h"

#include <string>
#include <string_view>
#include <vector>

#include "catalog/SoftCatalog.h"

enum class Severity { kWarning, kError };

struct Finding {
    Severity severity;
    std::string text;  // one line, UTF-8: the place (list, entry, member), then what is wrong
};

struct CheckReport {
    bool loadable = false;  // the program would load it (it may still show wrong things)
    CatalogLists lists;     // every item, whatever its "os" text
    std::vector<Finding> findings;

    int Count(Severity severity) const;
};

// A packed catalogue file, or (when it does not start with the magic but looks like JSON) a JSON source as pack
// would pack it.
CheckReport CheckCatalogInput(std::string_view bytes);
// A JSON source text. A leading byte-order mark is only a warning here, because pack removes it.
CheckReport CheckCatalogJson(std::string_view utf8);
// The unscrambled body of a packed file.
CheckReport CheckCatalogBody(std::string_view utf8);

// Whether bytes hold a packed catalogue (they start with the magic).
bool IsPackedCatalog(std::string_view bytes);


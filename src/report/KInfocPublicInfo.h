// Gathers the public record's values from the registry and the installation's INI files. Windows only;
// any thread. Every missing source leaves its value zero or empty.
#pragma once

#include "report/KPublicBlock.h"

namespace KDirectInfoc {

// HKEY_CLASSES_ROOT key (32-bit view) that holds "uuid" and "svrid".
extern const wchar_t* const kInstallationIdKey;

class KInfocPublicInfo {
public:
    // Fills every fact. An unusable svrid is also emptied in the registry (a failed write is ignored).
    static KPublicFacts Gather();
};

}  // namespace KDirectInfoc

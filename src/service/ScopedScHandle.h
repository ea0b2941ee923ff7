// Owning wrapper for service control manager and service handles. Windows only.
#pragma once

#include <windows.h>

#include "common/ScopedWin.h"

namespace scoped_win_detail {
struct ScHandleTraits {
    using Type = SC_HANDLE;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { CloseServiceHandle(h); }
};
}  // namespace scoped_win_detail

using ScopedScHandle = ScopedWinHandle<scoped_win_detail::ScHandleTraits>;

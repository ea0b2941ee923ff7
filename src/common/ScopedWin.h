// Owning wrappers for Win32 handles: one alias per handle kind, each closing its handle with the matching call.
// Move-only; `if (handle)` asks whether a handle is held. Receive() hands out the address for APIs that return
// the handle through an out-parameter, after closing any handle held before.
#pragma once

#include <windows.h>

#include <utility>

template <typename Traits>
class ScopedWinHandle {
public:
    using Type = typename Traits::Type;

    ScopedWinHandle() = default;
    explicit ScopedWinHandle(Type handle) : m_handle(handle) {}
    ~ScopedWinHandle() { Reset(); }

    ScopedWinHandle(const ScopedWinHandle&) = delete;
    ScopedWinHandle& operator=(const ScopedWinHandle&) = delete;
    ScopedWinHandle(ScopedWinHandle&& other) noexcept : m_handle(other.Release()) {}
    ScopedWinHandle& operator=(ScopedWinHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    explicit operator bool() const { return Traits::IsValid(m_handle); }
    Type Get() const { return m_handle; }

    // Gives up ownership without closing.
    Type Release() { return std::exchange(m_handle, Traits::Invalid()); }

    void Reset(Type handle = Traits::Invalid()) {
        const Type old = std::exchange(m_handle, handle);
        if (Traits::IsValid(old)) Traits::Close(old);
    }

    Type* Receive() {
        Reset();
        return &m_handle;
    }

private:
    Type m_handle = Traits::Invalid();
};

namespace scoped_win_detail {

// CreateFileW answers INVALID_HANDLE_VALUE, most other creators null: both count as "no handle".
struct KernelHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Type h) { CloseHandle(h); }
};

struct FindHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Type h) { FindClose(h); }
};

struct RegKeyTraits {
    using Type = HKEY;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { RegCloseKey(h); }
};

struct LibraryTraits {
    using Type = HMODULE;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { FreeLibrary(h); }
};

}  // namespace scoped_win_detail

// Files, volumes, events, mutexes, processes, threads, tokens.
using ScopedHandle = ScopedWinHandle<scoped_win_detail::KernelHandleTraits>;
// FindFirstFileW.
using ScopedFindHandle = ScopedWinHandle<scoped_win_detail::FindHandleTraits>;
// RegOpenKeyExW / RegCreateKeyExW; never wrap a predefined root such as HKEY_LOCAL_MACHINE.
using ScopedRegKey = ScopedWinHandle<scoped_win_detail::RegKeyTraits>;
// LoadLibraryW only: a module from GetModuleHandleW is not ours to free.
using ScopedLibrary = ScopedWinHandle<scoped_win_detail::LibraryTraits>;

// Window classes of framework windows: registered once per process, under a name the window class gives or under
// a generated "ATL:%p" name made from the class record's address. Any thread may register; the record must live
// as long as windows of the class exist (a function-local static of the window class is the usual home).
#pragma once

#include <windows.h>

#include <mutex>

class CBkWndClassInfo {
public:
    // `name` null or empty: a generated name. `classStyle` CS_DBLCLKS is what hosts use (double clicks).
    explicit CBkWndClassInfo(const wchar_t* name, UINT classStyle = CS_DBLCLKS, HCURSOR cursor = nullptr);
    CBkWndClassInfo(const CBkWndClassInfo&) = delete;
    CBkWndClassInfo& operator=(const CBkWndClassInfo&) = delete;

    // Registers the class with `proc` on first call; later calls answer the same atom. 0 on failure (a class of
    // that name registered by someone else with another procedure also counts as failure).
    ATOM Register(HINSTANCE instance, WNDPROC proc);
    // The name windows are created with (valid after construction).
    const wchar_t* Name() const { return m_name; }
    ATOM Atom() const { return m_atom; }

private:
    std::mutex m_lock;
    wchar_t m_name[128]{};
    UINT m_classStyle;
    HCURSOR m_cursor;
    ATOM m_atom = 0;
};

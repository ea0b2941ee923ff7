#include <cwchar>

#include "uikit/host/BkWndClass.h"

CBkWndClassInfo::CBkWndClassInfo(const wchar_t* name, UINT classStyle, HCURSOR cursor)
    : m_classStyle(classStyle), m_cursor(cursor) {
    if (name && *name) {
        wcsncpy(m_name, name, _countof(m_name) - 1);
    } else {
        swprintf(m_name, _countof(m_name), L"ATL:%p", static_cast<void*>(this));
    }
}

ATOM CBkWndClassInfo::Register(HINSTANCE instance, WNDPROC proc) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_atom) return m_atom;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(instance, m_name, &wc)) {
        // Already there (another record of the same name): usable only when it runs our procedure.
        if (wc.lpfnWndProc != proc) return 0;
        m_atom = 1;  // registered by an earlier record; windows are created by name anyway
        return m_atom;
    }
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.style = m_classStyle;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = m_cursor ? m_cursor : LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = m_name;
    m_atom = RegisterClassExW(&wc);
    return m_atom;
}

// Reading registry values the way the whole program does. Opening is read-only; a string is accepted only as
// REG_SZ or REG_EXPAND_SZ (returned unexpanded, always terminated even when stored without a NUL), a number only
// as REG_DWORD. Every failure is a plain false. Safe from any thread.
#pragma once

#include <windows.h>

#include <string>

#include "common/ScopedWin.h"

enum class RegView {
    Default,  // the process's own view: the 32-bit branch for the shipped 32-bit programs
    Wow32,    // KEY_WOW64_32KEY: the 32-bit branch whatever the process is
};

// Opens root\subKey with KEY_READ (plus KEY_WOW64_32KEY for RegView::Wow32).
bool RegOpenForRead(HKEY root, const wchar_t* subKey, RegView view, ScopedRegKey& key);

// The text up to its first NUL. `value` is changed only on success.
bool RegReadString(HKEY key, const wchar_t* name, std::wstring& value);
bool RegReadDword(HKEY key, const wchar_t* name, DWORD& value);

// Open, read, close.
bool RegReadString(HKEY root, const wchar_t* subKey, const wchar_t* name, RegView view, std::wstring& value);
bool RegReadDword(HKEY root, const wchar_t* subKey, const wchar_t* name, RegView view, DWORD& value);

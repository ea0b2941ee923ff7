// "%strN%" references in shown texts (window titles, element texts) replaced by entries of the string table.
#pragma once

#include <functional>
#include <string>

// Looks string N up; an id without entry answers the empty text.
using BkStringLookup = std::function<std::wstring(int id)>;

// Expands in place, left to right. A reference whose number is not positive, or that has no closing '%', ends
// the expansion. Searching resumes after the closing '%' as counted in the text before the replacement, but never
// inside the text just inserted, so a table entry that itself holds "%str" cannot expand without end.
void BkExpandStr(std::wstring& text, const BkStringLookup& lookup);

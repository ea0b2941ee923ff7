#include <windows.h>

#include "common/TextConv.h"

KUTF8ToUTF16Ex::KUTF8ToUTF16Ex(const char* utf8) {
    if (!utf8) return;
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    if (length <= 0) return;
    wchar_t* target = m_inline;
    if (length > kInlineChars) {
        m_heap.reset(new wchar_t[length]);  // std::bad_alloc when out of memory
        target = m_heap.get();
    }
    if (MultiByteToWideChar(CP_UTF8, 0, utf8, -1, target, length) != length) {
        m_heap.reset();
        return;
    }
    m_result = target;
    m_length = length;
}

char* UTF16ToANSI(const wchar_t* text, char* buffer, int bufferBytes) {
    if (!buffer || bufferBytes <= 0) return nullptr;
    buffer[0] = '\0';
    if (!text) return nullptr;
    if (WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, bufferBytes, nullptr, nullptr) == 0) {
        buffer[0] = '\0';  // a too small buffer may hold a partial text
        return nullptr;
    }
    return buffer;
}

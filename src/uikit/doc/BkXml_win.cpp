#include <windows.h>

#include "common/Utf8.h"
#include "uikit/doc/BkLayer.h"
#include "uikit/doc/BkResRegistry.h"
#include "uikit/doc/BkStrExpand.h"
#include "uikit/doc/BkXml.h"

bool BkParseXml(const std::string& text, TiXmlDocument& doc) {
    doc.Clear();
    doc.Parse(text.c_str(), nullptr, TIXML_ENCODING_UTF8);
    if (!doc.Error()) return true;
    // TinyXML counts rows and columns from 1 already; the line shows them as they are.
    const std::string line = BkXmlErrorMessage(doc.ErrorDesc(), doc.ErrorId(), doc.ErrorRow() - 1, doc.ErrorCol() - 1);
    OutputDebugStringW(Utf8ToWide(line).c_str());
    return false;
}

std::wstring BkElementText(const TiXmlElement* element) {
    if (!element) return std::wstring();
    const TiXmlNode* first = element->FirstChild();
    const TiXmlText* text = first ? first->ToText() : nullptr;
    if (!text || !text->Value()) return std::wstring();
    std::wstring wide = Utf8ToWide(text->Value());
    BkExpandStr(wide, [](int id) {
        const std::wstring* found = BkStringTable::Instance().Find(id);
        return found ? *found : std::wstring();
    });
    return wide;
}

std::wstring BkWide(const char* utf8) { return utf8 ? Utf8ToWide(utf8) : std::wstring(); }

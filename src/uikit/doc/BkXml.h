// Parsing UI documents with TinyXML, and the element texts they carry. Windows only; UI thread.
#pragma once

#include <tinyxml.h>

#include <string>

// Parses UTF-8 text. On a parse error the parser's description with ", errorid=…, errorrow=…, errorcolom=…"
// (1-based row and column) goes to the debugger output and the answer is false.
bool BkParseXml(const std::string& text, TiXmlDocument& doc);

// The first child of the element when it is a text node, converted to UTF-16 and with "%str" references
// expanded from the string table; empty otherwise.
std::wstring BkElementText(const TiXmlElement* element);

// UTF-8 attribute text to UTF-16.
std::wstring BkWide(const char* utf8);

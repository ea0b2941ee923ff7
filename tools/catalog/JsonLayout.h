// Order-preserving views of JSON text for the catalogue tool: re-indenting, and the member names of every object
// as written (BkJsonEx keeps neither the order nor repeated names). Portable; works on UTF-8 bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The text with two-space indentation, one member or element per line. Only the white space between tokens
// (space, tab, CR, LF) changes, so the result reads back as the same document. Malformed text is re-indented as
// far as its brackets allow and never rejected.
std::string IndentJson(std::string_view text);

struct ScannedMember {
    std::string name;  // as written between the quotes, escapes left as they are
    int line = 0;      // 1-based
};

struct ScannedObject {
    std::string path;  // "" for the root, then e.g. "table[1].softlist[4]"
    int line = 0;
    std::vector<ScannedMember> members;  // in file order, repeats included
};

struct JsonScan {
    bool complete = false;        // the first value was read to its end
    std::size_t valueEnd = 0;     // byte offset just past the first value
    bool textAfterValue = false;  // something other than white space follows it
    std::vector<ScannedObject> objects;
};

// Scans the first JSON value of text. Meant for text that BkJsonEx has accepted; on other text it stops early
// with complete = false.
JsonScan ScanJson(std::string_view text);

// "table[1].softlist[4]" -> "table.softlist": the place in the schema.
std::string SchemaPath(const std::string& path);

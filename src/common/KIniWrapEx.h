#pragma once

#include <map>
#include <string>
#include <string_view>

// An INI document: "[section]" lines, each followed by "key=value" lines.
//
// Section names and keys are stored lower-cased (towlower per character) and every lookup lower-cases its
// arguments the same way, so lookups ignore letter case; values keep their case. Sections and keys are kept
// in ordinal order of the lower-cased texts, which is also the order ToText writes them in (not file order).
// A section exists only once it holds a key.
//
// Not thread-safe: one thread at a time per document.
class KIniWrapEx {
public:
    KIniWrapEx() = default;
    KIniWrapEx(const KIniWrapEx&) = default;
    KIniWrapEx& operator=(const KIniWrapEx&) = default;
    KIniWrapEx(KIniWrapEx&&) = default;
    KIniWrapEx& operator=(KIniWrapEx&&) = default;

    // Adds the text's content to the document. Everything before the first "[" is ignored (this skips a
    // byte-order mark). Lines end at '\n'; white space around a line is dropped and empty lines are skipped.
    // "[name]" starts a section; "key=value" splits at the first "=", dropping spaces around it. A key before
    // any section, a line without "=", an empty key or an empty section name is invalid: parsing stops there
    // with false and what was stored before stays. False also when the text has no "[" at all.
    virtual bool Parse(std::wstring_view text);

    // Replaces out with "[name]\r\n" per section followed by "key=value\r\n" per key. Always true.
    // The output reads back into the same document as long as SetValue was given non-empty, single-line
    // section names and keys without "="; everything Parse stored qualifies.
    virtual bool ToText(std::wstring& out) const;

    virtual ~KIniWrapEx() = default;

#if defined(_WIN32)
    // Replaces the document with the content of a UTF-8 file of at most 2 MiB (see LoadFromUtf8). When the
    // file is missing and createIfMissing is set, creates its directory chain and an empty file instead and
    // leaves the document empty. A larger file, or one that cannot be opened, read or created, gives an empty
    // document and false. Otherwise the result is true, unless parsing stopped early (see Parse).
    bool Load(const std::wstring& path, bool createIfMissing);
#endif

    // Replaces the document with UTF-8 bytes as a file would hold them: the text ends at the first NUL byte,
    // is decoded (malformed sequences become U+FFFD), every '\r' becomes '\n', and the result is parsed.
    // An empty text gives an empty document and true; otherwise the result is that of Parse.
    bool LoadFromUtf8(std::string_view bytes);

    // Creates the section when missing, then inserts the key or replaces its value.
    void SetValue(std::wstring_view section, std::wstring_view key, std::wstring_view value);

    // The value, or the empty text when the section or key is missing.
    std::wstring GetString(std::wstring_view section, std::wstring_view key) const;

    // The value read as a decimal int the way _wtoi does (leading white space, optional sign, digits up to the
    // first non-digit; 0 when there are none), saturating at INT_MAX / INT_MIN. 0 when missing.
    int GetInt(std::wstring_view section, std::wstring_view key) const;

    void Clear() { sections_.clear(); }
    bool IsEmpty() const { return sections_.empty(); }

private:
    using KeyMap = std::map<std::wstring, std::wstring>;

    const std::wstring* Find(std::wstring_view section, std::wstring_view key) const;

    std::map<std::wstring, KeyMap> sections_;
};

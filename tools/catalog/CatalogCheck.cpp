#include "CatalogCheck.h"

#include <climits>
#include <cstring>
#include <map>
#include <set>

#include "JsonLayout.h"
#include "catalog/CatalogFile.h"
#include "common/BkJsonEx.h"
#include "common/Utf8.h"

using BkJsonEx::Handle;

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

enum class Kind { kInt, kText, kArray };

struct MemberRule {
    const char* name;
    Kind kind;
};

const MemberRule kRootMembers[] = {{"softlist", Kind::kArray}, {"bannerList", Kind::kArray}, {"table", Kind::kArray}};
const MemberRule kSoftMembers[] = {{"softid", Kind::kInt},     {"type", Kind::kInt},     {"config", Kind::kText},
                                   {"regRoot", Kind::kText},   {"regPath", Kind::kText}, {"regkey", Kind::kText},
                                   {"checkFile", Kind::kArray}};
const MemberRule kCheckFileMembers[] = {{"name", Kind::kText}};
const MemberRule kTableMembers[] = {
    {"id", Kind::kInt},       {"title", Kind::kText},       {"iconnor", Kind::kText}, {"iconnor_md5", Kind::kText},
    {"iconsel", Kind::kText}, {"iconsel_md5", Kind::kText}, {"details", Kind::kText}, {"softlist", Kind::kArray}};
const MemberRule kItemMembers[] = {{"itemid", Kind::kInt},      {"softid", Kind::kInt},
                                   {"name", Kind::kText},       {"details", Kind::kText},
                                   {"icon", Kind::kText},       {"icon_md5", Kind::kText},
                                   {"installcmd", Kind::kText}, {"runfilename", Kind::kText},
                                   {"runcmd", Kind::kText},     {"downloadfilename", Kind::kText},
                                   {"os", Kind::kText}};
const MemberRule kBannerMembers[] = {{"imgbg", Kind::kText},      {"img_md5", Kind::kText},
                                     {"title", Kind::kText},      {"softid", Kind::kInt},
                                     {"installcmd", Kind::kText}, {"runfilename", Kind::kText},
                                     {"runcmd", Kind::kText},     {"downloadfilename", Kind::kText}};

template <size_t N>
constexpr std::pair<const MemberRule*, size_t> Rules(const MemberRule (&rules)[N]) {
    return {rules, N};
}

// The objects the program reads, by their place in the schema, for the unknown-member check.
const std::map<std::string, std::pair<const MemberRule*, size_t>>& SchemaObjects() {
    static const std::map<std::string, std::pair<const MemberRule*, size_t>> objects = {
        {"", Rules(kRootMembers)},
        {"softlist", Rules(kSoftMembers)},
        {"softlist.checkFile", Rules(kCheckFileMembers)},
        {"table", Rules(kTableMembers)},
        {"table.softlist", Rules(kItemMembers)},
        {"bannerList", Rules(kBannerMembers)},
    };
    return objects;
}

std::wstring Wide(const char* ascii) { return std::wstring(ascii, ascii + std::strlen(ascii)); }

std::string Quoted(const std::wstring& text) {
    constexpr size_t kShown = 60;
    std::string shown = WideToUtf8(text.size() > kShown ? text.substr(0, kShown) : text);
    if (text.size() > kShown) shown += "...";
    return "\"" + shown + "\"";
}

std::string Describe(const Handle& value) {
    switch (value.GetType()) {
        case BkJsonEx::kTypeNull:
            return "null";
        case BkJsonEx::kTypeObject:
            return "an object";
        case BkJsonEx::kTypeBool:
            return value.GetBool() ? "true" : "false";
        case BkJsonEx::kTypeString:
            return "a quoted text " + Quoted(value.GetString());
        case BkJsonEx::kTypeLong:
        case BkJsonEx::kTypeLongLong:
            return "the number " + std::to_string(value.GetInt64());
        case BkJsonEx::kTypeDouble:
            return "a number with a decimal point";
        case BkJsonEx::kTypeArray:
            return "an array";
        default:
            return "not a value";
    }
}

bool IsFilterSpace(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

std::wstring Trim(const std::wstring& text) {
    size_t b = 0, e = text.size();
    while (b < e && IsFilterSpace(text[b])) ++b;
    while (e > b && IsFilterSpace(text[e - 1])) --e;
    return text.substr(b, e - b);
}

bool IsPlainNumber(const std::wstring& piece) {
    if (piece.empty() || piece.size() > 9) return false;
    for (wchar_t c : piece)
        if (c < L'0' || c > L'9') return false;
    return true;
}

bool IsMd5Text(const std::wstring& text) {
    if (text.size() != 32) return false;
    for (wchar_t c : text)
        if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F'))) return false;
    return true;
}

bool EqualsIgnoringCase(const std::wstring& a, const wchar_t* b) {
    size_t i = 0;
    for (; i < a.size() && b[i] != 0; ++i) {
        const wchar_t x = a[i] >= L'a' && a[i] <= L'z' ? a[i] - 32 : a[i];
        const wchar_t y = b[i] >= L'a' && b[i] <= L'z' ? b[i] - 32 : b[i];
        if (x != y) return false;
    }
    return i == a.size() && b[i] == 0;
}

// The first byte offset where text stops being UTF-8, or npos.
size_t FindBadUtf8(std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
        const unsigned char c = p[i];
        size_t length = 0;
        unsigned int min = 0, cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            length = 2, min = 0x80, cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3, min = 0x800, cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4, min = 0x10000, cp = c & 0x07;
        } else {
            return i;
        }
        if (i + length > n) return i;
        for (size_t k = 1; k < length; ++k) {
            if ((p[i + k] & 0xC0) != 0x80) return i;
            cp = cp << 6 | (p[i + k] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return i;
        i += length;
    }
    return std::string_view::npos;
}

int LineAt(std::string_view text, size_t offset) {
    int line = 1;
    for (size_t i = 0; i < offset && i < text.size(); ++i)
        if (text[i] == '\n') ++line;
    return line;
}

const char* ParseErrorText(int id) {
    switch (id) {
        case BkJsonEx::kErrorObjectExpected:
            return "\"{\" expected";
        case BkJsonEx::kErrorQuoteExpected:
            return "opening quote expected";
        case BkJsonEx::kErrorUnterminatedString:
            return "a text is not closed";
        case BkJsonEx::kErrorBadNumber:
            return "malformed number";
        case BkJsonEx::kErrorColonExpected:
            return "\":\" expected after a member name";
        case BkJsonEx::kErrorCommaExpected:
            return "\",\" or a closing bracket expected";
        case BkJsonEx::kErrorBadEscape:
            return "bad escape after a backslash";
        case BkJsonEx::kErrorBadElement:
            return "no valid value here (or nesting too deep)";
        case BkJsonEx::kErrorArrayExpected:
            return "\"[\" expected";
        default:
            return "not valid JSON";
    }
}

class Checker {
public:
    explicit Checker(CheckReport& report) : m_report(report) {}

    void Run(std::string_view text, bool fromJsonSource) {
        bool loadable = true;
        if (text.substr(0, kBom.size()) == kBom) {
            if (fromJsonSource) {
                Warning("text", "starts with a UTF-8 byte-order mark; pack removes it");
            } else {
                Error("text", "starts with a UTF-8 byte-order mark; the program cannot parse it (repack the source)");
                loadable = false;
            }
            text.remove_prefix(kBom.size());
        }
        const size_t nul = text.find('\0');
        if (nul != std::string_view::npos) {
            Error("line " + std::to_string(LineAt(text, nul)),
                  "NUL byte; the program reads the text only up to it" +
                      std::string(fromJsonSource ? " (pack refuses it)" : ""));
            text = text.substr(0, nul);
            if (fromJsonSource) loadable = false;
        }
        const size_t bad = FindBadUtf8(text);
        if (bad != std::string_view::npos)
            Error("line " + std::to_string(LineAt(text, bad)), "bytes that are not UTF-8; they read as U+FFFD");

        std::wstring wide;
        Utf8ToWide(text, wide);
        if (wide.empty()) {
            Error("text", DescribeCatalogError(CatalogError::kEmptyText));
            return;
        }
        BkJsonEx::Document document;
        if (!document.Parse(wide.c_str())) {
            const BkJsonEx::Error& e = document.GetError();
            Error("line " + std::to_string(e.GetRow()) + ", column " + std::to_string(e.GetColumn()),
                  std::string(ParseErrorText(e.GetId())) + "; the program cannot load the catalogue");
            return;
        }
        if (document.GetType() != BkJsonEx::kTypeObject) {
            Error("text", std::string("the catalogue is ") + Describe(document) + ", not an object");
            return;
        }
        // Reading the model adds missing members as null; the kind checks below need the document as written.
        BkJsonEx::Document forModel;
        forModel.Parse(wide.c_str());
        ReadCatalogLists(forModel, 0, m_report.lists, false);
        m_report.loadable = loadable;

        CheckMembers(document, "catalogue", Rules(kRootMembers));
        CheckSofts(document);
        CheckTables(document);
        CheckBanners(document);
        CheckLayout(text);
    }

private:
    void Error(const std::string& where, const std::string& what) {
        m_report.findings.push_back({Severity::kError, where + ": " + what});
    }
    void Warning(const std::string& where, const std::string& what) {
        m_report.findings.push_back({Severity::kWarning, where + ": " + what});
    }

    // Checks the kinds of the members an object is read for; false when it is not an object at all.
    bool CheckMembers(Handle object, const std::string& where, std::pair<const MemberRule*, size_t> rules) {
        if (object.GetType() != BkJsonEx::kTypeObject) {
            Error(where, "is " + Describe(object) + ", not an object; every member reads as 0 or empty");
            return false;
        }
        for (size_t i = 0; i < rules.second; ++i) {
            const MemberRule& rule = rules.first[i];
            const std::wstring name = Wide(rule.name);
            if (!object.HasMember(name.c_str())) continue;
            Handle value = object[name.c_str()];
            const int type = value.GetType();
            const std::string member = "\"" + std::string(rule.name) + "\" is " + Describe(value);
            switch (rule.kind) {
                case Kind::kInt:
                    if (type == BkJsonEx::kTypeLongLong || type == BkJsonEx::kTypeLong) {
                        const long long n = value.GetInt64();
                        if (n < INT_MIN || n > INT_MAX)
                            Error(where, member + ", beyond 32 bits; the program reads it as 0");
                    } else {
                        Error(where, member + "; the program reads it as 0 (write a plain whole number)");
                    }
                    break;
                case Kind::kText:
                    if (type != BkJsonEx::kTypeString)
                        Error(where, member + "; the program reads it as empty text (write it in quotes)");
                    break;
                case Kind::kArray:
                    if (type != BkJsonEx::kTypeArray)
                        Error(where, member + ", not an array; the program reads it as an empty list");
                    break;
            }
        }
        return true;
    }

    // The array member as a handle when it is one, else the null handle.
    static Handle ArrayMember(Handle object, const wchar_t* name) {
        if (!object.HasMember(name)) return Handle();
        Handle array = object[name];
        return array.GetType() == BkJsonEx::kTypeArray ? array : Handle();
    }

    std::string SoftWhere(size_t i) const {
        return "softlist[" + std::to_string(i) + "] (softid " + std::to_string(m_report.lists.softs[i].softid) + ")";
    }
    std::string TableWhere(size_t i) const {
        const TableEntry& table = m_report.lists.tables[i];
        std::string where = "table[" + std::to_string(i) + "] (id " + std::to_string(table.id);
        if (!table.title.empty()) where += " " + Quoted(table.title);
        return where + ")";
    }
    std::string ItemWhere(size_t i, size_t j) const {
        const ItemEntry& item = m_report.lists.tables[i].items[j];
        std::string where =
            TableWhere(i) + " softlist[" + std::to_string(j) + "] (itemid " + std::to_string(item.itemid);
        if (!item.name.empty()) where += " " + Quoted(item.name);
        return where + ")";
    }
    std::string BannerWhere(size_t i) const {
        const BannerEntry& banner = m_report.lists.banners[i];
        std::string where = "bannerList[" + std::to_string(i) + "] (softid " + std::to_string(banner.softid);
        if (!banner.title.empty()) where += " " + Quoted(banner.title);
        return where + ")";
    }

    void CheckPicture(const std::string& where, const char* urlName, const std::wstring& url, const char* md5Name,
                      const std::wstring& md5) {
        const std::string md5Member = "\"" + std::string(md5Name) + "\"";
        if (md5.empty()) {
            if (!url.empty())
                Error(where, md5Member + " is missing; pictures are cached under their MD5, so \"" + urlName +
                                 "\" cannot be shown");
            return;
        }
        if (!IsMd5Text(md5))
            Error(where, md5Member + " " + Quoted(md5) + " is not 32 hexadecimal digits; it names the cache file");
        if (url.empty())
            Warning(where, "\"" + std::string(urlName) + "\" is empty; the picture shows only if already cached");
    }

    void CheckSofts(Handle root) {
        Handle array = ArrayMember(root, L"softlist");
        std::map<int, size_t> first;
        for (size_t i = 0; i < m_report.lists.softs.size(); ++i) {
            const std::string where = SoftWhere(i);
            Handle object = array[static_cast<int>(i)];
            if (!CheckMembers(object, where, Rules(kSoftMembers))) continue;
            const SoftEntry& soft = m_report.lists.softs[i];
            const auto seen = first.emplace(soft.softid, i);
            if (!seen.second)
                Error(where, "softid " + std::to_string(soft.softid) + " is used again (first by softlist[" +
                                 std::to_string(seen.first->second) + "]); the program only ever finds the first");
            if (soft.softid == 0)
                Warning(where,
                        "softid 0 (or missing): cards with softid 0 start \"runfilename\" directly and never "
                        "use this entry");
            if (soft.type < 1 || soft.type > 4)
                Error(where, "\"type\" is " + std::to_string(soft.type) + "; the download type must be 1 to 4");
            if (soft.config.empty()) Error(where, "\"config\" (the package URL) is empty; the download cannot start");
            if (!soft.regRoot.empty() && !EqualsIgnoringCase(soft.regRoot, L"HKEY_LOCAL_MACHINE") &&
                !EqualsIgnoringCase(soft.regRoot, L"HKEY_CURRENT_USER"))
                Warning(where, "\"regRoot\" " + Quoted(soft.regRoot) +
                                   " is neither HKEY_LOCAL_MACHINE nor HKEY_CURRENT_USER; the registry is not "
                                   "consulted and the download folder is used");
            CheckCheckFiles(object, where, soft);
        }
    }

    void CheckCheckFiles(Handle softObject, const std::string& where, const SoftEntry& soft) {
        Handle array = ArrayMember(softObject, L"checkFile");
        for (size_t k = 0; k < soft.checkFiles.size(); ++k) {
            const std::string at = where + " checkFile[" + std::to_string(k) + "]";
            if (!CheckMembers(array[static_cast<int>(k)], at, Rules(kCheckFileMembers))) continue;
            const std::wstring& name = soft.checkFiles[k];
            if (name.empty()) {
                Error(at, "\"name\" is empty; it would test the tool's folder itself");
                continue;
            }
            const bool absolute = name[0] == L'\\' || name[0] == L'/' || name.find(L':') != std::wstring::npos;
            if (absolute)
                Error(at, "\"name\" " + Quoted(name) + " is an absolute path; write it relative to the tool's folder");
            bool upward = false;
            for (size_t start = 0; start <= name.size();) {
                size_t end = name.find_first_of(L"\\/", start);
                if (end == std::wstring::npos) end = name.size();
                if (name.compare(start, end - start, L"..") == 0) upward = true;
                start = end + 1;
            }
            if (upward) Error(at, "\"name\" " + Quoted(name) + " climbs out of the tool's folder with \"..\"");
            if (name.find_first_of(L"<>\"|?*") != std::wstring::npos)
                Error(at, "\"name\" " + Quoted(name) + " holds characters that no Windows file name may hold");
        }
    }

    void CheckOs(const std::string& where, const std::wstring& os) {
        if (os.empty()) return;
        const std::wstring trimmed = Trim(os);
        if (trimmed.empty()) {
            Error(where,
                  "\"os\" holds only white space, which hides the card everywhere (leave it empty to show it "
                  "everywhere)");
            return;
        }
        bool known = false, zero = false;
        for (size_t start = 0;;) {
            size_t end = os.find(L',', start);
            const bool last = end == std::wstring::npos;
            if (last) end = os.size();
            const std::wstring piece = Trim(os.substr(start, end - start));
            if (piece.empty()) {
                Warning(where, "\"os\" " + Quoted(os) +
                                   " has an empty piece (an extra comma); it reads as 0, "
                                   "which shows the card where the Windows version is not recognised");
                zero = true;
            } else if (!IsPlainNumber(piece)) {
                Warning(where, "\"os\" piece " + Quoted(piece) +
                                   " is not a plain version code; the program reads "
                                   "it as " +
                                   std::to_string(PieceValue(piece)));
            }
            const long long value = piece.empty() ? 0 : PieceValue(piece);
            if (value >= kOsFirstCode && value <= kOsLastCode) known = true;
            if (value == 0) zero = true;
            if (last) break;
            start = end + 1;
        }
        if (!known)
            Error(where, "\"os\" " + Quoted(os) + " names no Windows version (codes 1 to 13), so the card is shown " +
                             (zero ? "only where the version is not recognised" : "nowhere"));
    }

    static long long PieceValue(const std::wstring& piece) {
        // As the program's _wtoi reading: sign, leading digits, saturated to int.
        size_t i = 0;
        bool negative = false;
        if (i < piece.size() && (piece[i] == L'+' || piece[i] == L'-')) negative = piece[i++] == L'-';
        long long value = 0;
        for (; i < piece.size() && piece[i] >= L'0' && piece[i] <= L'9' && value <= INT_MAX; ++i)
            value = value * 10 + (piece[i] - L'0');
        value = negative ? -value : value;
        return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : value;
    }

    const SoftEntry* FindSoft(int softid) const {
        for (const SoftEntry& soft : m_report.lists.softs)
            if (soft.softid == softid) return &soft;
        return nullptr;
    }

    void CheckTables(Handle root) {
        Handle tables = ArrayMember(root, L"table");
        std::map<int, size_t> firstTable;
        for (size_t i = 0; i < m_report.lists.tables.size(); ++i) {
            const std::string where = TableWhere(i);
            Handle object = tables[static_cast<int>(i)];
            if (!CheckMembers(object, where, Rules(kTableMembers))) continue;
            const TableEntry& table = m_report.lists.tables[i];
            const auto seen = firstTable.emplace(table.id, i);
            if (!seen.second)
                Warning(where, "table id " + std::to_string(table.id) + " is used again (first by table[" +
                                   std::to_string(seen.first->second) + "]); lookups by table id find only the first");
            if (table.title.empty()) Warning(where, "\"title\" is empty; the category has no caption");
            CheckPicture(where, "iconnor", table.iconnor, "iconnor_md5", table.iconnor_md5);
            CheckPicture(where, "iconsel", table.iconsel, "iconsel_md5", table.iconsel_md5);
            if (table.items.empty()) Warning(where, "has no cards; the category shows an empty section");

            Handle items = ArrayMember(object, L"softlist");
            std::map<int, size_t> firstItem;
            for (size_t j = 0; j < table.items.size(); ++j) {
                const std::string at = ItemWhere(i, j);
                if (!CheckMembers(items[static_cast<int>(j)], at, Rules(kItemMembers))) continue;
                const ItemEntry& item = table.items[j];
                const auto again = firstItem.emplace(item.itemid, j);
                if (!again.second)
                    Warning(at, "itemid " + std::to_string(item.itemid) +
                                    " is used again in this table (first by "
                                    "softlist[" +
                                    std::to_string(again.first->second) + "]); lookups find only the first");
                CheckItem(at, item);
            }
        }
    }

    void CheckItem(const std::string& where, const ItemEntry& item) {
        if (item.name.empty()) Warning(where, "\"name\" is empty; the card has no title and search never finds it");
        CheckPicture(where, "icon", item.icon, "icon_md5", item.icon_md5);
        CheckOs(where, item.os);
        if (item.softid == 0) {
            if (item.runfilename.empty())
                Error(where, "softid 0 starts \"runfilename\" directly, but \"runfilename\" is empty");
            return;
        }
        const SoftEntry* soft = FindSoft(item.softid);
        if (soft == nullptr) {
            Error(where, "softid " + std::to_string(item.softid) +
                             " has no entry in \"softlist\"; the card counts "
                             "its tool as present and starts nothing");
            return;
        }
        if (soft->checkFiles.empty())
            Error(where, "the tool of softid " + std::to_string(item.softid) +
                             " lists no \"checkFile\"; the card "
                             "counts it as present and starts nothing");
        if (item.runfilename.empty()) Warning(where, "\"runfilename\" is empty; starting the tool opens its folder");
        if (soft->type == 1 && item.downloadfilename.empty())
            Warning(where,
                    "\"downloadfilename\" is empty; a downloaded installer (type 1) is then run from the "
                    "download folder instead of the temporary folder");
    }

    void CheckBanners(Handle root) {
        Handle banners = ArrayMember(root, L"bannerList");
        for (size_t i = 0; i < m_report.lists.banners.size(); ++i) {
            const std::string where = BannerWhere(i);
            if (!CheckMembers(banners[static_cast<int>(i)], where, Rules(kBannerMembers))) continue;
            const BannerEntry& banner = m_report.lists.banners[i];
            if (banner.title.empty()) Warning(where, "\"title\" is empty; click reports carry no name");
            CheckPicture(where, "imgbg", banner.imgbg, "img_md5", banner.img_md5);
            const SoftEntry* soft = FindSoft(banner.softid);
            if (soft == nullptr) {
                Error(where, "softid " + std::to_string(banner.softid) +
                                 " has no entry in \"softlist\"; clicking "
                                 "the banner does nothing");
            } else if (soft->checkFiles.empty()) {
                Warning(where, "the tool of softid " + std::to_string(banner.softid) +
                                   " lists no \"checkFile\"; "
                                   "every click on the banner downloads it again");
            }
        }
    }

    // What only the written text shows: repeated or unknown member names, text after the catalogue.
    void CheckLayout(std::string_view text) {
        const JsonScan scan = ScanJson(text);
        for (const ScannedObject& object : scan.objects) {
            const auto schema = SchemaObjects().find(SchemaPath(object.path));
            std::set<std::string> seen;
            for (const ScannedMember& member : object.members) {
                std::string where = "line " + std::to_string(member.line);
                if (!object.path.empty()) where += ", " + object.path;
                if (!seen.insert(member.name).second)
                    Warning(where, "member \"" + member.name + "\" appears again; the program uses the last one");
                if (schema == SchemaObjects().end()) continue;
                bool known = false;
                for (size_t k = 0; k < schema->second.second && !known; ++k)
                    known = member.name == schema->second.first[k].name;
                if (!known) Warning(where, "member \"" + member.name + "\" is not read by the program (misspelt?)");
            }
        }
        if (scan.complete && scan.textAfterValue)
            Warning("line " + std::to_string(LineAt(text, scan.valueEnd)),
                    "text after the end of the catalogue object is ignored");
    }

    static constexpr long long kOsFirstCode = 1;
    static constexpr long long kOsLastCode = 13;

    CheckReport& m_report;
};

}  // namespace

int CheckReport::Count(Severity severity) const {
    int n = 0;
    for (const Finding& finding : findings)
        if (finding.severity == severity) ++n;
    return n;
}

bool IsPackedCatalog(std::string_view bytes) {
    if (bytes.size() < kCatalogHeaderSize) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::uint32_t magic = static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                                static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
    return magic == kCatalogMagic;
}

CheckReport CheckCatalogJson(std::string_view utf8) {
    CheckReport report;
    Checker(report).Run(utf8, true);
    return report;
}

CheckReport CheckCatalogBody(std::string_view utf8) {
    CheckReport report;
    Checker(report).Run(utf8, false);
    return report;
}

CheckReport CheckCatalogInput(std::string_view bytes) {
    const size_t start = bytes.find_first_not_of(" \t\r\n");
    const bool looksLikeJson =
        start != std::string_view::npos && (bytes[start] == '{' || bytes.substr(start, kBom.size()) == kBom);
    if (!IsPackedCatalog(bytes) && looksLikeJson) return CheckCatalogJson(bytes);

    std::string text;
    const CatalogError error =
        UnpackCatalogFile(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), text);
    if (error != CatalogError::kNone && error != CatalogError::kEmptyText) {
        CheckReport report;
        report.findings.push_back({Severity::kError, std::string("file: ") + DescribeCatalogError(error)});
        return report;
    }
    // Unscramble again without cutting at the first NUL, so the check can say where the text ends.
    std::string body(bytes.substr(kCatalogHeaderSize));
    ScrambleCatalogBody(reinterpret_cast<unsigned char*>(&body[0]), body.size());
    return CheckCatalogBody(body);
}


#include "catalog/SoftCatalog.h"

#include <atomic>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <thread>

#include "common/BkJsonEx.h"
#include "common/Utf8.h"

using BkJsonEx::Handle;

namespace {

// Member access on a BkJsonEx handle turns a value of another kind into an object or array, which would destroy
// the value and leave handles to it dangling. So members are only looked up in values known to be objects, and
// arrays are only indexed below their size. A missing member is then inserted as null, which harms nothing in a
// document that lives only for this load, and costs one lookup per member instead of two.

Handle Member(Handle object, const wchar_t* name) {
    if (object.GetType() != BkJsonEx::kTypeObject) return Handle();
    return object[name];
}

// Numbers outside 32 bits read as 0 like any other unusable value, rather than wrapping into another valid id.
int ReadInt(const Handle& object, const wchar_t* name) {
    const long long value = Member(object, name).GetInt64();
    return value < INT_MIN || value > INT_MAX ? 0 : static_cast<int>(value);
}

std::wstring ReadText(const Handle& object, const wchar_t* name) {
    const wchar_t* text = Member(object, name).GetString();
    return text == nullptr ? std::wstring() : std::wstring(text);
}

// An absent member, or one that is not an array, counts as an empty array.
int ArraySize(const Handle& array) { return array.GetType() == BkJsonEx::kTypeArray ? array.Size() : 0; }

SoftEntry ReadSoft(const Handle& object) {
    SoftEntry soft;
    soft.softid = ReadInt(object, L"softid");
    soft.type = ReadInt(object, L"type");
    soft.config = ReadText(object, L"config");
    soft.regRoot = ReadText(object, L"regRoot");
    soft.regPath = ReadText(object, L"regPath");
    soft.regkey = ReadText(object, L"regkey");
    Handle checkFiles = Member(object, L"checkFile");
    const int count = ArraySize(checkFiles);
    soft.checkFiles.reserve(count);
    for (int i = 0; i < count; ++i) soft.checkFiles.push_back(ReadText(checkFiles[i], L"name"));
    return soft;
}

void ReadItem(const Handle& object, ItemEntry& item) {
    item.itemid = ReadInt(object, L"itemid");
    item.softid = ReadInt(object, L"softid");
    item.name = ReadText(object, L"name");
    item.details = ReadText(object, L"details");
    item.icon = ReadText(object, L"icon");
    item.icon_md5 = ReadText(object, L"icon_md5");
    item.downloadfilename = ReadText(object, L"downloadfilename");
    item.installcmd = ReadText(object, L"installcmd");
    item.runfilename = ReadText(object, L"runfilename");
    item.runcmd = ReadText(object, L"runcmd");
}

BannerEntry ReadBanner(const Handle& object) {
    BannerEntry banner;
    banner.softid = ReadInt(object, L"softid");
    banner.downloadfilename = ReadText(object, L"downloadfilename");
    banner.installcmd = ReadText(object, L"installcmd");
    banner.runfilename = ReadText(object, L"runfilename");
    banner.runcmd = ReadText(object, L"runcmd");
    banner.imgbg = ReadText(object, L"imgbg");
    banner.img_md5 = ReadText(object, L"img_md5");
    banner.title = ReadText(object, L"title");
    return banner;
}

TableEntry ReadTable(const Handle& object, int osCode, bool filterByOs) {
    TableEntry table;
    table.id = ReadInt(object, L"id");
    table.title = ReadText(object, L"title");
    table.iconnor = ReadText(object, L"iconnor");
    table.iconsel = ReadText(object, L"iconsel");
    table.details = ReadText(object, L"details");
    table.iconsel_md5 = ReadText(object, L"iconsel_md5");
    table.iconnor_md5 = ReadText(object, L"iconnor_md5");
    Handle items = Member(object, L"softlist");
    const int count = ArraySize(items);
    table.items.reserve(count);
    for (int i = 0; i < count; ++i) {
        // The filter first: a hidden card costs one member read.
        Handle card = items[i];
        std::wstring os = ReadText(card, L"os");
        if (filterByOs && !PassesOsFilter(os, osCode)) continue;
        table.items.emplace_back();
        ReadItem(card, table.items.back());
        table.items.back().os = std::move(os);
    }
    return table;
}

bool IsFilterSpace(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

// _wtoi on a trimmed piece: optional sign, then decimal digits up to the first other character. Values beyond
// int saturate, as the C runtime's conversion does.
int PieceToInt(const wchar_t* begin, const wchar_t* end) {
    bool negative = false;
    if (begin != end && (*begin == L'+' || *begin == L'-')) negative = *begin++ == L'-';
    long long value = 0;
    for (; begin != end && *begin >= L'0' && *begin <= L'9'; ++begin) {
        value = value * 10 + (*begin - L'0');
        if (value > static_cast<long long>(INT_MAX) + 1) break;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

// Lower case for the search: Latin letters of ASCII and Latin-1, the same on every platform and locale.
wchar_t FoldCase(wchar_t c) {
    if (c >= L'A' && c <= L'Z') return static_cast<wchar_t>(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<wchar_t>(c + 32);
    return c;
}

std::wstring Folded(const wchar_t* text) {
    std::wstring folded = text == nullptr ? std::wstring() : std::wstring(text);
    for (wchar_t& c : folded) c = FoldCase(c);
    return folded;
}

std::atomic<std::uintptr_t> g_instance{0};
constexpr std::uintptr_t kInstanceBeingMade = 1;

void DestroyInstance() { delete reinterpret_cast<SoftCatalog*>(g_instance.exchange(0)); }

}  // namespace

bool PassesOsFilter(const std::wstring& os, int osCode) {
    if (os.empty()) return true;
    const wchar_t* p = os.data();
    const wchar_t* const end = p + os.size();
    while (p != end && IsFilterSpace(*p)) ++p;
    if (p == end) return false;  // white space alone yields no piece
    for (const wchar_t* pieceStart = os.data();;) {
        const wchar_t* pieceEnd = pieceStart;
        while (pieceEnd != end && *pieceEnd != L',') ++pieceEnd;
        const wchar_t* b = pieceStart;
        const wchar_t* e = pieceEnd;
        while (b != e && IsFilterSpace(*b)) ++b;
        while (e != b && IsFilterSpace(e[-1])) --e;
        if (PieceToInt(b, e) == osCode) return true;
        if (pieceEnd == end) return false;
        pieceStart = pieceEnd + 1;
    }
}

bool ReadCatalogLists(Handle root, int osCode, CatalogLists& lists, bool filterByOs) {
    lists = CatalogLists();
    if (root.GetType() != BkJsonEx::kTypeObject) return false;

    Handle softs = Member(root, L"softlist");
    int count = ArraySize(softs);
    lists.softs.reserve(count);
    for (int i = 0; i < count; ++i) lists.softs.push_back(ReadSoft(softs[i]));

    Handle banners = Member(root, L"bannerList");
    count = ArraySize(banners);
    lists.banners.reserve(count);
    for (int i = 0; i < count; ++i) lists.banners.push_back(ReadBanner(banners[i]));

    Handle tables = Member(root, L"table");
    count = ArraySize(tables);
    lists.tables.reserve(count);
    for (int i = 0; i < count; ++i) lists.tables.push_back(ReadTable(tables[i], osCode, filterByOs));
    return true;
}

CatalogError DecodeCatalog(const unsigned char* file, std::size_t size, int osCode, CatalogLists& lists) {
    lists = CatalogLists();
    std::string utf8;
    CatalogError error = UnpackCatalogFile(file, size, utf8);
    if (error != CatalogError::kNone) return error;
    std::wstring text;
    Utf8ToWide(utf8, text);
    if (text.empty()) return CatalogError::kEmptyText;

    BkJsonEx::Document document;
    if (!document.Parse(text.c_str())) return CatalogError::kBadJson;
    if (!ReadCatalogLists(document, osCode, lists)) return CatalogError::kRootNotObject;
    return CatalogError::kNone;
}

SoftCatalog& SoftCatalog::Instance() {
    std::uintptr_t current = g_instance.load(std::memory_order_acquire);
    if (current > kInstanceBeingMade) return *reinterpret_cast<SoftCatalog*>(current);

    std::uintptr_t expected = 0;
    if (g_instance.compare_exchange_strong(expected, kInstanceBeingMade, std::memory_order_acq_rel)) {
        auto* made = new SoftCatalog();
        std::atexit(DestroyInstance);
        g_instance.store(reinterpret_cast<std::uintptr_t>(made), std::memory_order_release);
        return *made;
    }
    // Another thread is making it: wait for the real pointer.
    while ((current = g_instance.load(std::memory_order_acquire)) == kInstanceBeingMade) std::this_thread::yield();
    return *reinterpret_cast<SoftCatalog*>(current);
}

bool SoftCatalog::LoadFromImage(const unsigned char* file, std::size_t size) {
    try {
        m_lastError = DecodeCatalog(file, size, m_osCode, m_lists);
    } catch (const std::bad_alloc&) {
        m_lists = CatalogLists();
        m_lastError = CatalogError::kOutOfMemory;
    }
    return m_lastError == CatalogError::kNone;
}

const SoftEntry* SoftCatalog::FindSoft(int softid) const {
    for (const SoftEntry& soft : m_lists.softs)
        if (soft.softid == softid) return &soft;
    return nullptr;
}

const BannerEntry* SoftCatalog::FindBanner(int softid) const {
    for (const BannerEntry& banner : m_lists.banners)
        if (banner.softid == softid) return &banner;
    return nullptr;
}

const TableEntry* SoftCatalog::FindTable(int tableId) const {
    for (const TableEntry& table : m_lists.tables)
        if (table.id == tableId) return &table;
    return nullptr;
}

const ItemEntry* SoftCatalog::FindItem(int tableId, int itemId) const {
    const TableEntry* table = FindTable(tableId);
    if (table == nullptr) return nullptr;
    for (const ItemEntry& item : table->items)
        if (item.itemid == itemId) return &item;
    return nullptr;
}

void SoftCatalog::MatchItems(const wchar_t* query, const TableEntry& table, std::vector<SearchResult>& results) {
    const std::wstring needle = Folded(query);
    for (const ItemEntry& item : table.items) {
        if (Folded(item.name.c_str()).find(needle) == std::wstring::npos) continue;
        results.push_back(SearchResult{table.id, item.itemid, item.icon, item.icon_md5, item.name});
    }
}

// libFuzzer target for the catalogue: file image -> text -> document -> model, the lookups and the search over
// it, and the publisher's tool (check, indent) on the same text.
//
// Input: the first byte picks the OS code of the filter; the rest is the catalogue text, packed here as the tool
// packs it so the fuzzer need not find the magic. The whole input is also tried as a raw file image.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "CatalogCheck.h"
#include "JsonLayout.h"
#include "catalog/CatalogFile.h"
#include "catalog/SoftCatalog.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

const unsigned char* Bytes(const std::string& s) { return reinterpret_cast<const unsigned char*>(s.data()); }

size_t CountCards(const CatalogLists& lists) {
    size_t n = 0;
    for (const TableEntry& table : lists.tables) n += table.items.size();
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const int osCode = data[0] % 16;
    const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);

    // Packing and unpacking give the text back, up to its first NUL.
    const std::string image = PackCatalogFile(input);
    std::string unpacked;
    const CatalogError unpackError = UnpackCatalogFile(Bytes(image), image.size(), unpacked);
    const std::string_view text = input.substr(0, input.find('\0'));
    Check(unpackError == CatalogError::kNone ? unpacked == text : unpacked.empty());

    SoftCatalog catalog;
    catalog.SetOsCode(osCode);
    const bool loaded = catalog.LoadFromImage(Bytes(image), image.size());
    Check(loaded == (catalog.GetLastError() == CatalogError::kNone));
    if (!loaded)
        Check(catalog.GetSoftList().empty() && catalog.GetTableList().empty() && catalog.GetBannerList().empty());

    std::vector<SearchResult> results;
    for (const TableEntry& table : catalog.GetTableList()) {
        Check(catalog.FindTable(table.id) != nullptr);
        for (const ItemEntry& item : table.items) {
            Check(PassesOsFilter(item.os, osCode));
            Check(catalog.FindItem(table.id, item.itemid) != nullptr || catalog.FindTable(table.id) != &table);
            catalog.FindSoft(item.softid);
        }
        const size_t before = results.size();
        SoftCatalog::MatchItems(table.items.empty() ? L"清理" : table.items[0].name.c_str(), table, results);
        Check(table.items.empty() || results.size() > before);
    }
    for (const BannerEntry& banner : catalog.GetBannerList()) Check(catalog.FindBanner(banner.softid) != nullptr);

    // The raw input as a file image.
    CatalogLists raw;
    DecodeCatalog(data, size, osCode, raw);

    // The tool agrees with the program on whether the text loads, and its indenting keeps the catalogue.
    const std::string_view bom = "\xEF\xBB\xBF";
    const bool hasBom = text.substr(0, 3) == bom;
    if (text.size() == input.size()) {
        const CheckReport report = CheckCatalogJson(text);
        const std::string packedByTool = PackCatalogFile(hasBom ? text.substr(3) : text);
        CatalogLists lists;
        Check(report.loadable ==
              (DecodeCatalog(Bytes(packedByTool), packedByTool.size(), osCode, lists) == CatalogError::kNone));
    }
    if (loaded) {
        const std::string indented = PackCatalogFile(IndentJson(text));
        CatalogLists again;
        Check(DecodeCatalog(Bytes(indented), indented.size(), osCode, again) == CatalogError::kNone);
        Check(again.softs.size() == catalog.GetSoftList().size());
        Check(again.tables.size() == catalog.GetTableList().size());
        Check(again.banners.size() == catalog.GetBannerList().size());
        size_t cards = 0;
        for (const TableEntry& table : catalog.GetTableList()) cards += table.items.size();
        Check(CountCards(again) == cards);
    }
    return 0;
}

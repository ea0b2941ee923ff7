// The catalogue model: tools (soft entries), categories (tables) with their cards (items), and banners, read once
// from the catalogue file and only read afterwards.
//
// Threading: the loader thread fills the process-wide instance once; the window thread and download workers read
// it only after the loader has reported completion, without a lock. Lookups answer pointers into the lists, valid
// until the next Load of the same object.
#pragma once

#include <string>
#include <vector>

#include "catalog/CatalogFile.h"

namespace BkJsonEx {
class Handle;
}

struct SoftEntry {
    int softid = 0;
    int type = 0;         // download type 1 to 4
    std::wstring config;  // package URL, or the file list for type 2
    std::wstring regRoot;
    std::wstring regPath;
    std::wstring regkey;
    std::vector<std::wstring> checkFiles;  // relative to the tool's directory, in file order
};

struct ItemEntry {
    int itemid = 0;
    int softid = 0;  // 0: runfilename is a complete command with no soft entry behind it
    std::wstring os;
    std::wstring name;
    std::wstring details;
    std::wstring icon;
    std::wstring icon_md5;
    std::wstring downloadfilename;
    std::wstring installcmd;
    std::wstring runfilename;
    std::wstring runcmd;
};

// Of the item part only softid, downloadfilename, installcmd, runfilename and runcmd are filled.
struct BannerEntry : ItemEntry {
    std::wstring imgbg;
    std::wstring img_md5;
    std::wstring title;
};

struct TableEntry {
    int id = 0;
    std::wstring title;
    std::wstring iconnor;
    std::wstring iconsel;
    std::wstring details;
    std::wstring iconsel_md5;
    std::wstring iconnor_md5;
    std::vector<ItemEntry> items;  // in file order, only those shown on this system
};

// One hit of the search box.
struct SearchResult {
    int tableId = 0;
    int itemId = 0;
    std::wstring icon;
    std::wstring icon_md5;
    std::wstring name;
};

// The three lists of a catalogue, as read from one document.
struct CatalogLists {
    std::vector<SoftEntry> softs;
    std::vector<BannerEntry> banners;
    std::vector<TableEntry> tables;
};

// Whether an item with this "os" text is shown on the system with osCode. Empty shows everywhere; otherwise the
// comma-separated pieces are trimmed and read as integers (anything else, and an empty piece, reads as 0), and one
// of them must equal osCode. A text of white space alone shows nowhere.
bool PassesOsFilter(const std::wstring& os, int osCode);

// Reads the three lists from a parsed document whose root is an object (false otherwise, lists left empty).
// Missing or wrongly typed members read as 0 or empty. No value of the document is replaced, so handles into it
// stay valid, but missing members are added to it as null. Without filterByOs every item is kept whatever its "os"
// text (the catalogue tool checks them all).
bool ReadCatalogLists(BkJsonEx::Handle root, int osCode, CatalogLists& lists, bool filterByOs = true);

// File image to lists: unscramble, UTF-8 to wide text, parse, read. On failure the lists are empty.
CatalogError DecodeCatalog(const unsigned char* file, std::size_t size, int osCode, CatalogLists& lists);

class SoftCatalog {
public:
    SoftCatalog() = default;
    SoftCatalog(const SoftCatalog&) = delete;
    SoftCatalog& operator=(const SoftCatalog&) = delete;

    // The process-wide model, made on first use by whichever thread comes first and destroyed at exit.
    static SoftCatalog& Instance();

    // Windows only. GetExeDir() + "data\velmora_config.dat".
    static void GetCatalogPath(std::wstring& path);

    void SetPath(const std::wstring& path) { m_path = path; }
    const std::wstring& GetPath() const { return m_path; }
    void SetOsCode(int osCode) { m_osCode = osCode; }
    int GetOsCode() const { return m_osCode; }

    // Windows only. Reads the file at GetPath() into the lists, replacing what they held; on failure they are
    // empty. Not to be called while other threads read the lists.
    bool Load();
    // The same from a file image already in memory.
    bool LoadFromImage(const unsigned char* file, std::size_t size);
    // Why the last load failed; kNone after a success.
    CatalogError GetLastError() const { return m_lastError; }

    const std::vector<SoftEntry>& GetSoftList() const { return m_lists.softs; }
    const std::vector<BannerEntry>& GetBannerList() const { return m_lists.banners; }
    const std::vector<TableEntry>& GetTableList() const { return m_lists.tables; }

    // The first entry with the key, or null.
    const SoftEntry* FindSoft(int softid) const;
    const BannerEntry* FindBanner(int softid) const;
    const TableEntry* FindTable(int tableId) const;
    // In the first table with tableId, the first item with itemId.
    const ItemEntry* FindItem(int tableId, int itemId) const;

    // Appends a result for each item of table whose name contains query, ignoring the case of Latin letters.
    static void MatchItems(const wchar_t* query, const TableEntry& table, std::vector<SearchResult>& results);

private:
    std::wstring m_path;
    int m_osCode = 0;
    CatalogLists m_lists;
    CatalogError m_lastError = CatalogError::kNone;
};

// Windows only. What the loader thread does: the process-wide instance gets the installed catalogue's path and
// the running system's OS code, then loads.
bool LoadInstalledCatalog();

// The process-wide registries of the UI documents: strings (60002), styles (60001) and skins (60000). Each
// registry is filled from every document stored for its id, in lookup order; the first definition of a name or id
// wins. Windows only. Created on first use, kept until process exit; UI thread only.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "uikit/doc/BkStyle.h"

class CBkSkinBase;

constexpr int kBkSkinsDocId = 60000;
constexpr int kBkStylesDocId = 60001;
constexpr int kBkStringsDocId = 60002;

class BkStringTable {
public:
    static BkStringTable& Instance();
    // Clears the table and applies every document for 60002; true when at least one was found.
    bool Load();
    // Adds the entries of one document (root `string`, children `s` with `id`); false when it does not parse or
    // its root is another element.
    bool ApplyDocument(const std::string& utf8);
    const std::wstring* Find(int id) const;
    void Clear() { m_strings.clear(); }
    size_t Size() const { return m_strings.size(); }

private:
    std::map<int, std::wstring> m_strings;
};

class BkStyleRegistry {
public:
    BkStyleRegistry();
    static BkStyleRegistry& Instance();
    // Clears the registry, re-adds the empty-named default style and applies every document for 60001.
    bool Load();
    // Root `style`, children `class` with `name`.
    bool ApplyDocument(const std::string& utf8);
    // The style of that name, else the default style (re-created when it went missing). Never null.
    const BkStyle& Find(const std::string& name);
    bool Contains(const std::string& name) const { return m_styles.count(name) != 0; }
    void Clear();

private:
    std::map<std::string, BkStyle> m_styles;
};

class BkSkinRegistry {
public:
    BkSkinRegistry();
    ~BkSkinRegistry();
    static BkSkinRegistry& Instance();
    // Clears the registry and applies every document for 60000.
    bool Load();
    // Root `skins`; each child's tag picks the skin type and its `name` is the key.
    bool ApplyDocument(const std::string& utf8);
    // The skin after making sure its image is loaded; null when the name is unknown. Owned by the registry.
    CBkSkinBase* Find(const std::string& name);
    void Clear();
    size_t Size() const { return m_skins.size(); }

private:
    std::map<std::string, std::unique_ptr<CBkSkinBase>> m_skins;
};

#include <cstring>

#include "common/SingletonGuard.h"
#include "uikit/doc/BkResRegistry.h"
#include "uikit/doc/BkResource.h"
#include "uikit/doc/BkSkin.h"
#include "uikit/doc/BkXml.h"

namespace {

const TiXmlElement* RootNamed(TiXmlDocument& doc, const std::string& utf8, const char* name) {
    if (!BkParseXml(utf8, doc)) return nullptr;
    const TiXmlElement* root = doc.RootElement();
    return root && root->ValueStr() == name ? root : nullptr;
}

template <class Registry>
bool LoadAll(Registry& registry, int id) {
    registry.Clear();
    const std::vector<std::string> documents = BkCollectResourceData(id, L"xml");
    for (const std::string& doc : documents) registry.ApplyDocument(doc);
    return !documents.empty();
}

}  // namespace

BkStringTable& BkStringTable::Instance() { return ProcessSingleton<BkStringTable>::Get(); }

bool BkStringTable::Load() { return LoadAll(*this, kBkStringsDocId); }

bool BkStringTable::ApplyDocument(const std::string& utf8) {
    TiXmlDocument doc;
    const TiXmlElement* root = RootNamed(doc, utf8, "string");
    if (!root) return false;
    for (const TiXmlElement* s = root->FirstChildElement("s"); s; s = s->NextSiblingElement("s")) {
        const char* id = s->Attribute("id");
        if (!id) continue;
        const int key = BkReadInt(id);
        if (m_strings.count(key)) continue;
        const TiXmlNode* first = s->FirstChild();
        const TiXmlText* text = first ? first->ToText() : nullptr;
        m_strings.emplace(key, BkWide(text ? text->Value() : ""));
    }
    return true;
}

const std::wstring* BkStringTable::Find(int id) const {
    auto it = m_strings.find(id);
    return it == m_strings.end() ? nullptr : &it->second;
}

BkStyleRegistry::BkStyleRegistry() { Clear(); }

BkStyleRegistry& BkStyleRegistry::Instance() { return ProcessSingleton<BkStyleRegistry>::Get(); }

void BkStyleRegistry::Clear() {
    m_styles.clear();
    m_styles.emplace(std::string(), BkStyle());
}

bool BkStyleRegistry::Load() { return LoadAll(*this, kBkStylesDocId); }

bool BkStyleRegistry::ApplyDocument(const std::string& utf8) {
    TiXmlDocument doc;
    const TiXmlElement* root = RootNamed(doc, utf8, "style");
    if (!root) return false;
    for (const TiXmlElement* cls = root->FirstChildElement("class"); cls; cls = cls->NextSiblingElement("class")) {
        const char* name = cls->Attribute("name");
        if (!name || m_styles.count(name)) continue;
        BkStyle style;
        for (const TiXmlAttribute* a = cls->FirstAttribute(); a; a = a->Next())
            style.ApplyAttribute(a->Name(), a->Value());
        m_styles.emplace(name, std::move(style));
    }
    return true;
}

const BkStyle& BkStyleRegistry::Find(const std::string& name) {
    auto it = m_styles.find(name);
    if (it != m_styles.end()) return it->second;
    return m_styles.emplace(std::string(), BkStyle()).first->second;
}

BkSkinRegistry::BkSkinRegistry() = default;
BkSkinRegistry::~BkSkinRegistry() = default;

BkSkinRegistry& BkSkinRegistry::Instance() { return ProcessSingleton<BkSkinRegistry>::Get(); }

void BkSkinRegistry::Clear() { m_skins.clear(); }

bool BkSkinRegistry::Load() { return LoadAll(*this, kBkSkinsDocId); }

bool BkSkinRegistry::ApplyDocument(const std::string& utf8) {
    TiXmlDocument doc;
    const TiXmlElement* root = RootNamed(doc, utf8, "skins");
    if (!root) return false;
    for (const TiXmlElement* e = root->FirstChildElement(); e; e = e->NextSiblingElement()) {
        const char* name = e->Attribute("name");
        if (!name || m_skins.count(name)) continue;
        std::unique_ptr<CBkSkinBase> skin = BkCreateSkin(e->Value());
        if (!skin) continue;
        skin->LoadFromElement(e);
        m_skins.emplace(name, std::move(skin));
    }
    return true;
}

CBkSkinBase* BkSkinRegistry::Find(const std::string& name) {
    auto it = m_skins.find(name);
    if (it == m_skins.end()) return nullptr;
    it->second->LoadImageOnce();
    return it->second.get();
}

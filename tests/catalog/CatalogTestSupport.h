// Fixture access for the catalogue tests.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

#include "catalog/CatalogFile.h"
#include "catalog/SoftCatalog.h"

namespace cattest {

inline std::string FixturePath(const std::string& name) {
    return std::string(VELMORA_TEST_DATA_DIR) + "/catalog/" + name;
}

inline std::string ReadFixture(const std::string& name) {
    std::ifstream in(FixturePath(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline const unsigned char* Bytes(const std::string& s) { return reinterpret_cast<const unsigned char*>(s.data()); }

// Lists from a JSON text packed as the publisher's tool would pack it.
inline CatalogError DecodeJson(const std::string& json, int osCode, CatalogLists& lists) {
    const std::string image = PackCatalogFile(json);
    return DecodeCatalog(Bytes(image), image.size(), osCode, lists);
}

}  // namespace cattest

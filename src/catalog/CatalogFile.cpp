#include "catalog/CatalogFile.h"

#include <cstring>

namespace {

std::uint32_t ReadLittleEndian32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

const char* DescribeCatalogError(CatalogError error) {
    switch (error) {
        case CatalogError::kNone:
            return "no error";
        case CatalogError::kMissing:
            return "the file does not exist";
        case CatalogError::kUnreadable:
            return "the file cannot be read";
        case CatalogError::kEmptyFile:
            return "the file is empty";
        case CatalogError::kTooLarge:
            return "the file is larger than 64 MB";
        case CatalogError::kOutOfMemory:
            return "out of memory while reading the catalogue";
        case CatalogError::kNoMagic:
            return "the file is shorter than its 4-byte header";
        case CatalogError::kBadMagic:
            return "the file does not start with the catalogue header (not packed?)";
        case CatalogError::kEmptyBody:
            return "the file holds the header and nothing else";
        case CatalogError::kEmptyText:
            return "the text is empty (it starts with a NUL byte)";
        case CatalogError::kBadJson:
            return "the text is not valid JSON";
        case CatalogError::kRootNotObject:
            return "the JSON text is not an object";
    }
    return "unknown error";
}

void ScrambleCatalogBody(unsigned char* body, std::size_t size) {
    // Byte-wise so the result does not depend on the host's byte order or on alignment.
    static constexpr unsigned char kWordKeyBytes[4] = {
        static_cast<unsigned char>(kCatalogWordKey), static_cast<unsigned char>(kCatalogWordKey >> 8),
        static_cast<unsigned char>(kCatalogWordKey >> 16), static_cast<unsigned char>(kCatalogWordKey >> 24)};
    const std::size_t whole = size & ~static_cast<std::size_t>(3);
    for (std::size_t i = 0; i < whole; i += 4) {
        body[i] ^= kWordKeyBytes[0];
        body[i + 1] ^= kWordKeyBytes[1];
        body[i + 2] ^= kWordKeyBytes[2];
        body[i + 3] ^= kWordKeyBytes[3];
    }
    for (std::size_t i = whole; i < size; ++i) body[i] ^= kCatalogTailKey;
}

CatalogError UnpackCatalogFile(const unsigned char* file, std::size_t size, std::string& utf8) {
    utf8.clear();
    if (size == 0) return CatalogError::kEmptyFile;
    if (size > kCatalogMaxFileSize) return CatalogError::kTooLarge;
    if (size < kCatalogHeaderSize) return CatalogError::kNoMagic;
    if (ReadLittleEndian32(file) != kCatalogMagic) return CatalogError::kBadMagic;
    const std::size_t bodySize = size - kCatalogHeaderSize;
    if (bodySize == 0) return CatalogError::kEmptyBody;

    utf8.assign(reinterpret_cast<const char*>(file + kCatalogHeaderSize), bodySize);
    ScrambleCatalogBody(reinterpret_cast<unsigned char*>(&utf8[0]), bodySize);
    const std::size_t nul = utf8.find('\0');
    if (nul != std::string::npos) utf8.resize(nul);
    if (utf8.empty()) return CatalogError::kEmptyText;
    return CatalogError::kNone;
}

std::string PackCatalogFile(std::string_view utf8) {
    std::string file(kCatalogHeaderSize + utf8.size(), '\0');
    unsigned char* p = reinterpret_cast<unsigned char*>(&file[0]);
    p[0] = static_cast<unsigned char>(kCatalogMagic);
    p[1] = static_cast<unsigned char>(kCatalogMagic >> 8);
    p[2] = static_cast<unsigned char>(kCatalogMagic >> 16);
    p[3] = static_cast<unsigned char>(kCatalogMagic >> 24);
    if (!utf8.empty()) std::memcpy(p + kCatalogHeaderSize, utf8.data(), utf8.size());
    ScrambleCatalogBody(p + kCatalogHeaderSize, utf8.size());
    return file;
}

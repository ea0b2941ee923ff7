// The catalogue file as stored: a 4-byte magic, then the UTF-8 JSON text scrambled with two XOR keys. Portable.
//
// The scrambling is its own inverse: packing and unpacking run the same routine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

constexpr std::uint32_t kCatalogMagic = 0x711F341Eu;    // little-endian at offset 0
constexpr std::uint32_t kCatalogWordKey = 0x6B7A4C5Fu;  // XORed into each whole little-endian word of the body
constexpr std::uint8_t kCatalogTailKey = 0xC3;          // XORed into the 0 to 3 bytes after the last whole word
constexpr std::size_t kCatalogHeaderSize = 4;

// Files larger than this are refused rather than read into memory; real catalogues are well under 1 MB.
constexpr std::size_t kCatalogMaxFileSize = 64u * 1024 * 1024;

// Why a catalogue did not load. The loader and the catalogue tool share these.
enum class CatalogError {
    kNone = 0,
    kMissing,       // no file at the path
    kUnreadable,    // the file could not be opened or read to its end
    kEmptyFile,     // size 0
    kTooLarge,      // above kCatalogMaxFileSize
    kOutOfMemory,   // the text or its model did not fit in memory
    kNoMagic,       // shorter than the magic
    kBadMagic,      // first 4 bytes are not kCatalogMagic
    kEmptyBody,     // nothing after the magic
    kEmptyText,     // the body's text is empty (it starts with a NUL byte)
    kBadJson,       // the text does not parse
    kRootNotObject  // it parses, but not as an object
};

// One short English phrase per error, for the tool and for test messages.
const char* DescribeCatalogError(CatalogError error);

// XORs the body in place; applying it twice gives the original bytes.
void ScrambleCatalogBody(unsigned char* body, std::size_t size);

// Checks the header of a whole file image and unscrambles its body into utf8. The text ends at the first NUL byte
// of the body, as a C string would. On failure utf8 is empty.
CatalogError UnpackCatalogFile(const unsigned char* file, std::size_t size, std::string& utf8);

// The file image for a UTF-8 text: magic, then the scrambled text.
std::string PackCatalogFile(std::string_view utf8);

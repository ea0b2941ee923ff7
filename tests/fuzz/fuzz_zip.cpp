// libFuzzer target for archive reading: the end record and central directory, the local headers, entry names
// (cleaning and checking), times and attributes, and the entries' data (stored or inflated, size and CRC checks).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "download/KZipReader.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// A name handed out must never lead out of the extraction folder.
void CheckName(const std::wstring& name) {
    Check(IsSafeZipName(name));
    Check(!IsSeparator(name[0]));
    Check(name.find(L':') == std::wstring::npos);
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = start;
        while (end < name.size() && !IsSeparator(name[end])) ++end;
        Check(name.compare(start, end - start, L"..") != 0);
        start = end + 1;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The name rules also on their own, over the raw bytes read as wide text.
    std::wstring raw(data, data + (size < 300 ? size : 300));
    const std::wstring stripped = StripZipNamePrefixes(raw);
    if (IsSafeZipName(stripped)) CheckName(stripped);

    KZipReader reader;
    if (reader.Open(MakeMemoryZipSource(data, size)) != ZipResult::kOk) return 0;
    KZipEntry archive;
    Check(reader.GetEntry(-1, archive) == 0);
    Check(archive.index == reader.GetEntryCount());
    static unsigned char buffer[KZipReader::kBufferSize];
    for (int i = 0; i < archive.index; ++i) {
        KZipEntry entry;
        if (reader.GetEntry(i, entry) != 0) continue;
        Check(entry.index == i);
        CheckName(entry.name);
        if (reader.OpenEntry(i) != ZipResult::kOk) continue;
        std::uint64_t total = 0;
        for (;;) {
            std::size_t got = 0;
            if (reader.ReadEntry(buffer, sizeof(buffer), got) != ZipResult::kOk) break;
            if (got == 0) {
                Check(total == entry.uncompressedSize);  // a clean end means exactly the promised bytes
                break;
            }
            total += got;
            Check(total <= entry.uncompressedSize);
        }
        reader.CloseEntry();
    }
    return 0;
}

#include "download/ExtractArchive.h"
#include "download/KZipReader.h"

bool ExtractArchive(const std::wstring& folder, const std::wstring& archivePath) {
    if (archivePath.empty()) return false;
    std::unique_ptr<KZipReader> reader = OpenArchive(archivePath);
    if (!reader) return false;
    KZipEntry archive;
    if (reader->GetEntry(-1, archive) != 0) return false;

    std::wstring base = folder;
    if (!base.empty() && base.back() != L'\\' && base.back() != L'/') base += L'\\';
    bool complete = true;
    for (int i = 0; i < archive.index; ++i) {
        KZipEntry entry;
        // An entry we cannot describe may be a file of the tool: the tool is then incomplete.
        if (reader->GetEntry(i, entry) != 0) {
            complete = false;
            continue;
        }
        if (entry.attributes & kZipAttrDirectory) {
            reader->ExtractEntry(i, base + entry.name);  // a missing empty folder does not stop the tool
            continue;
        }
        if (reader->ExtractEntry(i, base + entry.name) != 0) complete = false;
    }
    CloseArchive(reader);
    return complete;
}

// Unpacking a downloaded tool archive into the tool's folder. Windows only; window thread.
#pragma once

#include <string>

// Extracts every file entry of the ZIP archive at archivePath into folder (entry names are cleaned first, so
// nothing lands outside it); directory entries only make folders. Empty files are extracted like any other.
// True only when the archive could be read and every file entry was written in full with a matching CRC-32;
// a file whose entry failed is removed, and the remaining entries are still extracted. False for an empty path
// or a file that is not a ZIP archive.
bool ExtractArchive(const std::wstring& folder, const std::wstring& archivePath);

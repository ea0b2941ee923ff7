// Reading ZIP archives: the central directory, the entries' descriptions and their data (stored or deflated,
// CRC-32 checked). The archive is untrusted input: every offset and size is checked against the source, and entry
// names are cleaned so that no name reaches outside the folder it is extracted into.
//
// Portable: the archive is read through IZipSource. The Windows half (KZipReader_win.cpp) opens files, writes
// entries to disk and converts local times.
//
// Threading: a reader is used by one thread at a time. The last error (GetLastZipError) is process-wide.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Random-access bytes of an archive.
class IZipSource {
public:
    virtual ~IZipSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Exactly `bytes` bytes at `offset`, or false.
    virtual bool ReadAt(std::uint64_t offset, void* buffer, std::size_t bytes) = 0;
};

// An archive held in memory (tests, fuzzing). The bytes are copied.
std::unique_ptr<IZipSource> MakeMemoryZipSource(const void* data, std::size_t size);

enum class ZipResult : int {
    kOk = 0,
    kNoArchive,     // no end-of-central-directory record: not a ZIP file
    kBadDirectory,  // the central directory does not fit in the file or a record is cut or misplaced
    kUnsupported,   // a ZIP64 archive or entry, a split archive, a compression method other than stored/deflated
    kBadIndex,      // an entry index out of range
    kBadHeader,     // the local header is missing, cut or lies outside the file
    kBadName,       // a name that cannot be made safe (empty, too long, stream or device name)
    kNeedPassword,  // an encrypted entry
    kReadError,     // the source could not be read
    kCorrupt,       // deflated data that does not inflate, or more or fewer bytes than the directory says
    kBadCrc,        // the data's CRC-32 differs from the directory's
    kNotOpen,       // no entry open for reading
    kCannotCreate,  // the target file or its folder could not be made
    kWriteError,    // writing the target failed
    kOpenFailed,    // the archive file could not be opened
    kOutOfMemory,
};

// The process-wide result of the last failed operation (kOk after none).
ZipResult GetLastZipError();

// Entry attribute bits, the values of the Windows FILE_ATTRIBUTE_* constants.
enum : std::uint32_t {
    kZipAttrReadOnly = 0x01,
    kZipAttrHidden = 0x02,
    kZipAttrSystem = 0x04,
    kZipAttrDirectory = 0x10,
    kZipAttrArchive = 0x20,
};

// Names longer than this (in UTF-16 units, after cleaning) are refused rather than cut: a cut name is another file.
constexpr std::size_t kZipMaxNameChars = 260;

struct KZipEntry {
    int index = -1;  // for GetEntry(-1): the number of entries
    std::wstring name;
    std::uint32_t attributes = 0;
    // FILETIME values (100 ns since 1601-01-01, UTC).
    std::uint64_t creationTime = 0;
    std::uint64_t accessTime = 0;
    std::uint64_t writeTime = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;
};

// The cleaning of a stored name (already decoded to wide text), repeated while anything is removed: a leading
// drive prefix (any character and ":"), a leading "\" or "/", a leading ".." followed by a separator, and
// everything up to and including the first "\..\", "\../", "/../" or "/..\".
std::wstring StripZipNamePrefixes(std::wstring name);

// Whether a cleaned name is fit to be a path below the extraction folder: not empty, at most kZipMaxNameChars,
// no control characters, no ":" (alternate streams, drives), no "." or ".." segment nor one of dots and blanks
// only (Windows would fold it into a parent reference), and no reserved device name (CON, NUL, COM1, ...).
bool IsSafeZipName(const std::wstring& name);

// The FILETIME of an MS-DOS date and time read as a calendar time, without any time-zone shift.
std::uint64_t DosDateTimeToFileTimeValue(std::uint16_t dosDate, std::uint16_t dosTime);
// The FILETIME of a Unix time in seconds.
inline std::uint64_t UnixTimeToFileTimeValue(std::uint32_t seconds) {
    return (static_cast<std::uint64_t>(seconds) + 11644473600ULL) * 10000000ULL;
}

class KZipReader {
public:
    // Turns a local FILETIME into UTC. The Windows half installs the system's conversion; by default none.
    using LocalToUtcFn = std::uint64_t (*)(std::uint64_t localFileTime);

    static constexpr std::size_t kBufferSize = 16384;

    KZipReader();
    ~KZipReader();
    KZipReader(const KZipReader&) = delete;
    KZipReader& operator=(const KZipReader&) = delete;

    // Reads the central directory. On failure the reader holds nothing.
    ZipResult Open(std::unique_ptr<IZipSource> source);

    void SetLocalToUtc(LocalToUtcFn fn) { m_localToUtc = fn; }
    // Where relative target paths are placed; with a trailing separator.
    void SetBaseFolder(const std::wstring& folder) { m_baseFolder = folder; }
    const std::wstring& GetBaseFolder() const { return m_baseFolder; }

    int GetEntryCount() const { return static_cast<int>(m_entries.size()); }

    // index -1: the archive itself (entry.index = the number of entries). Otherwise the entry's description,
    // with its name cleaned and checked. 0 on success, otherwise a ZipResult.
    int GetEntry(int index, KZipEntry& entry);

    // Reading an entry's data. OpenEntry refuses encrypted entries and unknown methods. ReadEntry answers the
    // bytes in `got` (0 at the end); at the end it checks the size and the CRC-32 and answers kBadCrc or
    // kCorrupt when they differ, so a caller that sees kOk with got == 0 has exactly the stored data.
    ZipResult OpenEntry(int index);
    ZipResult ReadEntry(void* buffer, std::size_t capacity, std::size_t& got);
    void CloseEntry();

    // Windows only (KZipReader_win.cpp). Writes the entry to the target path (relative paths are placed under
    // the base folder) with its attributes and times. A directory entry only makes its folders. On any failure
    // the partly written file is removed. 0 on success, otherwise a ZipResult.
    int ExtractEntry(int index, const std::wstring& target);

private:
    struct DirRecord {
        std::uint16_t versionMadeBy = 0;
        std::uint16_t flags = 0;
        std::uint16_t method = 0;
        std::uint16_t dosTime = 0;
        std::uint16_t dosDate = 0;
        std::uint32_t crc = 0;
        std::uint32_t compressedSize = 0;
        std::uint32_t uncompressedSize = 0;
        std::uint32_t externalAttributes = 0;
        std::uint32_t localHeaderOffset = 0;
        std::string rawName;
    };
    struct Inflater;

    ZipResult Fail(ZipResult result);
    // The local header's extra field and the offset of the entry's data.
    ZipResult ReadLocalHeader(const DirRecord& record, std::string& extra, std::uint64_t& dataOffset);

    std::unique_ptr<IZipSource> m_source;
    std::vector<DirRecord> m_entries;
    int m_openIndex = -1;  // the entry open for reading
    int m_lastIndex = -1;  // the entry last described, and its description
    KZipEntry m_lastEntry;
    std::wstring m_password;                    // always empty: encrypted entries are refused
    std::unique_ptr<unsigned char[]> m_buffer;  // kBufferSize bytes, made on first use
    std::wstring m_baseFolder;
    LocalToUtcFn m_localToUtc = nullptr;

    // State of the open entry.
    std::unique_ptr<Inflater> m_inflater;  // deflated entries only
    std::uint64_t m_readPos = 0;           // next compressed byte in the source
    std::uint64_t m_compressedLeft = 0;
    std::uint64_t m_produced = 0;
    std::uint32_t m_crc = 0;
    bool m_entryDone = false;
};

// Windows only. Opens the archive file (shared for reading; it must exist), takes the current directory as base
// folder and reads the central directory. Null on failure, with the reason in GetLastZipError.
std::unique_ptr<KZipReader> OpenArchive(const std::wstring& path);
inline void CloseArchive(std::unique_ptr<KZipReader>& reader) { reader.reset(); }

#include "download/KZipReader.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <new>

#include "common/Utf8.h"

namespace {

std::atomic<int> g_lastError{0};

constexpr std::uint32_t kSigLocal = 0x04034b50;
constexpr std::uint32_t kSigCentral = 0x02014b50;
constexpr std::uint32_t kSigEnd = 0x06054b50;
constexpr std::uint32_t kSigZip64Locator = 0x07064b50;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kCentralSize = 46;
constexpr std::size_t kLocalSize = 30;
constexpr std::uint16_t kTagExtendedTime = 0x5455;  // "UT"
constexpr std::uint16_t kMethodStored = 0;
constexpr std::uint16_t kMethodDeflated = 8;
constexpr std::uint16_t kFlagEncrypted = 0x0001;
constexpr std::uint16_t kFlagStrongEncryption = 0x0040;

std::uint16_t Get16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t Get32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Days from 1970-01-01 to a proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

bool IsReservedDeviceName(const std::wstring& segment) {
    // Windows maps these to devices in any folder and with any extension.
    std::wstring base = segment.substr(0, segment.find(L'.'));
    while (!base.empty() && base.back() == L' ') base.pop_back();
    for (wchar_t& c : base) {
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    static const wchar_t* const kNames[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    for (const wchar_t* name : kNames) {
        if (base == name) return true;
    }
    if (base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0) && base[3] >= L'1' &&
        base[3] <= L'9') {
        return true;
    }
    return false;
}

}  // namespace

ZipResult GetLastZipError() { return static_cast<ZipResult>(g_lastError.load()); }

namespace {

class MemoryZipSource : public IZipSource {
public:
    MemoryZipSource(const void* data, std::size_t size)
        : m_bytes(static_cast<const unsigned char*>(data), static_cast<const unsigned char*>(data) + size) {}
    std::uint64_t Size() const override { return m_bytes.size(); }
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t bytes) override {
        if (offset > m_bytes.size() || bytes > m_bytes.size() - offset) return false;
        if (bytes != 0) std::memcpy(buffer, m_bytes.data() + offset, bytes);
        return true;
    }

private:
    std::vector<unsigned char> m_bytes;
};

}  // namespace

std::unique_ptr<IZipSource> MakeMemoryZipSource(const void* data, std::size_t size) {
    return std::make_unique<MemoryZipSource>(data, size);
}

std::wstring StripZipNamePrefixes(std::wstring name) {
    for (bool removed = true; removed;) {
        removed = false;
        if (name.size() >= 2 && name[1] == L':') {
            name.erase(0, 2);
            removed = true;
        }
        if (!name.empty() && IsSeparator(name[0])) {
            name.erase(0, 1);
            removed = true;
        }
        if (name.size() >= 3 && name[0] == L'.' && name[1] == L'.' && IsSeparator(name[2])) {
            name.erase(0, 3);
            removed = true;
        }
        for (std::size_t i = 0; i + 3 < name.size(); ++i) {
            if (IsSeparator(name[i]) && name[i + 1] == L'.' && name[i + 2] == L'.' && IsSeparator(name[i + 3])) {
                name.erase(0, i + 4);
                removed = true;
                break;
            }
        }
    }
    return name;
}

bool IsSafeZipName(const std::wstring& name) {
    if (name.empty() || name.size() > kZipMaxNameChars) return false;
    bool hasSegment = false;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = start;
        while (end < name.size() && !IsSeparator(name[end])) ++end;
        const std::wstring segment = name.substr(start, end - start);
        if (!segment.empty()) {
            for (wchar_t c : segment) {
                if (static_cast<unsigned>(c) < 0x20 || c == L':') return false;
            }
            // "." is the folder itself; "..", "..." or ". ." would be folded by Windows into a parent reference.
            const bool dotsAndBlanksOnly = segment.find_first_not_of(L". ") == std::wstring::npos;
            if (dotsAndBlanksOnly && segment != L".") return false;
            if (IsReservedDeviceName(segment)) return false;
            if (segment != L".") hasSegment = true;
        }
        start = end + 1;
    }
    return hasSegment;
}

std::uint64_t DosDateTimeToFileTimeValue(std::uint16_t dosDate, std::uint16_t dosTime) {
    const std::int64_t year = 1980 + (dosDate >> 9);
    const unsigned month = std::clamp<unsigned>((dosDate >> 5) & 0x0F, 1, 12);
    const unsigned day = std::max<unsigned>(dosDate & 0x1F, 1);
    const unsigned hour = dosTime >> 11;
    const unsigned minute = (dosTime >> 5) & 0x3F;
    const unsigned second = (dosTime & 0x1F) * 2;
    const std::int64_t unixSeconds = DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
    return static_cast<std::uint64_t>(unixSeconds + 11644473600LL) * 10000000ULL;
}

struct KZipReader::Inflater {
    z_stream stream{};
    bool ready = false;
    bool ended = false;
    unsigned char input[KZipReader::kBufferSize];  // compressed bytes; the caller's buffer takes the output
    Inflater() { ready = inflateInit2(&stream, -MAX_WBITS) == Z_OK; }
    ~Inflater() {
        if (ready) inflateEnd(&stream);
    }
};

KZipReader::KZipReader() = default;
KZipReader::~KZipReader() { CloseEntry(); }

ZipResult KZipReader::Fail(ZipResult result) {
    g_lastError.store(static_cast<int>(result));
    return result;
}

ZipResult KZipReader::Open(std::unique_ptr<IZipSource> source) {
    CloseEntry();
    m_source.reset();
    m_entries.clear();
    m_lastIndex = -1;
    if (!source) return Fail(ZipResult::kOpenFailed);
    try {
        const std::uint64_t size = source->Size();
        if (size < kEndSize) return Fail(ZipResult::kNoArchive);

        // The end record sits in the last 22 bytes plus at most a 65,535-byte comment.
        const std::size_t tailSize = static_cast<std::size_t>(std::min<std::uint64_t>(size, kEndSize + 0xFFFF));
        const std::uint64_t tailStart = size - tailSize;
        std::vector<unsigned char> tail(tailSize);
        if (!source->ReadAt(tailStart, tail.data(), tailSize)) return Fail(ZipResult::kReadError);
        std::size_t endPos = tailSize - kEndSize + 1;
        while (endPos-- > 0) {
            if (Get32(&tail[endPos]) == kSigEnd) break;
        }
        if (endPos == static_cast<std::size_t>(-1)) return Fail(ZipResult::kNoArchive);
        const unsigned char* end = &tail[endPos];
        const std::uint64_t endOffset = tailStart + endPos;

        if (endPos >= 20 && Get32(&tail[endPos - 20]) == kSigZip64Locator) return Fail(ZipResult::kUnsupported);
        const std::uint16_t disk = Get16(end + 4), dirDisk = Get16(end + 6);
        const std::uint16_t entriesHere = Get16(end + 8), entriesTotal = Get16(end + 10);
        const std::uint32_t dirSize = Get32(end + 12), dirOffset = Get32(end + 16);
        if (disk != 0 || dirDisk != 0 || entriesHere != entriesTotal) return Fail(ZipResult::kUnsupported);
        if (static_cast<std::uint64_t>(dirOffset) + dirSize > endOffset) return Fail(ZipResult::kBadDirectory);
        if (static_cast<std::uint64_t>(entriesTotal) * kCentralSize > dirSize) return Fail(ZipResult::kBadDirectory);

        std::vector<unsigned char> dir(dirSize);
        if (dirSize != 0 && !source->ReadAt(dirOffset, dir.data(), dirSize)) return Fail(ZipResult::kReadError);

        std::vector<DirRecord> entries;
        entries.reserve(entriesTotal);
        std::size_t pos = 0;
        for (unsigned i = 0; i < entriesTotal; ++i) {
            if (dir.size() - pos < kCentralSize) return Fail(ZipResult::kBadDirectory);
            const unsigned char* r = &dir[pos];
            if (Get32(r) != kSigCentral) return Fail(ZipResult::kBadDirectory);
            const std::size_t nameLen = Get16(r + 28), extraLen = Get16(r + 30), commentLen = Get16(r + 32);
            const std::size_t recordLen = kCentralSize + nameLen + extraLen + commentLen;
            if (dir.size() - pos < recordLen) return Fail(ZipResult::kBadDirectory);
            DirRecord record;
            record.versionMadeBy = Get16(r + 4);
            record.flags = Get16(r + 8);
            record.method = Get16(r + 10);
            record.dosTime = Get16(r + 12);
            record.dosDate = Get16(r + 14);
            record.crc = Get32(r + 16);
            record.compressedSize = Get32(r + 20);
            record.uncompressedSize = Get32(r + 24);
            record.externalAttributes = Get32(r + 38);
            record.localHeaderOffset = Get32(r + 42);
            record.rawName.assign(reinterpret_cast<const char*>(r + kCentralSize), nameLen);
            entries.push_back(std::move(record));
            pos += recordLen;
        }
        m_entries = std::move(entries);
        m_source = std::move(source);
    } catch (const std::bad_alloc&) {
        m_entries.clear();
        return Fail(ZipResult::kOutOfMemory);
    }
    return ZipResult::kOk;
}

namespace {

bool IsZip64(std::uint32_t compressedSize, std::uint32_t uncompressedSize, std::uint32_t offset) {
    return compressedSize == 0xFFFFFFFF || uncompressedSize == 0xFFFFFFFF || offset == 0xFFFFFFFF;
}

}  // namespace

ZipResult KZipReader::ReadLocalHeader(const DirRecord& record, std::string& extra, std::uint64_t& dataOffset) {
    const std::uint64_t size = m_source->Size();
    const std::uint64_t offset = record.localHeaderOffset;
    unsigned char header[kLocalSize];
    if (offset > size || size - offset < kLocalSize || !m_source->ReadAt(offset, header, kLocalSize))
        return ZipResult::kBadHeader;
    if (Get32(header) != kSigLocal) return ZipResult::kBadHeader;
    const std::uint64_t nameLen = Get16(header + 26), extraLen = Get16(header + 28);
    dataOffset = offset + kLocalSize + nameLen + extraLen;
    if (dataOffset > size || size - dataOffset < record.compressedSize) return ZipResult::kBadHeader;
    extra.resize(static_cast<std::size_t>(extraLen));
    if (extraLen != 0 && !m_source->ReadAt(offset + kLocalSize + nameLen, &extra[0], extra.size()))
        return ZipResult::kReadError;
    return ZipResult::kOk;
}

int KZipReader::GetEntry(int index, KZipEntry& entry) {
    if (index == -1) {
        entry = KZipEntry();
        entry.index = GetEntryCount();
        return 0;
    }
    if (index < 0 || index >= GetEntryCount()) return static_cast<int>(Fail(ZipResult::kBadIndex));
    const DirRecord& record = m_entries[static_cast<std::size_t>(index)];
    if (IsZip64(record.compressedSize, record.uncompressedSize, record.localHeaderOffset))
        return static_cast<int>(Fail(ZipResult::kUnsupported));

    std::string extra;
    std::uint64_t dataOffset = 0;
    try {
        const ZipResult header = ReadLocalHeader(record, extra, dataOffset);
        if (header != ZipResult::kOk) return static_cast<int>(Fail(header));

        KZipEntry e;
        e.index = index;
        e.name = StripZipNamePrefixes(Utf8ToWide(record.rawName));
        if (!IsSafeZipName(e.name)) return static_cast<int>(Fail(ZipResult::kBadName));

        const unsigned host = record.versionMadeBy >> 8;
        const std::uint32_t mode = record.externalAttributes >> 16;
        const bool dosHost = host == 0 || host == 6 || host == 11 || host == 14;  // MS-DOS, OS/2, NTFS, VFAT
        if (dosHost || mode == 0) {
            e.attributes = record.externalAttributes &
                           (kZipAttrReadOnly | kZipAttrHidden | kZipAttrSystem | kZipAttrDirectory | kZipAttrArchive);
        } else {
            e.attributes = kZipAttrArchive;
            if ((mode & 0170000) == 0040000) e.attributes |= kZipAttrDirectory;
            if ((mode & 0200) == 0) e.attributes |= kZipAttrReadOnly;
        }
        // A trailing separator marks a folder whatever the host wrote.
        if (IsSeparator(e.name.back())) e.attributes |= kZipAttrDirectory;

        const std::uint64_t local = DosDateTimeToFileTimeValue(record.dosDate, record.dosTime);
        const std::uint64_t utc = m_localToUtc ? m_localToUtc(local) : local;
        e.creationTime = e.accessTime = e.writeTime = utc;
        const unsigned char* x = reinterpret_cast<const unsigned char*>(extra.data());
        for (std::size_t pos = 0; pos + 4 <= extra.size();) {
            const std::uint16_t tag = Get16(x + pos);
            const std::size_t len = std::min<std::size_t>(Get16(x + pos + 2), extra.size() - pos - 4);
            const unsigned char* data = x + pos + 4;
            if (tag == kTagExtendedTime && len >= 1) {
                const unsigned flags = data[0];
                std::uint64_t* const slots[] = {&e.writeTime, &e.accessTime, &e.creationTime};
                std::size_t at = 1;
                for (int bit = 0; bit < 3; ++bit) {
                    if ((flags & (1u << bit)) == 0) continue;
                    if (at + 4 > len) break;  // a time the block announces but does not hold
                    *slots[bit] = UnixTimeToFileTimeValue(Get32(data + at));
                    at += 4;
                }
            }
            pos += 4 + len;
        }
        e.compressedSize = record.compressedSize;
        e.uncompressedSize = record.uncompressedSize;

        m_lastIndex = index;
        m_lastEntry = e;
        entry = std::move(e);
    } catch (const std::bad_alloc&) {
        return static_cast<int>(Fail(ZipResult::kOutOfMemory));
    }
    return 0;
}

ZipResult KZipReader::OpenEntry(int index) {
    CloseEntry();
    if (index < 0 || index >= GetEntryCount()) return Fail(ZipResult::kBadIndex);
    const DirRecord& record = m_entries[static_cast<std::size_t>(index)];
    if (IsZip64(record.compressedSize, record.uncompressedSize, record.localHeaderOffset))
        return Fail(ZipResult::kUnsupported);
    // No password is ever known, so an encrypted entry cannot be read.
    if ((record.flags & (kFlagEncrypted | kFlagStrongEncryption)) != 0 && m_password.empty())
        return Fail(ZipResult::kNeedPassword);
    if (record.method != kMethodStored && record.method != kMethodDeflated) return Fail(ZipResult::kUnsupported);
    if (record.method == kMethodStored && record.compressedSize != record.uncompressedSize)
        return Fail(ZipResult::kCorrupt);

    std::string extra;
    std::uint64_t dataOffset = 0;
    try {
        const ZipResult header = ReadLocalHeader(record, extra, dataOffset);
        if (header != ZipResult::kOk) return Fail(header);
        if (!m_buffer) m_buffer.reset(new unsigned char[kBufferSize]);
        if (record.method == kMethodDeflated) {
            m_inflater = std::make_unique<Inflater>();
            if (!m_inflater->ready) {
                m_inflater.reset();
                return Fail(ZipResult::kOutOfMemory);
            }
        }
    } catch (const std::bad_alloc&) {
        return Fail(ZipResult::kOutOfMemory);
    }
    m_openIndex = index;
    m_readPos = dataOffset;
    m_compressedLeft = record.compressedSize;
    m_produced = 0;
    m_crc = static_cast<std::uint32_t>(crc32(0, Z_NULL, 0));
    m_entryDone = false;
    return ZipResult::kOk;
}

ZipResult KZipReader::ReadEntry(void* buffer, std::size_t capacity, std::size_t& got) {
    got = 0;
    if (m_openIndex < 0) return Fail(ZipResult::kNotOpen);
    if (m_entryDone) return ZipResult::kOk;
    const DirRecord& record = m_entries[static_cast<std::size_t>(m_openIndex)];
    capacity = std::min<std::size_t>(capacity, 1u << 30);
    unsigned char* out = static_cast<unsigned char*>(buffer);

    if (!m_inflater) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(capacity, m_compressedLeft));
        if (n != 0) {
            if (!m_source->ReadAt(m_readPos, out, n)) return Fail(ZipResult::kReadError);
            m_readPos += n;
            m_compressedLeft -= n;
            got = n;
        }
    } else {
        z_stream& z = m_inflater->stream;
        while (got == 0 && !m_inflater->ended && capacity != 0) {
            if (z.avail_in == 0 && m_compressedLeft != 0) {
                const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(kBufferSize, m_compressedLeft));
                if (!m_source->ReadAt(m_readPos, m_inflater->input, n)) return Fail(ZipResult::kReadError);
                m_readPos += n;
                m_compressedLeft -= n;
                z.next_in = m_inflater->input;
                z.avail_in = static_cast<uInt>(n);
            }
            z.next_out = out;
            z.avail_out = static_cast<uInt>(capacity);
            const int rc = inflate(&z, Z_NO_FLUSH);
            got = capacity - z.avail_out;
            if (rc == Z_STREAM_END) {
                m_inflater->ended = true;
            } else if (rc == Z_BUF_ERROR && z.avail_in == 0 && m_compressedLeft == 0) {
                return Fail(ZipResult::kCorrupt);  // the data stops before the end of its stream
            } else if (rc != Z_OK && rc != Z_BUF_ERROR) {
                return Fail(ZipResult::kCorrupt);
            }
        }
    }

    if (got != 0) {
        // More bytes than the directory announces: stop at once rather than fill the disk.
        if (got > record.uncompressedSize - m_produced) return Fail(ZipResult::kCorrupt);
        m_produced += got;
        m_crc = static_cast<std::uint32_t>(crc32(m_crc, out, static_cast<uInt>(got)));
        return ZipResult::kOk;
    }
    if (m_inflater && !m_inflater->ended) return Fail(ZipResult::kCorrupt);
    if (m_produced != record.uncompressedSize) return Fail(ZipResult::kCorrupt);
    if (m_crc != record.crc) return Fail(ZipResult::kBadCrc);
    m_entryDone = true;
    return ZipResult::kOk;
}

void KZipReader::CloseEntry() {
    m_inflater.reset();
    m_openIndex = -1;
    m_entryDone = false;
}

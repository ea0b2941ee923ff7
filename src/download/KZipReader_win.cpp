// The Windows half of the ZIP reader: the archive file, local times, and writing entries to disk.
#include <windows.h>

#include <vector>

#include "common/ScopedWin.h"
#include "download/KZipReader.h"

namespace {

class FileZipSource : public IZipSource {
public:
    explicit FileZipSource(ScopedHandle file, std::uint64_t size) : m_file(std::move(file)), m_size(size) {}
    std::uint64_t Size() const override { return m_size; }
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t bytes) override {
        if (offset > m_size || bytes > m_size - offset) return false;
        if (offset != m_position) {
            LARGE_INTEGER to;
            to.QuadPart = static_cast<LONGLONG>(offset);
            if (!SetFilePointerEx(m_file.Get(), to, nullptr, FILE_BEGIN)) return false;
            m_position = offset;
        }
        unsigned char* out = static_cast<unsigned char*>(buffer);
        while (bytes != 0) {
            DWORD got = 0;
            const DWORD want = bytes > 0x40000000 ? 0x40000000 : static_cast<DWORD>(bytes);
            if (!ReadFile(m_file.Get(), out, want, &got, nullptr) || got == 0) {
                m_position = ~0ULL;  // unknown after a failed read
                return false;
            }
            out += got;
            bytes -= got;
            m_position += got;
        }
        return true;
    }

private:
    ScopedHandle m_file;
    std::uint64_t m_size;
    std::uint64_t m_position = 0;
};

std::uint64_t SystemLocalToUtc(std::uint64_t local) {
    FILETIME in, out;
    in.dwLowDateTime = static_cast<DWORD>(local);
    in.dwHighDateTime = static_cast<DWORD>(local >> 32);
    if (!LocalFileTimeToFileTime(&in, &out)) return local;
    return (static_cast<std::uint64_t>(out.dwHighDateTime) << 32) | out.dwLowDateTime;
}

FILETIME ToFileTime(std::uint64_t value) {
    FILETIME t;
    t.dwLowDateTime = static_cast<DWORD>(value);
    t.dwHighDateTime = static_cast<DWORD>(value >> 32);
    return t;
}

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsAbsolute(const std::wstring& path) {
    return (!path.empty() && IsSeparator(path[0])) || (path.size() >= 2 && path[1] == L':');
}

bool IsDirectory(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Makes every folder of the path, one level after the other; true when the whole path is a folder at the end.
bool MakeFolders(const std::wstring& path) {
    std::wstring folder = path;
    while (!folder.empty() && IsSeparator(folder.back())) folder.pop_back();
    if (folder.empty() || (folder.size() == 2 && folder[1] == L':')) return true;
    for (std::size_t i = 0; i < folder.size(); ++i) {
        if (IsSeparator(folder[i]) && i > 0 && folder[i - 1] != L':' && !IsSeparator(folder[i - 1])) {
            CreateDirectoryW(folder.substr(0, i).c_str(), nullptr);
        }
    }
    CreateDirectoryW(folder.c_str(), nullptr);
    return IsDirectory(folder);
}

}  // namespace

std::unique_ptr<KZipReader> OpenArchive(const std::wstring& path) {
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    if (!file || !GetFileSizeEx(file.Get(), &size)) {
        // A reader given no source records kOpenFailed as the last error.
        KZipReader().Open(nullptr);
        return nullptr;
    }
    auto reader = std::make_unique<KZipReader>();
    reader->SetLocalToUtc(SystemLocalToUtc);
    std::vector<wchar_t> current(MAX_PATH + 1);
    DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(current.size()), current.data());
    if (length >= current.size()) {
        current.resize(length + 1);
        length = GetCurrentDirectoryW(static_cast<DWORD>(current.size()), current.data());
    }
    std::wstring base(current.data(), length < current.size() ? length : 0);
    if (!base.empty() && !IsSeparator(base.back())) base += L'\\';
    reader->SetBaseFolder(base);
    if (reader->Open(std::make_unique<FileZipSource>(std::move(file), static_cast<std::uint64_t>(size.QuadPart))) !=
        ZipResult::kOk) {
        return nullptr;
    }
    return reader;
}

int KZipReader::ExtractEntry(int index, const std::wstring& target) {
    KZipEntry entry;
    if (index == m_lastIndex) {
        entry = m_lastEntry;
    } else {
        const int rc = GetEntry(index, entry);
        if (rc != 0) return rc;
    }
    const std::wstring full = IsAbsolute(target) ? target : m_baseFolder + target;

    if (entry.attributes & kZipAttrDirectory) {
        return MakeFolders(full) ? 0 : static_cast<int>(Fail(ZipResult::kCannotCreate));
    }

    const std::size_t cut = full.find_last_of(L"\\/");
    if (cut != std::wstring::npos && !MakeFolders(full.substr(0, cut + 1)))
        return static_cast<int>(Fail(ZipResult::kCannotCreate));

    const ZipResult opened = OpenEntry(index);
    if (opened != ZipResult::kOk) {
        // An entry that cannot be read leaves no file behind: an empty file of its name would pass for the tool.
        return static_cast<int>(opened);
    }

    // Replacing a read-only, hidden or system file fails unless its attributes go first.
    const DWORD existing = GetFileAttributesW(full.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_DIRECTORY) == 0)
        SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);

    DWORD attributes = entry.attributes & (kZipAttrReadOnly | kZipAttrHidden | kZipAttrSystem | kZipAttrArchive);
    if (attributes == 0) attributes = FILE_ATTRIBUTE_NORMAL;
    ScopedHandle file(CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr));
    if (!file) {
        CloseEntry();
        return static_cast<int>(Fail(ZipResult::kCannotCreate));
    }

    ZipResult result = ZipResult::kOk;
    for (;;) {
        std::size_t got = 0;
        result = ReadEntry(m_buffer.get(), kBufferSize, got);
        if (result != ZipResult::kOk || got == 0) break;
        DWORD written = 0;
        if (!WriteFile(file.Get(), m_buffer.get(), static_cast<DWORD>(got), &written, nullptr) || written != got) {
            result = Fail(ZipResult::kWriteError);
            break;
        }
    }
    CloseEntry();
    if (result == ZipResult::kOk) {
        const FILETIME created = ToFileTime(entry.creationTime), accessed = ToFileTime(entry.accessTime),
                       modified = ToFileTime(entry.writeTime);
        SetFileTime(file.Get(), &created, &accessed, &modified);
        return 0;
    }
    // A half-written file must not pass for the entry.
    file.Reset();
    SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(full.c_str());
    return static_cast<int>(result);
}

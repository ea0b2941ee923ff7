// Before <windows.h>, which the header brings: libcurl wants winsock2 first.
#include <winsock2.h>

#include "download/KHttpRequest.h"

#include <curl/curl.h>
#include <zlib.h>

#include <cmath>
#include <memory>
#include <vector>

#include "shell/Paths.h"

namespace {

INIT_ONCE g_curlOnce = INIT_ONCE_STATIC_INIT;

BOOL CALLBACK InitCurl(INIT_ONCE*, void*, void**) {
    // Global set-up is not thread-safe: do it once before any worker makes an easy handle.
    curl_global_init(CURL_GLOBAL_ALL);
    return TRUE;
}

void EnsureCurl() { InitOnceExecuteOnce(&g_curlOnce, &InitCurl, nullptr, nullptr); }

size_t SinkWrite(char* data, size_t size, size_t count, void* user) {
    const size_t bytes = size * count;
    return static_cast<IKDownloadFile*>(user)->Write(data, bytes) < 0 ? 0 : bytes;
}

size_t ChunkWrite(char* data, size_t size, size_t count, void* user) {
    const size_t bytes = size * count;
    static_cast<std::vector<std::string>*>(user)->emplace_back(data, bytes);
    return bytes;
}

int SinkProgress(void* user, curl_off_t dlTotal, curl_off_t dlNow, curl_off_t, curl_off_t) {
    const double total = static_cast<double>(dlTotal);
    const double fraction = total > 0.000001 ? static_cast<double>(dlNow) / total : 0.0;
    return static_cast<IKDownloadFile*>(user)->OnProgress(fraction) != 0 ? 1 : 0;
}

size_t SourceRead(char* buffer, size_t size, size_t count, void* user) {
    if (user == nullptr) return 0;
    const int got = static_cast<IKDownloadFile*>(user)->Write(buffer, size * count);
    return got < 0 ? CURL_READFUNC_ABORT : static_cast<size_t>(got);
}

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};

}  // namespace

// ---- sinks ----

int CDownLoadToFile::Open() {
    m_writeFailed = false;
    m_file.Reset(CreateFileW(m_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    m_opened = static_cast<bool>(m_file);
    return m_opened ? 0 : 1;
}

int CDownLoadToFile::Seek(long long offset) {
    if (!m_file) return 1;
    LARGE_INTEGER to;
    to.QuadPart = offset;
    return SetFilePointerEx(m_file.Get(), to, nullptr, FILE_BEGIN) ? 0 : 1;
}

int CDownLoadToFile::Write(const void* data, size_t size) {
    // Data with nowhere to go must end the transfer, or it would count as downloaded.
    if (!m_file) return -1;
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD part = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(m_file.Get(), bytes, part, &written, nullptr) || written == 0) {
            m_writeFailed = true;
            return -1;
        }
        bytes += written;
        size -= written;
    }
    return 0;
}

int CDownLoadToFile::Close() {
    if (!m_file) return 1;
    m_file.Reset();
    return 0;
}

int CDownLoadToFile::OnProgress(double fraction) { return m_progress != nullptr ? m_progress->OnProgress(fraction) : 0; }

int CDownLoadToMemFile::Write(const void* data, size_t size) {
    if (data != nullptr && size != 0) m_body.append(static_cast<const char*>(data), size);
    return 0;
}

// ---- request ----

KHttpRequest::KHttpRequest() {
    AddHeader("User-Agent: Mozilla/4.0");
    AddHeader("Accept: */*");
}

KHttpRequest::~KHttpRequest() { curl_slist_free_all(headers); }

void KHttpRequest::AddHeader(const char* line) {
    if (curl_slist* grown = curl_slist_append(headers, line)) headers = grown;
}

int KHttpRequest::Perform() {
    EnsureCurl();
    std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
    if (!easy) return 2;
    CURL* const h = easy.get();
    std::vector<std::string> chunks;

    const int result = [&]() -> int {
        CURLcode rc = CURLE_OK;
#define VELMORA_SETOPT(option, value)                                       \
    do {                                                                     \
        if ((rc = curl_easy_setopt(h, option, value)) != CURLE_OK) return rc; \
    } while (0)
        if (!keepTlsDefaults) {
            VELMORA_SETOPT(CURLOPT_SSL_VERIFYPEER, static_cast<long>(verify));
            // libcurl wants 2 for a real host check; 1 is refused by newer versions.
            VELMORA_SETOPT(CURLOPT_SSL_VERIFYHOST, verify != 0 ? 2L : 0L);
            if (verify != 0) {
                if (!caFile.empty()) VELMORA_SETOPT(CURLOPT_CAINFO, caFile.c_str());
                if (nativeCa != 0) VELMORA_SETOPT(CURLOPT_SSL_OPTIONS, static_cast<long>(CURLSSLOPT_NATIVE_CA));
            }
        }
        if (mode == kGetToSink) {
            VELMORA_SETOPT(CURLOPT_WRITEFUNCTION, &SinkWrite);
            VELMORA_SETOPT(CURLOPT_WRITEDATA, static_cast<void*>(sink));
        } else {
            VELMORA_SETOPT(CURLOPT_WRITEFUNCTION, &ChunkWrite);
            VELMORA_SETOPT(CURLOPT_WRITEDATA, static_cast<void*>(&chunks));
        }
        switch (mode) {
        case kGetToMemory: VELMORA_SETOPT(CURLOPT_HTTPGET, 1L); break;
        case kPostBody:
            VELMORA_SETOPT(CURLOPT_POST, 1L);
            VELMORA_SETOPT(CURLOPT_POSTFIELDS, requestBody.c_str());
            VELMORA_SETOPT(CURLOPT_POSTFIELDSIZE, static_cast<long>(requestBody.size()));
            break;
        case kGetToSink:
            VELMORA_SETOPT(CURLOPT_HTTPGET, 1L);
            VELMORA_SETOPT(CURLOPT_NOPROGRESS, 0L);
            VELMORA_SETOPT(CURLOPT_XFERINFOFUNCTION, &SinkProgress);
            VELMORA_SETOPT(CURLOPT_XFERINFODATA, static_cast<void*>(sink));
            VELMORA_SETOPT(CURLOPT_FOLLOWLOCATION, 1L);
            break;
        case kStreamedPost:
            AddHeader("boundary=---------------------------7db29f20205d0\r\n");
            VELMORA_SETOPT(CURLOPT_POST, 1L);
            VELMORA_SETOPT(CURLOPT_POSTFIELDSIZE, static_cast<long>(requestBody.size()));
            VELMORA_SETOPT(CURLOPT_READFUNCTION, &SourceRead);
            VELMORA_SETOPT(CURLOPT_READDATA, static_cast<void*>(uploadSource));
            break;
        default: break;
        }
        VELMORA_SETOPT(CURLOPT_URL, url.c_str());
        VELMORA_SETOPT(CURLOPT_FOLLOWLOCATION, 1L);
        VELMORA_SETOPT(CURLOPT_TIMEOUT, static_cast<long>(totalTimeout));
        VELMORA_SETOPT(CURLOPT_CONNECTTIMEOUT, static_cast<long>(connectTimeout));
        VELMORA_SETOPT(CURLOPT_HTTPHEADER, headers);
#undef VELMORA_SETOPT
        if (sink != nullptr) sink->Open();
        if ((rc = curl_easy_perform(h)) != CURLE_OK) return rc;
        long status = 0;
        if ((rc = curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status)) != CURLE_OK) return rc;
        if (status != 200) return static_cast<int>(status);
        size_t total = 0;
        for (const auto& c : chunks) total += c.size();
        responseBody.reserve(responseBody.size() + total);
        for (const auto& c : chunks) responseBody += c;
        return 0;
    }();

    if (sink != nullptr) sink->Close();
    return result;
}

// ---- helpers ----

namespace {

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                          nullptr, nullptr);
    std::string out(bytes > 0 ? bytes : 0, '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), bytes, nullptr,
                            nullptr);
    return out;
}

void PrepareDownload(KHttpRequest& request, const std::wstring& url, IKDownloadFile* sink) {
    request.connectTimeout = 60;
    request.totalTimeout = 240;
    request.url = ToUtf8(url);
    request.verify = 0;
    request.mode = KHttpRequest::kGetToSink;
    request.AddHeader("Content-Type: application/octet-stream");
    request.sink = sink;
}

}  // namespace

bool DownloadUrl(const std::wstring& url, bool insecure, IKDownloadFile* sink) {
    KHttpRequest request;
    PrepareDownload(request, url, sink);
    request.keepTlsDefaults = insecure ? 0 : 1;
    return request.Perform() == 0;
}

bool DownloadUrlVerified(const std::wstring& url, IKDownloadFile* sink) {
    KHttpRequest request;
    PrepareDownload(request, url, sink);
    request.keepTlsDefaults = 0;
    request.verify = 1;
    request.nativeCa = 1;
    return request.Perform() == 0;
}

bool InflateFile(const std::wstring& target, const std::wstring& source) {
    ScopedHandle in(CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!in) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(in.Get(), &size) || size.QuadPart > 0x7fffffff) return false;
    std::vector<unsigned char> packed(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!packed.empty() && (!ReadFile(in.Get(), packed.data(), static_cast<DWORD>(packed.size()), &got, nullptr) ||
                            got != packed.size()))
        return false;
    in.Reset();

    std::vector<unsigned char> plain;
    uLongf plainSize = 0;
    for (uLongf tried = 1 << 20;; tried *= 2) {
        plain.resize(tried);
        plainSize = tried;
        const int rc = uncompress(plain.data(), &plainSize, packed.data(), static_cast<uLong>(packed.size()));
        if (rc == Z_OK) break;
        if (rc != Z_BUF_ERROR || tried > 50u * 1024 * 1024) return false;
    }

    ScopedHandle out(CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) return false;
    DWORD written = 0;
    const bool ok = plainSize == 0 || (WriteFile(out.Get(), plain.data(), static_cast<DWORD>(plainSize), &written,
                                                 nullptr) &&
                                       written == plainSize);
    out.Reset();
    // A short file would pass for the real one.
    if (!ok) DeleteFileW(target.c_str());
    return ok;
}

bool TempDownloadDir(std::wstring& path) {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH, buffer);
    if (length > 0 && length <= MAX_PATH) {
        path.assign(buffer, length);
        if (path.back() != L'\\') path += L'\\';
    } else {
        path = GetExeDir();
    }
    path += L"drvquillfentemp\\";
    CreateDirTree(path);
    return true;
}

#include "report/KInstallReport.h"

// curl brings winsock2.h, which must come before windows.h.
#include <curl/curl.h>
#include <shlobj.h>
#include <windows.h>

#include <ctime>
#include <mutex>

#include "common/KIniWrapEx.h"
#include "common/ScopedWin.h"
#include "common/TextConv.h"
#include "report/ReportPayload.h"
#include "shell/Paths.h"

namespace KDirectInfoc {

namespace {

// Both time-outs are in seconds: a slow collection server is waited for, not abandoned.
constexpr long kTimeoutSeconds = 5000;

void EnsureCurlGlobal() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_ALL); });
}

size_t CollectBody(char* data, size_t size, size_t count, void* user) {
    auto* body = static_cast<std::vector<uint8_t>*>(user);
    body->insert(body->end(), data, data + size * count);
    return size * count;
}

struct CurlEasy {
    CURL* handle = curl_easy_init();
    ~CurlEasy() {
        if (handle) curl_easy_cleanup(handle);
    }
};

struct CurlHeaders {
    curl_slist* list = nullptr;
    ~CurlHeaders() { curl_slist_free_all(list); }
};

bool IsUsableHost(const std::wstring& host) {
    if (host.empty()) return false;
    for (wchar_t c : host) {
        if (c <= L' ' || c == L'/' || c == L'\\' || c == L'?' || c == L'#' || c == L'@') return false;
    }
    return true;
}

}  // namespace

std::wstring ReportCacheDir() {
    std::wstring dir;
    wchar_t path[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, path)) && path[0]) {
        dir = path;
        if (dir.back() != L'\\') dir += L'\\';
    } else {
        wchar_t windows[MAX_PATH] = {};
        GetWindowsDirectoryW(windows, MAX_PATH);
        dir = windows;
        if (!dir.empty() && dir.back() != L'\\') dir += L'\\';
        dir += L"All Users\\Application Data\\";
    }
    dir += L"Velmora\\kich\\";
    CreateDirTree(dir.substr(0, dir.size() - 1));
    return dir;
}

std::wstring CollectionServerUrl() {
    KIniWrapEx ini;
    const std::wstring exeDir = GetExeDir();
    std::wstring host;
    if (!exeDir.empty() && ini.Load(exeDir + L"data\\report.ini", false)) host = ini.GetString(L"collect", L"host");
    if (!IsUsableHost(host)) host = kDefaultCollectionHost;
    return L"http://" + host + L"/c/v2/";
}

bool PostReportPayload(const std::string& url, const std::vector<uint8_t>& payload, std::vector<uint8_t>& answer) {
    answer.clear();
    EnsureCurlGlobal();
    CurlEasy curl;
    if (!curl.handle) return false;
    CurlHeaders headers;
    headers.list = curl_slist_append(headers.list, "Content-Type: application/octet-stream");
    headers.list = curl_slist_append(headers.list, "User-Agent: Mozilla/4.0");
    curl_easy_setopt(curl.handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl.handle, CURLOPT_POST, 1L);
    curl_easy_setopt(curl.handle, CURLOPT_HTTPHEADER, headers.list);
    curl_easy_setopt(curl.handle, CURLOPT_POSTFIELDS, payload.data());
    curl_easy_setopt(curl.handle, CURLOPT_POSTFIELDSIZE, static_cast<long>(payload.size()));
    curl_easy_setopt(curl.handle, CURLOPT_TIMEOUT, kTimeoutSeconds);
    curl_easy_setopt(curl.handle, CURLOPT_CONNECTTIMEOUT, kTimeoutSeconds);
    curl_easy_setopt(curl.handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl.handle, CURLOPT_WRITEFUNCTION, CollectBody);
    curl_easy_setopt(curl.handle, CURLOPT_WRITEDATA, &answer);
    return curl_easy_perform(curl.handle) == CURLE_OK;
}

KInstallReport::KInstallReport() : m_sender(PostReportPayload) {}

void KInstallReport::Add(std::unique_ptr<KInstallSerialize> record) {
    if (record) m_records.push_back(std::move(record));
}

bool KInstallReport::SendOnce(const std::wstring& url) {
    std::vector<const std::vector<uint8_t>*> records;
    for (const auto& record : m_records) records.push_back(&record->Record());
    std::vector<uint8_t> payload;
    if (!BuildReportPayload(records, payload)) return false;

    char ansiUrl[2048];
    if (UTF16ToANSI(url.c_str(), ansiUrl, sizeof(ansiUrl)) == nullptr) return false;
    std::vector<uint8_t> answer;
    const bool sent = m_sender(ansiUrl, payload, answer);
    m_lastAnswer.assign(answer.begin(), answer.end());
    return sent && IsAcceptedAnswer(answer);
}

KInstallReport::Outcome KInstallReport::Deliver(const std::wstring& url, const std::wstring& cacheDir) {
    std::vector<const std::vector<uint8_t>*> records;
    for (const auto& record : m_records) records.push_back(&record->Record());
    std::vector<uint8_t> payload;
    // A payload too long for its length field can never be accepted: keep the record instead of trying.
    if (BuildReportPayload(records, payload)) {
        for (int attempt = 0; attempt < kUploadAttempts; ++attempt) {
            if (SendOnce(url)) return Outcome::Accepted;
        }
    }
    return SaveToCache(cacheDir) ? Outcome::Cached : Outcome::Lost;
}

bool KInstallReport::SaveToCache(const std::wstring& cacheDir) const {
    bool allSaved = true;
    for (const auto& record : m_records) {
        if (!record->SaveFlag()) continue;
        const std::vector<uint8_t>& bytes = record->Record();
        const uint32_t crc = ReportCrc32(0, bytes.data(), bytes.size());
        const uint32_t now = static_cast<uint32_t>(std::time(nullptr));
        const DWORD tick = GetTickCount();
        // Two equal records within one second may meet the same tick: step the tick part instead of
        // overwriting the first file.
        ScopedHandle file;
        std::wstring path;
        for (DWORD step = 0; step < 1000 && !file; ++step) {
            path = cacheDir + CacheFileName(record->TableNumber(), crc, now, (tick + step) % 1000);
            file.Reset(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file && GetLastError() != ERROR_FILE_EXISTS) break;
        }
        if (!file) {
            allSaved = false;
            continue;
        }
        DWORD written = 0;
        const BOOL ok = WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        file.Reset();
        if (!ok || written != bytes.size()) {
            DeleteFileW(path.c_str());  // a cut record is worse than none
            allSaved = false;
        }
    }
    return allSaved;
}

}  // namespace KDirectInfoc

// One upload: the public record and an event record, sent to the collection server over HTTP, or kept as
// cache files when four attempts fail. Windows only. One report belongs to one thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "report/ReportRecord.h"

namespace KDirectInfoc {

inline constexpr int kUploadAttempts = 4;

// The all-users application-data folder + "Velmora\kich\" (created when missing), with a trailing backslash.
std::wstring ReportCacheDir();

// "http://<host>/c/v2/". The host comes from "data\report.ini" next to the executable, [collect] host=...
// (a name or address, optionally ":port"); without a usable value the publisher's host.
std::wstring CollectionServerUrl();
inline constexpr const wchar_t* kDefaultCollectionHost = L"stat.velmora.com";

// One POST of `payload` to `url` (ANSI text) with libcurl; the response body goes to `answer`.
// False when the transfer itself failed.
bool PostReportPayload(const std::string& url, const std::vector<uint8_t>& payload, std::vector<uint8_t>& answer);

class KInstallReport {
public:
    using Sender =
        std::function<bool(const std::string& url, const std::vector<uint8_t>& payload, std::vector<uint8_t>& answer)>;
    enum class Outcome { Accepted, Cached, Lost };

    KInstallReport();

    void Add(std::unique_ptr<KInstallSerialize> record);

    // One attempt: payload, POST, answer check.
    bool SendOnce(const std::wstring& url);

    // Up to four attempts in a row; then every record with its save flag goes to `cacheDir` (trailing backslash).
    Outcome Deliver(const std::wstring& url, const std::wstring& cacheDir);

    // Writes each saveable record alone into a new ".ich" file; false when one could not be written whole.
    bool SaveToCache(const std::wstring& cacheDir) const;

    // For tests: replaces the libcurl sender.
    void SetSender(Sender sender) { m_sender = std::move(sender); }

    const std::string& LastAnswer() const { return m_lastAnswer; }

private:
    std::vector<std::unique_ptr<KInstallSerialize>> m_records;  // owned
    std::string m_lastAnswer;
    Sender m_sender;
};

}  // namespace KDirectInfoc

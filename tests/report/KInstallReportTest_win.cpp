// Uploads through the real libcurl to tools/collection_server.py, which the ctest entry test_report_collect
// starts around this program (its addresses arrive in the environment). Without it these tests are skipped.
#include <curl/curl.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "../common/WinTestSupport_win.h"
#include "report/KInstallReport.h"
#include "report/KPublicBlock.h"
#include "report/KReportQueue.h"
#include "report/ReportPayload.h"
#include "shell/StartupReport.h"

namespace {

using namespace KDirectInfoc;
using Bytes = std::vector<uint8_t>;

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

size_t Collect(char* data, size_t size, size_t count, void* user) {
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

// A plain request to the server's control interface.
std::string Control(const std::string& path, const char* postBody = nullptr) {
    std::string body;
    CURL* curl = curl_easy_init();
    const std::string url = Env("VELMORA_COLLECT_CONTROL") + path;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    if (postBody) curl_easy_setopt(curl, CURLOPT_POSTFIELDS, postBody);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    return body;
}

int Posts() {
    const std::string stats = Control("/stats");
    const size_t at = stats.find("posts=");
    return at == std::string::npos ? -1 : std::atoi(stats.c_str() + at + 6);
}

std::vector<std::string> Records() {
    const std::string all = Control("/records");
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = all.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(all.substr(start, end - start));
    }
    return lines;
}

std::vector<std::wstring> FilesIn(const std::wstring& dir) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry;
    ScopedFindHandle find(FindFirstFileW((dir + L"*").c_str(), &entry));
    if (!find) return names;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(entry.cFileName);
    } while (FindNextFileW(find.Get(), &entry));
    return names;
}

Bytes ReadAll(const std::wstring& path) {
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    Bytes bytes(GetFileSize(file.Get(), nullptr) == INVALID_FILE_SIZE ? 0 : GetFileSize(file.Get(), nullptr));
    DWORD read = 0;
    if (!bytes.empty()) ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    bytes.resize(read);
    return bytes;
}

class CollectServer : public ::testing::Test {
protected:
    void SetUp() override {
        if (Env("VELMORA_COLLECT_URL").empty()) GTEST_SKIP() << "needs tools/collection_server.py --run";
        ASSERT_EQ(Control("/reset", ""), "ok\n");
        m_cacheDir = m_cache.Path() + L"\\";
    }

    // A report like the queue builds: public record, then the service-start event record.
    KInstallReport MakeReport(Bytes* eventBytes = nullptr) {
        KInstallReport report;
        KPublicFacts facts;
        facts.svrid = "svrid-of-this-test";
        report.Add(std::make_unique<KPublicBlock>(facts));
        auto record = BuildServiceStartRecord();
        EXPECT_TRUE(record->Encode());
        auto event = record->TakeSerializer();
        if (eventBytes) *eventBytes = event->Record();
        report.Add(std::move(event));
        return report;
    }

    wintest::TempFolder m_cache{L"kich"};
    std::wstring m_cacheDir;
};

TEST_F(CollectServer, AcceptedUploadIsDecodedAndNothingIsCached) {
    KInstallReport report = MakeReport();
    EXPECT_EQ(report.Deliver(Wide(Env("VELMORA_COLLECT_URL")), m_cacheDir), KInstallReport::Outcome::Accepted);
    EXPECT_EQ(Posts(), 1);
    EXPECT_TRUE(FilesIn(m_cacheDir).empty());
    const auto records = Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_NE(records[0].find("\"svrid\": \"svrid-of-this-test\""), std::string::npos) << records[0];
    EXPECT_NE(records[1].find("\"table\": 106"), std::string::npos) << records[1];
    EXPECT_NE(records[1].find("\"ver\": 1"), std::string::npos) << records[1];
}

// Every refusal costs exactly four attempts and leaves one cache file holding the event record alone.
TEST_F(CollectServer, RefusedAnswersEndInTheCacheAfterFourAttempts) {
    for (const char* mode : {"badlen", "badcrc", "result0"}) {
        SCOPED_TRACE(mode);
        ASSERT_EQ(Control("/reset", ""), "ok\n");
        ASSERT_EQ(Control("/mode", mode), "ok\n");
        wintest::TempFolder cache(L"kich_refused");
        const std::wstring dir = cache.Path() + L"\\";
        Bytes eventBytes;
        KInstallReport report = MakeReport(&eventBytes);
        EXPECT_EQ(report.Deliver(Wide(Env("VELMORA_COLLECT_URL")), dir), KInstallReport::Outcome::Cached);
        EXPECT_EQ(Posts(), kUploadAttempts);
        const auto files = FilesIn(dir);
        ASSERT_EQ(files.size(), 1u);
        EXPECT_EQ(ReadAll(dir + files[0]), eventBytes);
    }
}

TEST_F(CollectServer, ServerDownMeansFourAttemptsThenOneCacheFile) {
    int attempts = 0;
    Bytes eventBytes;
    KInstallReport report = MakeReport(&eventBytes);
    report.SetSender([&](const std::string& url, const Bytes& payload, Bytes& answer) {
        ++attempts;
        return PostReportPayload(url, payload, answer);  // the real transfer, to a port nobody listens on
    });
    const DWORD before = static_cast<DWORD>(time(nullptr));
    EXPECT_EQ(report.Deliver(Wide(Env("VELMORA_COLLECT_DOWN_URL")), m_cacheDir), KInstallReport::Outcome::Cached);
    const DWORD after = static_cast<DWORD>(time(nullptr));
    EXPECT_EQ(attempts, 4);

    const auto files = FilesIn(m_cacheDir);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(ReadAll(m_cacheDir + files[0]), eventBytes);
    // <table>-<crc>-<seconds>-<tick % 1000>.ich, numbers in lower-case hexadecimal after the table
    std::wsmatch m;
    ASSERT_TRUE(std::regex_match(files[0], m, std::wregex(L"106-([0-9a-f]+)-([0-9a-f]+)-([0-9a-f]+)\\.ich")));
    EXPECT_EQ(std::stoul(m[1].str(), nullptr, 16), ReportCrc32(0, eventBytes.data(), eventBytes.size()));
    const unsigned long seconds = std::stoul(m[2].str(), nullptr, 16);
    EXPECT_GE(seconds, before);
    EXPECT_LE(seconds, after);
    EXPECT_LT(std::stoul(m[3].str(), nullptr, 16), 1000ul);
}

// Equal records within one second used to collide on one name; both stay.
TEST_F(CollectServer, TwoEqualRecordsCachedAtOnceKeepTwoFiles) {
    KInstallReport a = MakeReport(), b = MakeReport();
    EXPECT_TRUE(a.SaveToCache(m_cacheDir));
    EXPECT_TRUE(b.SaveToCache(m_cacheDir));
    EXPECT_EQ(FilesIn(m_cacheDir).size(), 2u);
}

// A payload whose length would not fit its 16-bit field is never sent; its record is cached at once.
TEST_F(CollectServer, OversizedPayloadGoesStraightToTheCache) {
    KInstallReport report;
    report.Add(std::make_unique<KPublicBlock>(KPublicFacts{}));
    auto big = std::make_unique<KSerializeKFMT>();
    ASSERT_TRUE(big->SetSchema(L"t:124 a:string b:string"));
    big->PutString(L"a", std::wstring(40000, L'a'));
    big->PutString(L"b", std::wstring(40000, L'b'));
    big->Finish();
    report.Add(std::move(big));
    EXPECT_EQ(report.Deliver(Wide(Env("VELMORA_COLLECT_URL")), m_cacheDir), KInstallReport::Outcome::Cached);
    EXPECT_EQ(Posts(), 0);
    EXPECT_EQ(FilesIn(m_cacheDir).size(), 1u);
}

TEST_F(CollectServer, QueueDeliversPostedRecordBeforeDropUseReturns) {
    KReportQueue& queue = KReportQueue::Instance();
    queue.SetServerUrl(Wide(Env("VELMORA_COLLECT_URL")));
    for (int round = 0; round < 2; ++round) {  // the second round needs a fresh worker
        SCOPED_TRACE(round);
        ASSERT_EQ(Control("/reset", ""), "ok\n");
        queue.AddUse();
        queue.PostRecord(BuildServiceStartRecord());
        auto bad = std::make_unique<Reporter::ReportInfocData>();  // lacks a value: dropped without an upload
        bad->SetSchema(L"t:106 a:byte");
        queue.PostRecord(std::move(bad));
        queue.DropUse();
        EXPECT_EQ(Posts(), 1);
        const auto records = Records();
        ASSERT_EQ(records.size(), 2u);
        EXPECT_NE(records[1].find("\"table\": 106"), std::string::npos);
    }
}

TEST(ReportCacheDir, IsTheCommonApplicationDataKichFolder) {
    const std::wstring dir = ReportCacheDir();
    ASSERT_GT(dir.size(), 13u);
    EXPECT_EQ(dir.substr(dir.size() - 13), L"Velmora\\kich\\");
    const DWORD attributes = GetFileAttributesW(dir.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

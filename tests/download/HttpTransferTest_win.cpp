// The transfer layer over real libcurl and loopback to the local content server.
#include <gtest/gtest.h>

#include <curl/curl.h>

#include "common/WinTestSupport_win.h"
#include "download/DownloadTestSupport_win.h"
#include "download/KFileIndex.h"
#include "download/KHttpRequest.h"
#include "shell/Paths.h"

namespace {

using dltest::ContentServer;

// A sink that keeps everything it is told.
struct RecordingSink : IKDownloadFile {
    int Open() override {
        ++opens;
        body.clear();
        return 0;
    }
    int Seek(long long) override {
        ++seeks;
        return 0;
    }
    int Write(const void* data, size_t size) override {
        body.append(static_cast<const char*>(data), size);
        return 0;
    }
    int Close() override {
        ++closes;
        return 0;
    }
    int OnProgress(double fraction) override {
        fractions.push_back(fraction);
        return abortAt >= 0 && fraction >= abortAt ? 1 : 0;
    }
    int opens = 0, seeks = 0, closes = 0;
    double abortAt = -1;
    std::string body;
    std::vector<double> fractions;
};

class HttpTransfer : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        server = new ContentServer();
        big = dltest::PatternBytes(3 * 1024 * 1024 + 17);
        server->Put(L"big.bin", big);
        server->Put(L"small.bin", "small body");
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(server->IsUp()); }

    static int Get(const std::wstring& path, IKDownloadFile* sink) {
        KHttpRequest request;
        request.mode = KHttpRequest::kGetToSink;
        request.url = ContentServer::Narrow(server->Url(path));
        request.sink = sink;
        return request.Perform();
    }

    static ContentServer* server;
    static std::string big;
};
ContentServer* HttpTransfer::server = nullptr;
std::string HttpTransfer::big;

TEST_F(HttpTransfer, ServerAnswersAndFaultsGiveTheirCodes) {
    struct Case {
        const wchar_t* path;
        int result;
        bool wholeBody;
        bool lengthKnown;
    } cases[] = {
        {L"/big.bin", 0, true, true},
        {L"/redirect/big.bin", 0, true, true},
        {L"/nolength/big.bin", 0, true, false},
        {L"/404/big.bin", 404, false, true},
        {L"/missing.bin", 404, false, true},
        {L"/drop/100000/big.bin", CURLE_PARTIAL_FILE, false, true},
        {L"/garbage/big.bin", CURLE_UNSUPPORTED_PROTOCOL, false, true},
    };
    for (const Case& c : cases) {
        RecordingSink sink;
        EXPECT_EQ(Get(c.path, &sink), c.result) << c.path;
        // The sink is opened and closed whatever happens; nothing seeks, so nothing resumes.
        EXPECT_EQ(sink.opens, 1) << c.path;
        EXPECT_EQ(sink.closes, 1) << c.path;
        EXPECT_EQ(sink.seeks, 0) << c.path;
        if (c.wholeBody) {
            EXPECT_TRUE(sink.body == big) << c.path;
        }
        if (c.result != 0) continue;
        ASSERT_FALSE(sink.fractions.empty()) << c.path;
        double last = 0;
        for (double f : sink.fractions) {
            EXPECT_GE(f, last) << c.path;
            EXPECT_LE(f, 1.0) << c.path;
            if (!c.lengthKnown) {
                EXPECT_EQ(f, 0.0) << c.path;
            }
            last = f;
        }
        if (c.lengthKnown) {
            EXPECT_EQ(last, 1.0) << c.path;
        }
    }
}

TEST_F(HttpTransfer, ProgressSinkCanAbort) {
    RecordingSink sink;
    sink.abortAt = 0.25;
    EXPECT_EQ(Get(L"/big.bin", &sink), CURLE_ABORTED_BY_CALLBACK);
    EXPECT_LT(sink.body.size(), big.size());
    EXPECT_EQ(sink.closes, 1);
}

TEST_F(HttpTransfer, MemoryModesCollectTheBodyAndFollowRedirects) {
    KHttpRequest get;
    get.mode = KHttpRequest::kGetToMemory;
    get.url = ContentServer::Narrow(server->Url(L"/redirect/small.bin"));
    EXPECT_EQ(get.Perform(), 0);
    EXPECT_EQ(get.responseBody, "small body");

    KHttpRequest post;
    post.mode = KHttpRequest::kPostBody;
    post.requestBody = "a=1&b=2";
    post.url = ContentServer::Narrow(server->Url(L"/small.bin"));
    EXPECT_EQ(post.Perform(), 0);
    EXPECT_EQ(post.responseBody, "small body");

    // No body is stored for an error status.
    KHttpRequest missing;
    missing.mode = KHttpRequest::kGetToMemory;
    missing.url = ContentServer::Narrow(server->Url(L"/404/small.bin"));
    EXPECT_EQ(missing.Perform(), 404);
    EXPECT_EQ(missing.responseBody, "");
}

TEST_F(HttpTransfer, FileSinkWritesWholeFilesAndNeverResumes) {
    wintest::TempFolder dir(L"dlfile");
    const std::wstring path = dir / L"out.bin";
    {
        CDownLoadToFile file(path, nullptr);
        EXPECT_TRUE(DownloadUrl(server->Url(L"/big.bin"), false, &file));
        EXPECT_TRUE(file.IsGood());
    }
    // A second, shorter download replaces the first from byte 0.
    CDownLoadToFile again(path, nullptr);
    EXPECT_TRUE(DownloadUrl(server->Url(L"/small.bin"), false, &again));
    std::string got;
    ASSERT_TRUE(dltest::ReadWholeFile(path, got));
    EXPECT_EQ(got, "small body");
}

TEST_F(HttpTransfer, FileSinkThatCannotOpenFailsTheDownload) {
    // Before, the bytes went nowhere and the download still counted as done.
    wintest::TempFolder dir(L"dlnoopen");
    const std::wstring paths[] = {dir / L"no\\such\\folder\\out.bin", dir / L"bad?name.bin"};
    for (const std::wstring& path : paths) {
        CDownLoadToFile file(path, nullptr);
        EXPECT_FALSE(DownloadUrl(server->Url(L"/big.bin"), false, &file));
        EXPECT_FALSE(file.IsGood());
        EXPECT_FALSE(dltest::FileExists(path));
    }
}

TEST_F(HttpTransfer, VerifiedDownloadOverPlainHttpStillWorks) {
    // Certificate checks only matter for TLS; setting them must not break a plain transfer.
    RecordingSink sink;
    EXPECT_TRUE(DownloadUrlVerified(server->Url(L"/small.bin"), &sink));
    EXPECT_EQ(sink.body, "small body");
}

TEST(HttpsTransfer, VerifiedDownloadRefusesAnUntrustedCertificate) {
    ContentServer tls(L" --tls");
    ASSERT_TRUE(tls.IsUp());
    ASSERT_TRUE(tls.Put(L"setup.exe", "pretend installer"));
    const std::wstring url = tls.Url(L"/setup.exe");

    RecordingSink checked;
    EXPECT_FALSE(DownloadUrlVerified(url, &checked));
    EXPECT_EQ(checked.body, "");

    // The insecure flag really switches the checks off: the same server then delivers.
    RecordingSink unchecked;
    EXPECT_TRUE(DownloadUrl(url, true, &unchecked));
    EXPECT_EQ(unchecked.body, "pretend installer");
}

TEST(InflateFile, InflatesOrLeavesNoTarget) {
    wintest::TempFolder dir(L"inflate");
    const std::string small = dltest::PatternBytes(70000);
    const std::string large(3 * 1024 * 1024 + 5, 'x');  // needs the buffer to grow twice
    struct Case {
        const char* what;
        std::string packed;
        bool ok;
        const std::string* plain;
    } cases[] = {
        {"small", dltest::ZlibCompress(small), true, &small},
        {"grows", dltest::ZlibCompress(large), true, &large},
        {"empty stream", dltest::ZlibCompress(""), true, nullptr},
        {"not zlib", "PK\x03\x04 this is no zlib stream", false, nullptr},
        {"cut short", dltest::ZlibCompress(small).substr(0, 100), false, nullptr},
        {"over 64 MiB", dltest::ZlibCompress(std::string(64 * 1024 * 1024 + 1, '\0')), false, nullptr},
    };
    for (const Case& c : cases) {
        const std::wstring source = dir / L"in.z";
        const std::wstring target = dir / L"out.bin";
        ASSERT_TRUE(dltest::WriteWholeFile(source, c.packed));
        DeleteFileW(target.c_str());
        EXPECT_EQ(InflateFile(target, source), c.ok) << c.what;
        EXPECT_EQ(dltest::FileExists(target), c.ok) << c.what;
        std::string got;
        if (c.plain != nullptr && dltest::ReadWholeFile(target, got)) {
            EXPECT_TRUE(got == *c.plain) << c.what;
        }
    }
    EXPECT_FALSE(InflateFile(dir / L"out.bin", dir / L"missing.z"));
}

TEST(TempDownloadDir, IsMadeUnderTheTemporaryFolder) {
    std::wstring path;
    EXPECT_TRUE(TempDownloadDir(path));
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    EXPECT_EQ(path, std::wstring(temp) + L"drvquillfentemp\\");
    EXPECT_NE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST_F(HttpTransfer, FetchCompressedFileInflatesAndRemovesTheDownload) {
    KIniWrapEx ini;
    ASSERT_TRUE(
        ini.Parse(L"[fetched.dll]\nSFN=f1.z\nRP=rp\nLP=%P\\dltest_fetch\n"
                  L"[gone.dll]\nSFN=gone.z\nRP=rp\nLP=x\n"));
    const std::string plain = dltest::PatternBytes(200000, 7);
    CreateDirectoryW((server->Root() + L"\\cratel").c_str(), nullptr);
    std::wstring dir = server->Root() + L"\\cratel\\bin";
    CreateDirectoryW(dir.c_str(), nullptr);
    for (const wchar_t* part : {L"\\3", L"\\3\\cratel", L"\\3\\cratel\\rp"})
        CreateDirectoryW((dir + part).c_str(), nullptr);
    ASSERT_TRUE(dltest::WriteWholeFile(dir + L"\\3\\cratel\\rp\\f1.z", dltest::ZlibCompress(plain)));

    KFileIndex& index = KFileIndex::Instance();
    std::wstring inflated, final;
    index.Reset();
    EXPECT_FALSE(FetchCompressedFile(L"fetched.dll", nullptr, inflated, final));  // nothing loaded
    index.Load(ini, 3, server->Url(L"/cratel/bin"));

    struct Forward : IDownloadProgress {
        int OnProgress(double f) override {
            last = f;
            return 0;
        }
        double last = -1;
    } forward;
    ASSERT_TRUE(FetchCompressedFile(L"fetched.dll", &forward, inflated, final));
    std::wstring temp;
    TempDownloadDir(temp);
    EXPECT_EQ(inflated, temp + L"fetched.dll");
    EXPECT_EQ(final, GetExeDir() + L"\\dltest_fetch\\fetched.dll");
    EXPECT_EQ(forward.last, 1.0);
    EXPECT_FALSE(dltest::FileExists(temp + L"fetched.dll.z"));
    std::string got;
    ASSERT_TRUE(dltest::ReadWholeFile(inflated, got));
    EXPECT_TRUE(got == plain);
    DeleteFileW(inflated.c_str());

    // A file the server does not have: false, and no ".z" left behind.
    EXPECT_FALSE(FetchCompressedFile(L"gone.dll", nullptr, inflated, final));
    EXPECT_FALSE(dltest::FileExists(temp + L"gone.dll.z"));
    index.Reset();
}

}  // namespace

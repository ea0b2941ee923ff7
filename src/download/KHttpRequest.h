// The transfer layer: one synchronous libcurl request, the sinks that receive its bytes and the small helpers
// built on them. Windows only (libcurl is linked into the Windows programs).
//
// Threading: every call runs on the calling thread with its own easy handle, so several workers may transfer
// at once. A request, a sink and a progress sink belong to one thread.
#pragma once

#include <windows.h>

#include <string>

#include "common/ScopedWin.h"

struct curl_slist;

// Receives the progress of a transfer. fraction: 0 to 1 (0 throughout when the size is not announced).
// Non-zero aborts the transfer.
class IDownloadProgress {
public:
    virtual int OnProgress(double fraction) = 0;

protected:
    ~IDownloadProgress() = default;
};

// Where a transfer's bytes go.
class IKDownloadFile {
public:
    virtual int Open() = 0;                               // 0 ready, non-zero failed
    virtual int Seek(long long offset) = 0;               // 0 done, 1 not open
    virtual int Write(const void* data, size_t size) = 0; // >= 0 accepted, negative aborts the transfer
    virtual int Close() = 0;                              // 0 done, 1 nothing was open
    virtual int OnProgress(double fraction) = 0;          // non-zero aborts the transfer

protected:
    ~IKDownloadFile() = default;
};

// A file created or truncated at Open (shared for reading and writing). A file that cannot be opened fails the
// transfer: Write answers -1 when nothing is open, so the caller never sees success with no file behind it.
class CDownLoadToFile : public IKDownloadFile {
public:
    CDownLoadToFile(const std::wstring& path, IDownloadProgress* progress) : m_progress(progress), m_path(path) {}
    virtual ~CDownLoadToFile() = default;

    int Open() override;
    int Seek(long long offset) override;
    int Write(const void* data, size_t size) override;
    int Close() override;
    int OnProgress(double fraction) override;

    const std::wstring& GetPath() const { return m_path; }
    // Whether Open succeeded and no write failed since.
    bool IsGood() const { return m_opened && !m_writeFailed; }

private:
    IDownloadProgress* m_progress;  // not owned, may be null
    std::wstring m_path;
    ScopedHandle m_file;
    bool m_opened = false;
    bool m_writeFailed = false;
};

// Appends the body to a byte string owned by the caller.
class CDownLoadToMemFile : public IKDownloadFile {
public:
    explicit CDownLoadToMemFile(std::string& body) : m_body(body) {}
    virtual ~CDownLoadToMemFile() = default;

    int Open() override { return 0; }
    int Seek(long long) override { return 0; }
    int Write(const void* data, size_t size) override;
    int Close() override { return 0; }
    int OnProgress(double) override { return 0; }

private:
    std::string& m_body;  // not owned
};

// One request; built on the caller's stack, Perform once.
class KHttpRequest {
public:
    enum Mode : int {
        kGetToMemory = 1,
        kPostBody = 2,
        kGetToSink = 3,   // with progress
        kStreamedPost = 4,
    };

    KHttpRequest();
    ~KHttpRequest();
    KHttpRequest(const KHttpRequest&) = delete;
    KHttpRequest& operator=(const KHttpRequest&) = delete;

    // 0 on success; else libcurl's code, the HTTP status when it is not 200, or 2 when no easy handle could be
    // made.
    int Perform();

    // Appends one line to the header list.
    void AddHeader(const char* line);

    int connectTimeout = 10;  // seconds
    int totalTimeout = 10;    // seconds, the whole transfer
    int keepTlsDefaults = 1;  // when set, no TLS option is touched
    int mode = 0;
    int verify = 0;           // CURLOPT_SSL_VERIFYPEER and VERIFYHOST when the TLS defaults are not kept
    // Use the system's certificate store (CURLSSLOPT_NATIVE_CA) when verifying without a CA file.
    int nativeCa = 0;
    curl_slist* headers = nullptr;  // owned
    std::string url;                // UTF-8 or ANSI, already converted
    std::string requestBody;        // modes 2 and 4
    std::string caFile;             // only with a non-zero verify value
    std::string responseBody;       // modes other than 3
    IKDownloadFile* sink = nullptr;          // not owned; mode 3
    IKDownloadFile* uploadSource = nullptr;  // not owned; mode 4 asks its Write slot for body bytes
};

// Fetches url into the sink (connect time-out 60 s, whole transfer 240 s, redirects followed). insecure switches
// peer and host verification off; otherwise libcurl's defaults apply. True on status 200 with no error.
bool DownloadUrl(const std::wstring& url, bool insecure, IKDownloadFile* sink);

// As DownloadUrl, with peer and host verification on against the system's certificate store. For programs that
// are started after they arrive.
bool DownloadUrlVerified(const std::wstring& url, IKDownloadFile* sink);

// Inflates the zlib stream in source into target (created or overwritten). Fails, leaving no target, when the
// source is missing, is not a zlib stream or inflates to more than 64 MiB.
bool InflateFile(const std::wstring& target, const std::wstring& source);

// The temporary folder + "drvquillfentemp\", made when missing (the program folder when the system names no
// temporary folder). Always true.
bool TempDownloadDir(std::wstring& path);

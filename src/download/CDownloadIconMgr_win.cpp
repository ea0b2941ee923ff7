#include "download/CDownloadIconMgr.h"

#include "common/SingletonGuard.h"
#include "common/TextConv.h"
#include "download/DownloadNotify.h"
#include "shell/Paths.h"

namespace {

// URLs of pictures go out in the ANSI code page.
std::string ToAnsi(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int bytes =
        WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(bytes > 0 ? bytes : 0, '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), bytes, nullptr, nullptr);
    return out;
}

}  // namespace

bool IconCachePath(std::wstring& path, const std::wstring& cacheName) {
    std::wstring folder = GetExeDir();
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    folder += L"data\\drvquillfen\\res\\";
    CreateDirTree(folder);
    path = folder + cacheName + L".png";
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// ---- one picture ----

CDownIconTask::CDownIconTask(const std::wstring& url, const std::wstring& cacheName, int iconId,
                             IDownLoadIconCallback* callback, HWND hwnd)
    : m_callback(callback), m_url(url), m_cacheName(cacheName), m_iconId(iconId), m_hwnd(hwnd) {
    IconCachePath(m_cachePath, cacheName);
}

int CDownIconTask::Open() {
    m_file.Reset(CreateFileW(m_cachePath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return m_file ? 0 : 1;
}

int CDownIconTask::Seek(long long offset) {
    if (!m_file) return 1;
    LARGE_INTEGER to;
    to.QuadPart = offset;
    return SetFilePointerEx(m_file.Get(), to, nullptr, FILE_BEGIN) ? 0 : 1;
}

int CDownIconTask::Write(const void* data, size_t size) {
    // Without a cache file the fetch must fail rather than announce a file that is not there.
    if (!m_file) return -1;
    DWORD written = 0;
    if (!WriteFile(m_file.Get(), data, static_cast<DWORD>(size), &written, nullptr) || written != size) return -1;
    return 0;
}

int CDownIconTask::Close() {
    if (!m_file) return 1;
    m_file.Reset();
    return 0;
}

bool CDownIconTask::Fetch() {
    KHttpRequest request;
    request.mode = KHttpRequest::kGetToSink;
    request.keepTlsDefaults = 0;
    request.verify = 0;
    request.url = ToAnsi(m_url);
    request.AddHeader("Content-Type: application/octet-stream");
    request.sink = this;
    if (request.Perform() != 0) return false;
    if (m_callback != nullptr && m_hwnd != nullptr) {
        DownloadNotify msg;
        msg.msgtype = kMsgIcon;
        msg.callback = CallbackAddress(m_callback);
        msg.softid = m_iconId;
        msg.srcfile = m_cachePath;
        wchar_t* text = MakeNotifyText(BuildNotifyJson(msg));
        if (!PostMessageW(m_hwnd, UM_DOWNLOAD_NOTIFY, reinterpret_cast<WPARAM>(text), 0)) FreeNotifyText(text);
    }
    return true;
}

// ---- manager ----

CDownloadIconMgr& CDownloadIconMgr::Instance() { return ProcessSingleton<CDownloadIconMgr>::Get(); }

CDownloadIconMgr::CDownloadIconMgr()
    : m_stopEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_workEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

CDownloadIconMgr::~CDownloadIconMgr() {
    // Ask first: a worker killed inside a transfer could leave the heap locked for the rest of the exit. A fetch
    // in flight gets a moment to finish before the hard stop.
    SetEvent(m_stopEvent.Get());
    m_thread.WaitFor(2000);
    m_thread.Stop();
    for (CDownIconTask* task : m_queue) delete task;
}

bool CDownloadIconMgr::AddIconTask(const std::wstring& url, const std::wstring& cacheName, int iconId,
                                   IDownLoadIconCallback* callback, HWND hwnd) {
    if (url.empty()) return false;
    auto* task = new CDownIconTask(url, cacheName, iconId, callback, hwnd);
    if (!m_thread.IsRunning()) m_thread.Start(this);
    CritSecLock lock(m_lock);
    m_queue.push_back(task);
    SetEvent(m_workEvent.Get());
    return true;
}

int CDownloadIconMgr::Execute(void*) {
    HANDLE events[2] = {m_stopEvent.Get(), m_workEvent.Get()};
    for (;;) {
        const DWORD woke = WaitForMultipleObjects(2, events, FALSE, INFINITE);
        if (woke != WAIT_OBJECT_0 + 1) break;  // stop, or the events are gone
        std::vector<CDownIconTask*> batch;
        {
            CritSecLock lock(m_lock);
            batch.swap(m_queue);
        }
        for (CDownIconTask* task : batch) {
            // Once asked to stop, drop the rest unfetched.
            if (WaitForSingleObject(m_stopEvent.Get(), 0) != WAIT_OBJECT_0) task->Fetch();
            delete task;
        }
    }
    return 0;
}

int CDownloadIconMgr::GetQueuedCount() {
    CritSecLock lock(m_lock);
    return static_cast<int>(m_queue.size());
}

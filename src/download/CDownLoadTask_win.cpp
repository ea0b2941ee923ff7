#include "download/CDownLoadTask.h"

#include <shellapi.h>

#include "catalog/SoftCatalog.h"
#include "common/RegistryRead.h"
#include "common/TextConv.h"
#include "download/CDownLoadTaskMgr.h"
#include "download/DownloadNotify.h"
#include "download/KFileIndex.h"
#include "shell/PathText.h"
#include "shell/Paths.h"

namespace {

std::atomic<int> g_liveTasks{0};

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty() || folder.back() == L'\\' || folder.back() == L'/') return folder + name;
    return folder + L'\\' + name;
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

// ---- base ----

CDownLoadTaskBase::CDownLoadTaskBase(int softid, int downloadType) : m_softid(softid), m_downloadType(downloadType) {
    ++g_liveTasks;
}

CDownLoadTaskBase::~CDownLoadTaskBase() {
    m_stop = 1;
    if (m_thread.IsCurrentThread())
        m_thread.Detach();  // destroyed by its own worker: the thread ends when Execute returns
    else
        m_thread.Stop();
    --g_liveTasks;
}

int CDownLoadTaskBase::LiveCount() { return g_liveTasks.load(); }

bool CDownLoadTaskBase::AddCallback(IDownLoadSoftCallback* callback) {
    if (callback == nullptr) return false;
    CritSecLock lock(m_lock);
    for (IDownLoadSoftCallback* known : m_callbacks)
        if (known == callback) return false;
    if (m_hwnd == nullptr) m_hwnd = callback->GetHwnd();
    m_callbacks.push_back(callback);
    DownloadNotify msg;
    msg.msgtype = kMsgState;
    msg.state = kDownloadRunning;
    PostTo(callback, msg);
    return true;
}

int CDownLoadTaskBase::RemoveCallback(IDownLoadSoftCallback* callback) {
    CritSecLock lock(m_lock);
    for (auto it = m_callbacks.begin(); it != m_callbacks.end(); ++it) {
        if (*it == callback) {
            m_callbacks.erase(it);
            break;
        }
    }
    return 1;
}

int CDownLoadTaskBase::Stop() {
    m_stop = 1;
    return 1;
}

int CDownLoadTaskBase::Start() {
    if (m_thread.IsRunning()) return 1;
    return m_thread.Start(this) ? 1 : 0;
}

int CDownLoadTaskBase::Release() {
    delete this;
    return 0;
}

int CDownLoadTaskBase::Execute(void*) {
    DoDownload();
    CDownLoadTaskMgr::Instance().RemoveTask(m_softid);
    Release();
    return 0;
}

int CDownLoadTaskBase::OnProgress(double fraction) {
    if (m_stop) return 1;
    ReportProgress(m_progressBase + m_progressSpan * fraction);
    return 0;
}

void CDownLoadTaskBase::SetProgressSpan(double base, double span) {
    m_progressBase = base;
    m_progressSpan = span;
}

void CDownLoadTaskBase::PostTo(IDownLoadSoftCallback* callback, DownloadNotify msg) {
    // Without a window, PostMessageW would queue to this worker, which never reads its queue.
    if (m_hwnd == nullptr) return;
    msg.callback = CallbackAddress(callback);
    const std::wstring json = BuildNotifyJson(msg);
    if (json.empty()) return;
    wchar_t* text = MakeNotifyText(json);
    // A message the window never gets is lost; one that cannot even be posted is freed here.
    if (!PostMessageW(m_hwnd, UM_DOWNLOAD_NOTIFY, reinterpret_cast<WPARAM>(text), 0)) FreeNotifyText(text);
}

void CDownLoadTaskBase::PostToAll(const DownloadNotify& msg) {
    for (IDownLoadSoftCallback* callback : m_callbacks) PostTo(callback, msg);
}

void CDownLoadTaskBase::BroadcastState(int state) {
    CritSecLock lock(m_lock);
    DownloadNotify msg;
    msg.msgtype = kMsgState;
    msg.state = state;
    PostToAll(msg);
}

void CDownLoadTaskBase::ReportFinished(const std::wstring& path) {
    CritSecLock lock(m_lock);
    DownloadNotify msg;
    msg.msgtype = kMsgFinished;
    msg.downloadtype = m_downloadType;
    msg.srcfile = path;
    PostToAll(msg);
}

void CDownLoadTaskBase::ReportProgress(double fraction) {
    CritSecLock lock(m_lock);
    if (m_callbacks.empty()) return;
    const int percent = FractionToPercent(fraction);
    if (percent < m_lastPercent + 1) return;
    m_lastPercent = percent;
    DownloadNotify msg;
    msg.msgtype = kMsgProgress;
    msg.softid = m_softid;
    msg.progress = percent;
    PostToAll(msg);
}

bool CDownLoadTaskBase::FetchToFolder(const std::wstring& url, const std::wstring& folder, std::wstring& path) {
    path = JoinPath(folder, FileNameFromUrl(url));
    CDownLoadToFile file(path, this);
    // A file that could not be made is a failed download, whatever the transfer said.
    return DownloadUrl(url, false, &file) && file.IsGood();
}

// ---- types 1 and 3 ----

int CDownLoadExeTask::DoDownload() {
    BroadcastState(kDownloadRunning);
    const SoftEntry* entry = SoftCatalog::Instance().FindSoft(GetSoftId());
    if (entry == nullptr || entry->config.empty()) return 0;
    std::wstring folder;
    if (GetDownloadType() == 1)
        folder = GetDownloadDir();
    else
        TempDownloadDir(folder);
    std::wstring path;
    if (!FetchToFolder(entry->config, folder, path)) {
        BroadcastState(kDownloadFailed);
        return 0;
    }
    BroadcastState(kDownloadSucceeded);
    ReportFinished(path);
    return 1;
}

// ---- type 2 ----

int CDownLoadFilesTask::DoDownload() {
    const SoftEntry* entry = SoftCatalog::Instance().FindSoft(GetSoftId());
    if (entry == nullptr) return 0;
    BroadcastState(kDownloadRunning);

    bool ok = false;
    std::string body;
    CDownLoadToMemFile listSink(body);
    std::vector<std::wstring> names;
    if (DownloadUrl(entry->config, false, &listSink) && !body.empty()) {
        KUTF8ToUTF16Ex text(body.c_str());
        ok = ParseFileList(text.Get(), names) && !names.empty();
    }

    const size_t n = names.size();
    for (size_t k = 0; ok && k < n; ++k) {
        SetProgressSpan(static_cast<double>(k) / n, 1.0 / n);
        DownloadFileRecord record;
        record.name = names[k];
        if (!FetchCompressedFile(names[k], this, record.inflatedPath, record.finalPath)) {
            // An inflated file may be left behind by a failed step: remember it for the clean-up below.
            if (!record.inflatedPath.empty()) m_records.push_back(record);
            ok = false;
            break;
        }
        m_records.push_back(record);
        ReportProgress(static_cast<double>(k + 1) / n);
    }

    for (size_t k = 0; ok && k < m_records.size(); ++k) {
        const DownloadFileRecord& record = m_records[k];
        std::wstring folder = GetDirPart(record.finalPath);
        while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
        if (!CreateDirTreeReplacingFile(folder)) {
            ok = false;
            break;
        }
        if (!CopyFileW(record.inflatedPath.c_str(), record.finalPath.c_str(), FALSE) && !FileExists(record.finalPath))
            ok = false;
    }

    int result = 0;
    if (ok) {
        BroadcastState(kDownloadSucceeded);
        ReportFinished(std::wstring());
        result = 1;
    } else {
        BroadcastState(kDownloadFailed);
    }
    for (const DownloadFileRecord& record : m_records)
        if (!record.inflatedPath.empty() && FileExists(record.inflatedPath)) DeleteFileW(record.inflatedPath.c_str());
    BroadcastState(kDownloadFailed);  // a file set always ends with state 3
    return result;
}

// ---- type 4 ----

std::wstring& CDownLoadFerruleTask::FrameworkUrl() {
    static std::wstring url =
        L"https://download.microsoft.com/download/E/2/1/E21644B5-2DF2-47C2-91BD-63C560427900/"
        L"NDP452-KB2901907-x86-x64-AllOS-ENU.exe";
    return url;
}

int CDownLoadFerruleTask::DoDownload() {
    const SoftEntry* entry = SoftCatalog::Instance().FindSoft(GetSoftId());
    if (entry == nullptr) return 0;
    BroadcastState(kDownloadRunning);

    DWORD install = 0;
    const bool present = RegReadDword(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v4\\Client",
                                      L"Install", RegView::Default, install) &&
                         install == 1;
    std::wstring folder;
    TempDownloadDir(folder);
    if (!present) {
        SetProgressSpan(0, 0.5);
        const std::wstring installer = folder + L"framework4.exe";
        CDownLoadToFile file(installer, this);
        // This program is run as soon as it arrives: it must come from the real server, checked.
        if (!DownloadUrlVerified(FrameworkUrl(), &file) || !file.IsGood()) return 0;
        const auto started = reinterpret_cast<INT_PTR>(
            ShellExecuteW(nullptr, L"open", installer.c_str(), L"/Q", nullptr, SW_SHOWNORMAL));
        if (started <= 32) return 0;
        ReportProgress(0.5);
        SetProgressSpan(0.5, 0.5);
    }

    std::wstring path;
    if (entry->config.empty() || !FetchToFolder(entry->config, folder, path)) {
        BroadcastState(kDownloadFailed);
        return 0;
    }
    BroadcastState(kDownloadSucceeded);
    ReportFinished(path);
    return 1;
}

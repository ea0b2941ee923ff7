#include "catalog/ToolLauncher.h"

#include <windows.h>
// after <windows.h>, which it needs
#include <shellapi.h>

#include "common/RegistryRead.h"
#include "common/ScopedWin.h"
#include "download/CDownLoadTaskMgr.h"
#include "download/ExtractArchive.h"
#include "shell/PathText.h"
#include "shell/Paths.h"

namespace {

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring TempFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    std::wstring folder(temp, length <= MAX_PATH ? length : 0);
    EnsureTrailingSlash(folder);
    return folder;
}

}  // namespace

bool ShellOpen(const std::wstring& file, const std::wstring& parameters) {
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", file.c_str(),
                                           parameters.empty() ? nullptr : parameters.c_str(), nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

bool ReadToolRegistryDir(const SoftEntry& soft, ToolRegView view, std::wstring& dir) {
    HKEY root = nullptr;
    if (_wcsicmp(soft.regRoot.c_str(), L"HKEY_LOCAL_MACHINE") == 0) {
        root = HKEY_LOCAL_MACHINE;
    } else if (_wcsicmp(soft.regRoot.c_str(), L"HKEY_CURRENT_USER") == 0) {
        root = HKEY_CURRENT_USER;
    } else {
        return false;
    }
    const REGSAM access = KEY_READ | (view == ToolRegView::k64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY);
    ScopedRegKey key;
    if (RegOpenKeyExW(root, soft.regPath.c_str(), 0, access, key.Receive()) != ERROR_SUCCESS) return false;
    std::wstring value;
    if (!RegReadString(key.Get(), soft.regkey.c_str(), value) || value.empty()) return false;
    dir = value;
    return true;
}

std::wstring ResolveToolDir(const SoftEntry& soft) {
    std::wstring dir;
    if (!ReadToolRegistryDir(soft, ToolRegView::k64, dir) && !ReadToolRegistryDir(soft, ToolRegView::k32, dir)) {
        dir = GetDownloadDir();
    }
    EnsureTrailingSlash(dir);
    return dir;
}

int IToolClickSink::AddDownloadTask(int softid, IDownLoadSoftCallback* callback) {
    return CDownLoadTaskMgr::Instance().AddTask(softid, callback);
}

CToolLauncher::CToolLauncher(bool banner, int tableId, int itemId, int softid, const SoftCatalog* catalog)
    : m_banner(banner), m_tableId(tableId), m_itemId(itemId), m_softid(softid), m_catalog(catalog) {}

CToolLauncher CToolLauncher::ForCard(int tableId, int itemId, int softid, const SoftCatalog* catalog) {
    return CToolLauncher(false, tableId, itemId, softid, catalog);
}

CToolLauncher CToolLauncher::ForBanner(int softid, const SoftCatalog* catalog) {
    return CToolLauncher(true, 0, 0, softid, catalog);
}

const SoftCatalog& CToolLauncher::Catalog() const { return m_catalog ? *m_catalog : SoftCatalog::Instance(); }

const ItemEntry* CToolLauncher::FindEntry() const {
    if (m_banner) return Catalog().FindBanner(m_softid);
    return Catalog().FindItem(m_tableId, m_itemId);
}

// Without a soft entry nothing can be fetched, so the tool counts as present (and nothing is remembered).
// The resolved folder is remembered whenever there is a soft entry: a banner or card whose entry lists no check
// files still needs it to unpack and start what it downloads. Such a banner counts as absent (each click
// downloads); such a card is present when its runfilename is in the folder, so its click starts or fetches the
// tool instead of doing nothing.
bool CToolLauncher::IsToolPresent() {
    const SoftEntry* soft = Catalog().FindSoft(m_softid);
    if (soft == nullptr) return true;
    m_toolDir = ResolveToolDir(*soft);
    if (soft->checkFiles.empty()) {
        if (m_banner) return false;
        const ItemEntry* entry = FindEntry();
        return entry == nullptr || entry->runfilename.empty() || FileExists(m_toolDir + entry->runfilename);
    }
    for (const std::wstring& name : soft->checkFiles) {
        if (!FileExists(m_toolDir + name)) return false;
    }
    return true;
}

bool CToolLauncher::LaunchTool() {
    const ItemEntry* entry = FindEntry();
    if (entry == nullptr || m_toolDir.empty()) return false;
    return ShellOpen(m_toolDir + entry->runfilename, entry->runcmd);
}

void CToolLauncher::OnToolClicked(IToolClickSink& sink, IDownLoadSoftCallback* callback) {
    if (!m_banner && m_softid == 0) {
        // A plain command with no tool behind it: started as it stands, hidden, and not reported.
        if (const ItemEntry* entry = FindEntry()) {
            ShellExecuteW(nullptr, L"open", entry->runfilename.c_str(), nullptr, nullptr, SW_HIDE);
        }
        return;
    }
    if (IsToolPresent()) {
        sink.ReportToolClick(2);
        LaunchTool();
        return;
    }
    sink.ReportToolClick(1);
    if (Catalog().FindSoft(m_softid) != nullptr) sink.AddDownloadTask(m_softid, callback);
}

bool CToolLauncher::OnFinish(int downloadType, const std::wstring& path) {
    const ItemEntry* entry = FindEntry();
    switch (downloadType) {
        case 1: {
            if (entry == nullptr) return false;
            if (m_banner) return ShellOpen(path, entry->installcmd);
            // The installer runs from a copy in the temporary folder; a file of that name already there is not
            // overwritten, and the downloaded file itself runs instead.
            const std::wstring copy = TempFolder() + entry->downloadfilename;
            const bool copied = CopyFileW(path.c_str(), copy.c_str(), TRUE) != 0;
            return ShellOpen(copied ? copy : path, entry->installcmd);
        }
        case 3:
        case 4:
            if (entry == nullptr) return false;
            return ExtractAndStart(*entry, path);
        default:
            return LaunchTool();
    }
}

bool CToolLauncher::ExtractAndStart(const ItemEntry& entry, const std::wstring& archive) {
    if (m_toolDir.empty()) return false;
    const std::wstring target = m_toolDir + entry.runfilename;
    std::wstring folder = GetDirPart(target);
    while (folder.size() > 1 && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
    if (!FileExists(folder) && !CreateDirTreeReplacingFile(folder)) return false;
    // A tool whose files did not all come out whole is not started.
    if (!ExtractArchive(folder, archive)) return false;
    return ShellOpen(target, entry.runcmd);
}

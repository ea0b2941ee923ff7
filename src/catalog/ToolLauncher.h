// Whether a catalogue tool is on the machine, where it lives, how it is started, and what is done with a finished
// download of it. The window's tool cards and banners each hold a CToolLauncher and forward their click and their
// IDownLoadSoftCallback::OnFinish to it. Windows only.
//
// Threading: window thread only (the catalogue is read without a lock, the cards live there).
#pragma once

#include <string>

#include "catalog/SoftCatalog.h"
#include "download/DownloadCallbacks.h"

// ShellExecuteW(no window, "open", file, parameters, no directory, SW_SHOWNORMAL); true when the shell took it.
bool ShellOpen(const std::wstring& file, const std::wstring& parameters);

enum class ToolRegView {
    k64,  // KEY_WOW64_64KEY
    k32,  // KEY_WOW64_32KEY
};

// The soft entry's registry location (regRoot "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER" in any letter case;
// anything else fails) read in one view: the string value regkey under regPath, unexpanded. An empty value fails
// too: it would make the root of the current drive the tool's folder.
bool ReadToolRegistryDir(const SoftEntry& soft, ToolRegView view, std::wstring& dir);

// The 64-bit view, then the 32-bit view, then the download folder (GetDownloadDir); with a trailing backslash.
std::wstring ResolveToolDir(const SoftEntry& soft);

// What the launcher needs from the card that owns it: the usage report of a click, and the hand-over of a
// download to the task registry.
class IToolClickSink {
public:
    // clickType 2: the tool was present and is started; 1: it was absent and is downloaded.
    virtual void ReportToolClick(int clickType) = 0;
    // By default CDownLoadTaskMgr::AddTask. 1 when a task took the callback.
    virtual int AddDownloadTask(int softid, IDownLoadSoftCallback* callback);

protected:
    ~IToolClickSink() = default;
};

class CToolLauncher {
public:
    // A tool card (table id, item id, softid) or a banner (softid). `catalog` is not owned; by default the
    // process-wide one.
    static CToolLauncher ForCard(int tableId, int itemId, int softid, const SoftCatalog* catalog = nullptr);
    static CToolLauncher ForBanner(int softid, const SoftCatalog* catalog = nullptr);

    // The presence test; remembers the tool folder it resolved (see the .cpp for the card and banner rules).
    bool IsToolPresent();
    // Starts tool folder + runfilename with runcmd. False without a catalogue entry or a remembered folder.
    bool LaunchTool();
    // The click: a card with softid 0 starts its runfilename hidden and reports nothing; otherwise the report
    // with the presence, then the start or the download (callback: the card, as the task's callback).
    void OnToolClicked(IToolClickSink& sink, IDownLoadSoftCallback* callback);
    // A finished download of this tool (path: the saved file). Installers (type 1) are run; archives (3, 4) are
    // unpacked into the folder of tool folder + runfilename and the tool is started only when every file came
    // out whole; a file set (2) is started. True when something was started.
    bool OnFinish(int downloadType, const std::wstring& path);

    // The folder remembered by the last presence test (with a trailing backslash), or empty.
    const std::wstring& GetToolDir() const { return m_toolDir; }
    int GetSoftId() const { return m_softid; }
    bool IsBanner() const { return m_banner; }

private:
    CToolLauncher(bool banner, int tableId, int itemId, int softid, const SoftCatalog* catalog);
    const SoftCatalog& Catalog() const;
    // The card's ItemEntry or the banner's BannerEntry.
    const ItemEntry* FindEntry() const;
    bool ExtractAndStart(const ItemEntry& entry, const std::wstring& archive);

    bool m_banner;
    int m_tableId;
    int m_itemId;
    int m_softid;
    const SoftCatalog* m_catalog;  // not owned; null: SoftCatalog::Instance()
    std::wstring m_toolDir;
};

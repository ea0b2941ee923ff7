// What the download side tells the window: the callback interfaces of cards and icon requesters, the window
// message that carries the notifications and the states a download goes through.
//
// Threading: callbacks are only ever called on the window thread, by the window that received the message
// (see CDownloadNotifyDispatcher); workers never call them. GetHwnd is called on the window thread by AddTask.
#pragma once

#include <string>

// The same declaration <windows.h> makes, so this header stays portable.
struct HWND__;
typedef HWND__* HWND;

// WM_USER + 103. WPARAM: a heap text made by MakeNotifyText (the receiver frees it with FreeNotifyText);
// LPARAM: 0.
constexpr unsigned UM_DOWNLOAD_NOTIFY = 0x0400 + 103;

// "state" values of message type 2.
enum DownloadState : int {
    kDownloadRunning = 1,   // also the answer to every AddCallback
    kDownloadSucceeded = 2, // a message type 3 follows
    kDownloadFailed = 3,    // failed or ended
};

// "msgtype" values.
enum DownloadMsgType : int {
    kMsgProgress = 1,  // softid, progress
    kMsgState = 2,     // state
    kMsgFinished = 3,  // downloadtype, srcfile
    kMsgIcon = 4,      // softid (the icon id), srcfile
};

// Implemented by tool cards and banners. The address handed to AddTask is the one the messages name.
class IDownLoadSoftCallback {
public:
    virtual void OnProgress(int softid, int percent) = 0;  // percent 1 to 100, rising
    virtual void OnState(int state) = 0;                   // DownloadState
    // downloadType 1 to 4; path: the saved file, empty for type 2.
    virtual void OnFinish(int downloadType, const std::wstring& path) = 0;
    // The window that is to receive this task's messages.
    virtual HWND GetHwnd() = 0;

protected:
    ~IDownLoadSoftCallback() = default;
};

// Implemented by whoever asks the icon manager for a picture.
class IDownLoadIconCallback {
public:
    // iconId: the id given with the request; path: the cached file.
    virtual void OnIconReady(int iconId, const std::wstring& path) = 0;

protected:
    ~IDownLoadIconCallback() = default;
};

// The texts of UM_DOWNLOAD_NOTIFY and their reading on the window side. Portable.
//
// Every text is a JSON object with "msgtype" and "callback" (the full address of the callback object, as a
// 64-bit integer) and the members of its type (see DownloadCallbacks.h).
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "download/DownloadCallbacks.h"

struct DownloadNotify {
    int msgtype = 0;
    std::uint64_t callback = 0;  // the object's address
    int softid = 0;              // types 1 and 4
    int progress = 0;            // type 1
    int state = 0;               // type 2
    int downloadtype = 0;        // type 3
    std::wstring srcfile;        // types 3 and 4
};

// The JSON text of one message; only the members of its type are written.
std::wstring BuildNotifyJson(const DownloadNotify& msg);
// False for text that does not parse, a "callback" of 0 or a "msgtype" other than 1 to 4.
bool ParseNotifyJson(const wchar_t* text, DownloadNotify& msg);

// A heap copy of the text for WPARAM, and its release by the receiver (null is allowed).
wchar_t* MakeNotifyText(const std::wstring& json);
void FreeNotifyText(wchar_t* text);

inline std::uint64_t CallbackAddress(const void* callback) {
    return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(callback));
}

// The window side: the callbacks this window handed out, and the dispatch of a message to one of them.
// A message naming an address that is not registered (a destroyed card, a forged or stale text) is dropped.
// Window thread only.
class CDownloadNotifyDispatcher {
public:
    // Register before handing the callback to AddTask / AddIconTask; unregister before destroying it.
    void AddSoftCallback(IDownLoadSoftCallback* callback);
    void RemoveSoftCallback(IDownLoadSoftCallback* callback);
    void AddIconCallback(IDownLoadIconCallback* callback);
    void RemoveIconCallback(IDownLoadIconCallback* callback);

    // Parses the text and calls the named callback. False when the message was ignored. Does not free text.
    bool Dispatch(const wchar_t* text) const;

    // What the window procedure does with the message: dispatch, then free the text. Answers 0.
    long long OnDownloadNotify(std::uintptr_t wParam) const;

private:
    std::set<std::uint64_t> m_soft;
    std::set<std::uint64_t> m_icon;
};

// The saved name of a type 1, 3 or 4 download: what follows the last "/" or backslash (a query string included).
std::wstring FileNameFromUrl(const std::wstring& url);

// The names of a type 2 file list ({"filelist":[{"name":...}, ...]}) in array order; false when the text does
// not parse, has no such array, or has an element without a non-empty string "name".
bool ParseFileList(const wchar_t* text, std::vector<std::wstring>& names);

// The whole percentage of a fraction, clamped to 0..100.
int FractionToPercent(double fraction);

#include "download/DownloadNotify.h"

#include <cwchar>

#include "common/BkJsonEx.h"

namespace {

// The integers go in through a parsed seed: the document's setters hold 32 bits, and the callback's address
// needs all 64.
std::wstring IntegerSeed(const DownloadNotify& msg) {
    std::wstring seed = L"{\"msgtype\":" + std::to_wstring(msg.msgtype) + L",\"callback\":" +
                        std::to_wstring(static_cast<unsigned long long>(msg.callback));
    switch (msg.msgtype) {
    case kMsgProgress:
        seed += L",\"softid\":" + std::to_wstring(msg.softid) + L",\"progress\":" + std::to_wstring(msg.progress);
        break;
    case kMsgState: seed += L",\"state\":" + std::to_wstring(msg.state); break;
    case kMsgFinished: seed += L",\"downloadtype\":" + std::to_wstring(msg.downloadtype); break;
    default: seed += L",\"softid\":" + std::to_wstring(msg.softid); break;
    }
    return seed + L"}";
}

int ReadInt(BkJsonEx::Handle object, const wchar_t* name) {
    if (!object.HasMember(name)) return 0;
    return static_cast<int>(object[name].GetInt64());
}

}  // namespace

std::wstring BuildNotifyJson(const DownloadNotify& msg) {
    BkJsonEx::Document doc;
    if (!doc.Parse(IntegerSeed(msg).c_str())) return std::wstring();
    if (msg.msgtype == kMsgFinished || msg.msgtype == kMsgIcon) doc[L"srcfile"].SetString(msg.srcfile.c_str());
    return doc.Serialize();
}

bool ParseNotifyJson(const wchar_t* text, DownloadNotify& msg) {
    msg = DownloadNotify();
    if (text == nullptr) return false;
    BkJsonEx::Document doc;
    if (!doc.Parse(text) || doc.GetType() != BkJsonEx::kTypeObject) return false;
    if (!doc.HasMember(L"msgtype") || !doc.HasMember(L"callback")) return false;
    const long long msgtype = doc[L"msgtype"].GetInt64();
    if (msgtype < kMsgProgress || msgtype > kMsgIcon) return false;
    msg.msgtype = static_cast<int>(msgtype);
    const long long callback = doc[L"callback"].GetInt64();
    if (callback <= 0) return false;  // no object lives at 0 or at a "negative" address
    msg.callback = static_cast<std::uint64_t>(callback);
    msg.softid = ReadInt(doc, L"softid");
    msg.progress = ReadInt(doc, L"progress");
    msg.state = ReadInt(doc, L"state");
    msg.downloadtype = ReadInt(doc, L"downloadtype");
    if (doc.HasMember(L"srcfile")) {
        const wchar_t* src = doc[L"srcfile"].GetString();
        if (src != nullptr) msg.srcfile = src;
    }
    return true;
}

wchar_t* MakeNotifyText(const std::wstring& json) {
    auto* text = new wchar_t[json.size() + 1];
    std::wmemcpy(text, json.c_str(), json.size() + 1);
    return text;
}

void FreeNotifyText(wchar_t* text) { delete[] text; }

void CDownloadNotifyDispatcher::AddSoftCallback(IDownLoadSoftCallback* callback) {
    if (callback != nullptr) m_soft.insert(CallbackAddress(callback));
}

void CDownloadNotifyDispatcher::RemoveSoftCallback(IDownLoadSoftCallback* callback) {
    m_soft.erase(CallbackAddress(callback));
}

void CDownloadNotifyDispatcher::AddIconCallback(IDownLoadIconCallback* callback) {
    if (callback != nullptr) m_icon.insert(CallbackAddress(callback));
}

void CDownloadNotifyDispatcher::RemoveIconCallback(IDownLoadIconCallback* callback) {
    m_icon.erase(CallbackAddress(callback));
}

bool CDownloadNotifyDispatcher::Dispatch(const wchar_t* text) const {
    DownloadNotify msg;
    if (!ParseNotifyJson(text, msg)) return false;
    // Only an address found in the live set is turned back into a pointer.
    if (msg.msgtype == kMsgIcon) {
        if (m_icon.count(msg.callback) == 0) return false;
        auto* icon = reinterpret_cast<IDownLoadIconCallback*>(static_cast<std::uintptr_t>(msg.callback));
        icon->OnIconReady(msg.softid, msg.srcfile);
        return true;
    }
    if (m_soft.count(msg.callback) == 0) return false;
    auto* soft = reinterpret_cast<IDownLoadSoftCallback*>(static_cast<std::uintptr_t>(msg.callback));
    switch (msg.msgtype) {
    case kMsgProgress: soft->OnProgress(msg.softid, msg.progress); break;
    case kMsgState: soft->OnState(msg.state); break;
    default: soft->OnFinish(msg.downloadtype, msg.srcfile); break;
    }
    return true;
}

long long CDownloadNotifyDispatcher::OnDownloadNotify(std::uintptr_t wParam) const {
    auto* text = reinterpret_cast<wchar_t*>(wParam);
    Dispatch(text);
    FreeNotifyText(text);
    return 0;
}

std::wstring FileNameFromUrl(const std::wstring& url) {
    const size_t cut = url.find_last_of(L"/\\");
    return cut == std::wstring::npos ? url : url.substr(cut + 1);
}

bool ParseFileList(const wchar_t* text, std::vector<std::wstring>& names) {
    names.clear();
    if (text == nullptr || *text == 0) return false;
    BkJsonEx::Document doc;
    if (!doc.Parse(text) || doc.GetType() != BkJsonEx::kTypeObject || !doc.HasMember(L"filelist")) return false;
    BkJsonEx::Handle list = doc[L"filelist"];
    if (list.GetType() != BkJsonEx::kTypeArray) return false;
    const int count = list.Size();
    for (int i = 0; i < count; ++i) {
        BkJsonEx::Handle item = list[i];
        // An element that names no file would only fail later, after the files before it were fetched.
        if (item.GetType() != BkJsonEx::kTypeObject || !item.HasMember(L"name")) return false;
        const wchar_t* name = item[L"name"].GetString();
        if (name == nullptr || *name == 0) return false;
        names.push_back(name);
    }
    return true;
}

int FractionToPercent(double fraction) {
    if (!(fraction > 0)) return 0;  // NaN too
    if (fraction >= 1) return 100;
    return static_cast<int>(fraction * 100);
}

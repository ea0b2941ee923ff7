// libFuzzer target for the download side's texts: the file list a server sends (UTF-8) and the notification
// texts the window reads. Whatever is accepted must survive a round trip through the writer.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/Utf8.h"
#include "download/DownloadNotify.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    bytes = bytes.substr(0, bytes.find('\0'));  // the body is read as a C string
    const std::wstring text = Utf8ToWide(bytes);

    std::vector<std::wstring> names;
    if (ParseFileList(text.c_str(), names)) {
        for (const std::wstring& name : names)
            if (name.empty()) std::abort();
    }

    DownloadNotify msg;
    if (ParseNotifyJson(text.c_str(), msg)) {
        DownloadNotify back;
        if (!ParseNotifyJson(BuildNotifyJson(msg).c_str(), back)) std::abort();
        if (back.msgtype != msg.msgtype || back.callback != msg.callback) std::abort();
        FileNameFromUrl(msg.srcfile);
    }
    return 0;
}

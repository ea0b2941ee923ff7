#include <windows.h>

#include "download/KFileIndex.h"
#include "download/KHttpRequest.h"
#include "shell/Paths.h"

bool FetchCompressedFile(const std::wstring& name, IDownloadProgress* progress, std::wstring& inflatedPath,
                         std::wstring& finalPath) {
    KFileIndex& index = KFileIndex::Instance();
    if (!index.IsLoaded()) return false;
    std::wstring url, relativePath, folder;
    if (!index.BuildContentUrl(name, url, relativePath) || !TempDownloadDir(folder)) return false;

    const std::wstring packed = folder + name + L".z";
    bool ok = false;
    {
        CDownLoadToFile file(packed, progress);
        ok = DownloadUrl(url, false, &file) && file.IsGood();
    }
    if (ok) {
        inflatedPath = folder + name;
        ok = InflateFile(inflatedPath, packed);
        if (ok) finalPath = GetExeDir() + relativePath;
    }
    if (GetFileAttributesW(packed.c_str()) != INVALID_FILE_ATTRIBUTES) DeleteFileW(packed.c_str());
    return ok;
}

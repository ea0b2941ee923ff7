// The content server's file index: sections named by file name with "SFN" (name on the server), "RP" (remote
// folder) and "LP" (local folder under the program folder; "%P" may stand for that folder).
//
// Nothing in the program loads it, so FetchCompressedFile fails until someone calls Load. Threading: Load before
// workers read it; reads from any thread afterwards.
#pragma once

#include <string>

#include "common/KIniWrapEx.h"

class IDownloadProgress;

class KFileIndex {
public:
    // The process-wide index, made on first use.
    static KFileIndex& Instance();

    KFileIndex() = default;
    KFileIndex(const KFileIndex&) = delete;
    KFileIndex& operator=(const KFileIndex&) = delete;

    // Takes the document, the index number and the server's base URL (plain HTTP, path "/cratel/bin"), and marks
    // the index loaded.
    void Load(const KIniWrapEx& ini, int number, const std::wstring& baseUrl);
    bool IsLoaded() const { return m_loaded != 0; }
    // Back to the empty, unloaded index.
    void Reset() {
        Load(KIniWrapEx(), 0, std::wstring());
        m_loaded = 0;
    }

    // url = "<base>/<N>/cratel/<RP>/<SFN>"; relativePath = LP (without "%P" and any other "%") + "\" + name.
    // False when the section has no SFN.
    bool BuildContentUrl(const std::wstring& name, std::wstring& url, std::wstring& relativePath) const;

private:
    int m_number = 0;
    int m_loaded = 0;
    KIniWrapEx m_ini;
    std::wstring m_baseUrl;
};

// Windows only. Fetches name's compressed copy ("<name>.z") into the temporary download folder, inflates it
// next to it (inflatedPath) and names where it belongs (finalPath = program folder + relative path). The ".z"
// file is deleted in every case; the inflated one is left for the caller.
bool FetchCompressedFile(const std::wstring& name, IDownloadProgress* progress, std::wstring& inflatedPath,
                         std::wstring& finalPath);

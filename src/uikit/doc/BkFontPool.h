// Fonts for font codes: the default face and height, the fonts made for (code, DPI flag), and the GDI+ font
// families of the face's private font file. Windows only; UI thread. Fonts live until process exit (code 0 is
// replaced when the default font changes).
#pragma once

#include <windows.h>
// GDI+ needs the COM stream declarations first.
#include <objidl.h>
// clang-format off
#include <gdiplus.h>
// clang-format on

#include <map>
#include <memory>
#include <string>
#include <vector>

class BkFontPool {
public:
    // A pool with face "宋体" and height -12 that has probed nothing yet; Instance() probes the registry.
    BkFontPool();
    ~BkFontPool();
    BkFontPool(const BkFontPool&) = delete;
    BkFontPool& operator=(const BkFontPool&) = delete;

    static BkFontPool& Instance();

    // First match among the installed fonts listed under HKLM "…\Windows NT\CurrentVersion\Fonts", then sets the
    // default font with it.
    void ProbeInstalledFaces();
    // Stores face and height, rebuilds the base font and code 0, and loads "fonts\<file>" of the program folder
    // into a private collection when the face has a known file there.
    void SetDefaultFont(const std::wstring& face, int height);
    // The font for a code; bit 31 of the cache key is the DPI flag. Not owned by the caller.
    HFONT GetFont(unsigned short code, bool dpiAware);

    const std::wstring& DefaultFace() const { return m_face; }
    int DefaultHeight() const { return m_height; }
    bool IsYaHei() const;
    // Families of the private font file of the current face; empty when there is none.
    const std::vector<std::unique_ptr<Gdiplus::FontFamily>>& PrivateFamilies() const { return m_families; }
    // Where "fonts\" is looked for (default: the program's folder, without trailing backslash).
    void SetProgramDir(const std::wstring& dir) { m_programDir = dir; }

private:
    std::wstring m_face = L"宋体";
    int m_height = -12;
    LOGFONTW m_base{};
    std::map<unsigned, HFONT> m_fonts;
    std::map<std::wstring, std::wstring> m_files;
    std::wstring m_programDir;
    std::unique_ptr<Gdiplus::PrivateFontCollection> m_collection;
    std::vector<std::unique_ptr<Gdiplus::FontFamily>> m_families;
};

#include "common/RegistryRead.h"
#include "common/SingletonGuard.h"
#include "shell/Paths.h"
#include "uikit/doc/BkDpi.h"
#include "uikit/doc/BkFontCode.h"
#include "uikit/doc/BkFontPool.h"
#include "uikit/doc/BkImagePool.h"

namespace {

struct ProbedPool {
    ProbedPool() { pool.ProbeInstalledFaces(); }
    BkFontPool pool;
};

}  // namespace

BkFontPool::BkFontPool() {
    m_files = {{L"微软雅黑", L"msyh.ttf"},
               {L"Microsoft YaHei", L"msyh.ttf"},
               {L"宋体", L"simsun.ttc"},
               {L"SimSun", L"SimSun.ttc"}};
    m_programDir = GetExeDir();
    if (!m_programDir.empty() && m_programDir.back() == L'\\') m_programDir.pop_back();
    SetDefaultFont(m_face, m_height);
}

BkFontPool::~BkFontPool() {
    for (auto& entry : m_fonts) DeleteObject(entry.second);
}

BkFontPool& BkFontPool::Instance() {
    return ProcessSingleton<ProbedPool>::Get(ProcessSingleton<ProbedPool>::AtExit::Keep).pool;
}

void BkFontPool::ProbeInstalledFaces() {
    struct Probe {
        const wchar_t* value;
        const wchar_t* face;
    };
    static const Probe kProbes[] = {
        {L"微软雅黑 (TrueType)", L"微软雅黑"},
        {L"Microsoft YaHei (TrueType)", L"Microsoft YaHei"},
        {L"Microsoft YaHei (TrueType) & Microsoft YaHei UI (TrueType)", L"Microsoft YaHei"},
        {L"Microsoft YaHei & Microsoft YaHei UI (TrueType)", L"Microsoft YaHei"},
        {L"宋体 & 新宋体 (TrueType)", L"宋体"},
        {L"SimSun & NSimSun (TrueType)", L"SimSun"},
    };
    std::wstring face = m_face;
    ScopedRegKey key;
    if (RegOpenForRead(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", RegView::Default,
                       key)) {
        for (const Probe& p : kProbes) {
            if (RegQueryValueExW(key.Get(), p.value, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
                face = p.face;
                break;
            }
        }
    }
    SetDefaultFont(face, -12);
}

bool BkFontPool::IsYaHei() const { return m_face == L"微软雅黑" || m_face == L"Microsoft YaHei"; }

void BkFontPool::SetDefaultFont(const std::wstring& face, int height) {
    m_face = face;
    m_height = height;
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof m_base, &m_base);
    m_base.lfHeight = height;
    lstrcpynW(m_base.lfFaceName, face.c_str(), LF_FACESIZE);
    m_base.lfQuality = IsYaHei() ? CLEARTYPE_QUALITY : ANTIALIASED_QUALITY;

    auto old = m_fonts.find(0);
    if (old != m_fonts.end()) {
        DeleteObject(old->second);
        m_fonts.erase(old);
    }
    m_fonts[0] = CreateFontIndirectW(&m_base);

    m_families.clear();
    m_collection.reset();
    auto file = m_files.find(face);
    if (file == m_files.end()) return;
    const std::wstring path = m_programDir + L"\\fonts\\" + file->second;
    const DWORD attrs = GetFileAttributesW(path.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES || (attrs & FILE_ATTRIBUTE_DIRECTORY) || !BkStartGdiplus()) return;
    m_collection = std::make_unique<Gdiplus::PrivateFontCollection>();
    if (m_collection->AddFontFile(path.c_str()) != Gdiplus::Ok) return;
    const INT count = m_collection->GetFamilyCount();
    if (count <= 0) return;
    std::vector<Gdiplus::FontFamily> found(static_cast<size_t>(count));
    INT got = 0;
    m_collection->GetFamilies(count, found.data(), &got);
    for (INT i = 0; i < got; ++i) m_families.push_back(std::unique_ptr<Gdiplus::FontFamily>(found[i].Clone()));
}

HFONT BkFontPool::GetFont(unsigned short code, bool dpiAware) {
    const unsigned key = code | (dpiAware ? 0x80000000u : 0u);
    auto it = m_fonts.find(key);
    if (it != m_fonts.end()) return it->second;
    BkDpiSettings& dpi = BkDpiSettings::Instance();
    const BkFontDesc desc = BkFontDescFromCode(code, m_base.lfHeight, dpiAware && dpi.ScalingEnabled(), dpi.Rate());
    LOGFONTW lf = m_base;
    lf.lfHeight = desc.height;
    lf.lfWeight = desc.weight;
    lf.lfItalic = desc.italic;
    lf.lfUnderline = desc.underline;
    HFONT font = CreateFontIndirectW(&lf);
    if (font) m_fonts[key] = font;
    return font;
}

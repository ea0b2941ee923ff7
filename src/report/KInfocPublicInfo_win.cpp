#include <windows.h>

#include <ctime>
#include <cwctype>
#include <string>

#include "common/KIniWrapEx.h"
#include "common/KTime.h"
#include "common/MachineFacts.h"
#include "common/OsVersion.h"
#include "common/RegistryRead.h"
#include "common/TextConv.h"
#include "report/KInfocPublicInfo.h"
#include "report/KProductInfo.h"
#include "shell/Paths.h"

namespace KDirectInfoc {

const wchar_t* const kInstallationIdKey =
    L"CLSID\\{BF56FF80-3803-422B-80A0-9844629C810C}\\IMPLEMENTED CATEGORIES\\"
    L"{C376DC05-16CC-4498-8BF3-1F0D8FF4013A}";

namespace {

std::string ToAnsi(const std::wstring& text) {
    if (text.empty()) return std::string();
    std::string buffer(text.size() * 4 + 1, '\0');
    if (UTF16ToANSI(text.c_str(), buffer.data(), static_cast<int>(buffer.size())) == nullptr) return std::string();
    buffer.resize(std::char_traits<char>::length(buffer.c_str()));
    return buffer;
}

int ReadSetupInt(HKEY key, const wchar_t* name) {
    std::wstring text;
    if (!key || !RegReadString(key, name, text)) return 0;
    return _wtoi(text.c_str());
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The first of the two files that exists, read as INI; empty when neither does.
KIniWrapEx LoadFirstIni(const std::wstring& installDir, const wchar_t* first, const wchar_t* second) {
    KIniWrapEx ini;
    if (installDir.empty()) return ini;  // an empty install dir would read files relative to the current folder
    const std::wstring a = installDir + first;
    ini.Load(FileExists(a) ? a : installDir + second, false);
    return ini;
}

}  // namespace

KPublicFacts KInfocPublicInfo::Gather() {
    KPublicFacts facts;

    ScopedRegKey idKey;
    if (RegOpenForRead(HKEY_CLASSES_ROOT, kInstallationIdKey, RegView::Wow32, idKey)) {
        std::wstring uuid;
        if (RegReadString(idKey.Get(), L"uuid", uuid)) facts.installId = ParseInstallationId(uuid);
    }
    std::wstring svrid;
    if (idKey) RegReadString(idKey.Get(), L"svrid", svrid);
    if (!IsUsableSvrid(svrid)) {
        svrid.clear();
        ScopedRegKey writable;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, kInstallationIdKey, 0, KEY_SET_VALUE | KEY_WOW64_32KEY,
                          writable.Receive()) == ERROR_SUCCESS) {
            RegSetValueExW(writable.Get(), L"svrid", 0, REG_SZ, reinterpret_cast<const BYTE*>(L""), sizeof(wchar_t));
        }
    }
    facts.svrid = ToAnsi(svrid);

    ScopedRegKey setup;
    RegOpenForRead(HKEY_LOCAL_MACHINE, KProductInfo::Instance().SetupKey().c_str(), RegView::Wow32, setup);
    facts.iid = ReadSetupInt(setup.Get(), L"iid");
    facts.tid1 = ReadSetupInt(setup.Get(), L"tid1");
    facts.tid2 = ReadSetupInt(setup.Get(), L"tid2");
    facts.tod1 = ReadSetupInt(setup.Get(), L"tod1");
    facts.tod2 = ReadSetupInt(setup.Get(), L"tod2");
    DWORD installTime = 0;
    if (setup && RegReadDword(setup.Get(), L"installtime", installTime)) {
        facts.installTime = FormatInstallTime(KTime(installTime).ToSystemTime());
    }

    std::wstring installDir = GetInstallPath();
    for (auto& c : installDir) c = static_cast<wchar_t>(std::towlower(c));
    const KIniWrapEx base = LoadFirstIni(installDir, L"data\\baseconfig.dat", L"ressrc\\chs\\uplive.svr");
    const std::wstring tryNo = base.GetString(L"common", L"TryNo");
    facts.tryNo = tryNo.empty() ? kDefaultTryNo : base.GetInt(L"common", L"TryNo");
    const KIniWrapEx version = LoadFirstIni(installDir, L"data\\version.ini", L"ressrc\\chs\\version.ini");
    facts.version =
        ComputeVersionNumber(base.GetString(L"Common", L"Version"), version.GetString(L"infos", L"version"));

    facts.now = static_cast<uint32_t>(std::time(nullptr));
    facts.systemCode = std::to_string(SystemCodeFor(GetOsVersionCode(), GetArchitecture() == 2));
    return facts;
}

}  // namespace KDirectInfoc

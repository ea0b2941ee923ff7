// Drives and directories: removable test, free space, writability, and the choice of the download drive.
// The choice is a pure rule over IDriveProbe (portable, Drives.cpp); the probes that ask the system are in
// Drives_win.cpp. Every function may be called from any thread.
#pragma once

#include <string>

// The folder that receives downloads at the root of the chosen drive.
inline constexpr const wchar_t* kDownloadFolderName = L"velmoraDownload";

// What the download rule needs to know about a drive. Roots are "X:\", the writability probe gets "X:".
class IDriveProbe {
public:
    virtual ~IDriveProbe() = default;
    virtual bool RootExists(const std::wstring& root) = 0;
    virtual bool IsRemovable(const std::wstring& root) = 0;
    virtual unsigned FreeSpaceMB(const std::wstring& root) = 0;
    virtual bool IsWritable(const std::wstring& drive) = 0;
};

// Among C: to Z:, the existing, non-removable, writable drive with the most free space (the earlier letter on a
// tie; at least 1 MB free): "X:\velmoraDownload". "velmoraDownload" (relative) when none qualifies.
// Writability is asked only of a drive that would beat the best so far.
std::wstring ChooseDownloadRoot(IDriveProbe& probe);

// --- Windows only ---

// The probe over the real drives.
IDriveProbe& SystemDriveProbe();

// root is "X:\". DRIVE_REMOVABLE, or a fixed drive on the USB bus.
bool IsRemovableDrive(const std::wstring& root);

// Free space of the drive in whole MB; 0 if the system cannot tell.
unsigned GetFreeSpaceMB(const std::wstring& root);

// Creates and deletes "<dir>\<tick count>_test_write_access.tmp". Only an access-denied failure means not
// writable; any other failure (the file exists, a sharing violation) counts as writable. False for "".
bool IsDirWritable(const std::wstring& dir);

// IsDirWritable with the creation of the probe file replaced: `createProbe` creates and removes the file and
// answers 0 or the Win32 error of the creation.
using CreateProbeFileFn = unsigned long (*)(const std::wstring& probePath);
bool IsDirWritableWith(const std::wstring& dir, CreateProbeFileFn createProbe);

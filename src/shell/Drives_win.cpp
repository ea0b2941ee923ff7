#include <windows.h>
#include <winioctl.h>

#include <cstddef>
#include <cwchar>
#include <vector>

#include "common/ScopedWin.h"
#include "shell/Drives.h"

namespace {

// Probing a drive without media must not bring up the system's "no disk" box.
class QuietCriticalErrors {
public:
    QuietCriticalErrors() { SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &m_previous); }
    ~QuietCriticalErrors() { SetThreadErrorMode(m_previous, nullptr); }
    QuietCriticalErrors(const QuietCriticalErrors&) = delete;
    QuietCriticalErrors& operator=(const QuietCriticalErrors&) = delete;

private:
    DWORD m_previous = 0;
};

bool IsOnUsbBus(wchar_t letter) {
    wchar_t volume[] = L"\\\\.\\C:";
    volume[4] = letter;
    // The property query needs no access rights; asking for read or write access to a volume would need an
    // elevated process, and velmora runs as the user.
    ScopedHandle device(CreateFileW(volume, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!device) return false;

    STORAGE_PROPERTY_QUERY query = {};
    query.PropertyId = StorageDeviceProperty;
    query.QueryType = PropertyStandardQuery;
    STORAGE_DESCRIPTOR_HEADER header = {};
    DWORD returned = 0;
    if (!DeviceIoControl(device.Get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof(query), &header, sizeof(header),
                         &returned, nullptr)) {
        return false;
    }
    constexpr size_t kBusTypeEnd = offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType) + sizeof(STORAGE_BUS_TYPE);
    if (header.Size < kBusTypeEnd) return false;

    std::vector<BYTE> buffer(header.Size);
    if (!DeviceIoControl(device.Get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof(query), buffer.data(),
                         static_cast<DWORD>(buffer.size()), &returned, nullptr) ||
        returned < kBusTypeEnd) {
        return false;
    }
    return reinterpret_cast<const STORAGE_DEVICE_DESCRIPTOR*>(buffer.data())->BusType == BusTypeUsb;
}

unsigned long CreateProbeFile(const std::wstring& probePath) {
    ScopedHandle file(
        CreateFileW(probePath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return GetLastError();
    file.Reset();
    DeleteFileW(probePath.c_str());
    return ERROR_SUCCESS;
}

class SystemProbe : public IDriveProbe {
public:
    bool RootExists(const std::wstring& root) override {
        QuietCriticalErrors quiet;
        return GetFileAttributesW(root.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    bool IsRemovable(const std::wstring& root) override { return IsRemovableDrive(root); }
    unsigned FreeSpaceMB(const std::wstring& root) override { return GetFreeSpaceMB(root); }
    bool IsWritable(const std::wstring& drive) override { return IsDirWritable(drive); }
};

}  // namespace

IDriveProbe& SystemDriveProbe() {
    static SystemProbe probe;
    return probe;
}

bool IsRemovableDrive(const std::wstring& root) {
    if (root.empty()) return false;
    switch (GetDriveTypeW(root.c_str())) {
        case DRIVE_REMOVABLE:
            return true;
        case DRIVE_FIXED:
            return IsOnUsbBus(root[0]);
        default:
            return false;
    }
}

unsigned GetFreeSpaceMB(const std::wstring& root) {
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    QuietCriticalErrors quiet;
    if (!GetDiskFreeSpaceW(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) {
        return 0;
    }
    // In 64 bits: the byte count passes 4 GB on any ordinary disk.
    const unsigned long long freeBytes =
        static_cast<unsigned long long>(freeClusters) * sectorsPerCluster * bytesPerSector;
    return static_cast<unsigned>(freeBytes / 1024 / 1024);
}

bool IsDirWritable(const std::wstring& dir) { return IsDirWritableWith(dir, CreateProbeFile); }

bool IsDirWritableWith(const std::wstring& dir, CreateProbeFileFn createProbe) {
    if (dir.empty()) return false;
    wchar_t name[64];
    std::swprintf(name, 64, L"\\%d_test_write_access.tmp", static_cast<int>(GetTickCount()));
    return createProbe(dir + name) != ERROR_ACCESS_DENIED;
}

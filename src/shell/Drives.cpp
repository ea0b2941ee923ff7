#include "shell/Drives.h"

std::wstring ChooseDownloadRoot(IDriveProbe& probe) {
    wchar_t bestLetter = 0;
    unsigned bestFreeMB = 0;
    for (wchar_t letter = L'C'; letter <= L'Z'; ++letter) {
        const std::wstring drive{letter, L':'};
        const std::wstring root = drive + L'\\';
        if (!probe.RootExists(root) || probe.IsRemovable(root)) continue;
        const unsigned freeMB = probe.FreeSpaceMB(root);
        if (freeMB > bestFreeMB && probe.IsWritable(drive)) {
            bestLetter = letter;
            bestFreeMB = freeMB;
        }
    }
    if (bestLetter == 0) return kDownloadFolderName;
    return std::wstring{bestLetter, L':', L'\\'} + kDownloadFolderName;
}

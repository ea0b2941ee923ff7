// Entry point of velmora.exe: COM for the UI thread, then the main sequence. The single-instance and window
// paths of the main sequence are still to come; for now only the service-start mode does work.
#include <windows.h>

#include <objbase.h>

#include "report/KReportQueue.h"
#include "shell/StartupReport.h"

namespace {

// Sends the one service-start record and returns once the queue's worker has delivered or cached it.
void RunServiceStartReport() {
    KReportQueue& queue = KReportQueue::Instance();
    queue.AddUse();
    queue.PostRecord(BuildServiceStartRecord());
    queue.DropUse();
}

// `mutex` receives the single-instance mutex when one is created.
void MainSequence(HANDLE* mutex) {
    *mutex = nullptr;
    if (IsServiceStartCommandLine(GetCommandLineW())) {
        RunServiceStartReport();
        return;
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const HRESULT com = CoInitialize(nullptr);
    HANDLE mutex = nullptr;
    MainSequence(&mutex);
    if (mutex != nullptr) CloseHandle(mutex);
    if (SUCCEEDED(com)) CoUninitialize();
    return 0;
}

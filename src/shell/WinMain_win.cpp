// Entry point of velmora.exe. The start-up sequence (service-start mode, single instance, main window) grows here.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return 0; }

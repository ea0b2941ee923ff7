// Entry point of velmorasvc.exe. The service host (install, remove, dispatcher) grows here.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return 0; }

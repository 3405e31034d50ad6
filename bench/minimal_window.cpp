// The least a Win32 program does to start: one empty top-level window, shown, and the
// message loop. The start-up benchmark's yardstick for VelumarDichte without velu.ini.

#include <windows.h>

#include "minimal_program.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    const HWND window = minimal::createMainWindow(instance, L"Minimal window");
    if (window == nullptr) return 1;
    return minimal::showAndRun(window, showCommand);
}

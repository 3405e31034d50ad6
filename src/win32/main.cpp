// Entry point of VelumarDichte.exe: starting the program means creating, loading and showing
// the main window.

#include <windows.h>

#include <commctrl.h>

#include "win32/application.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    ::SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
    velu::win32::WindowsProcess process;
    velu::win32::Application application(instance, process);
    application.start(showCommand);
    return application.run();
}

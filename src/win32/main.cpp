// Entry point of VelumarDichte.exe: starting the program means creating, loading and showing
// the main window.

#include <windows.h>

#include <commctrl.h>

#include "common/program_texts.h"
#include "win32/application.h"
#include "win32/creation_error.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // Engineers start tools from a download folder or a network share, where anyone may have
    // put a DLL named like one of Windows': a DLL the program loads later by name comes from
    // System32 only, never from the program's folder, the current folder or PATH.
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    ::SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES |
                                                       ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    velu::win32::WindowsProcess process;
    velu::win32::Application application(instance, process);
    try {
        application.start(showCommand);
    } catch (const velu::win32::CreationError& error) {
        // No window with a part missing: the user learns which part and why.
        ::MessageBoxW(nullptr, error.text().c_str(),
                      std::wstring(velu::texts::kApplicationTitle).c_str(), MB_OK | MB_ICONERROR);
        return 1;
    }
    return application.run();
}

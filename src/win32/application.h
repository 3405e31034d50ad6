#pragma once
// The running program: the platform services, the main window's model and its Win32 window,
// and the message loop. Tests create it in-process with a process service of their own.

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "about/about_box.h"
#include "app/main_window.h"
#include "assembly/assembly_window.h"
#include "win32/com_automation.h"
#include "win32/form_window.h"
#include "win32/platform_services.h"
#include "win32/save_dialog.h"

namespace velu::win32 {

class Application {
  public:
    Application(HINSTANCE instance, Process& process);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Creates the main window, runs its load handler, then shows it.
    void start(int showCommand);
    // Runs the message loop until the last window is gone; returns the exit code.
    int run();
    // Handles one message the way the loop does; false when it was WM_QUIT.
    bool dispatch(MSG& message);

    // Opens the one About box, or brings it forward when it is open.
    void openAbout();
    // Opens the assembly window, owned by the main window and modal to it, and returns when
    // it is closed.
    void openAssembly(assembly::AssemblyTask task);
    // Runs as soon as the assembly window shows, while it is open (the tests drive it).
    void whenAssemblyOpens(std::function<void()> work) { assemblyOpened_ = std::move(work); }

    app::MainWindow& mainWindow() { return *mainWindow_; }
    // The About box and its window while it is open; nothing otherwise.
    about::AboutBox* aboutBox() { return about_ ? about_->box.get() : nullptr; }
    FormWindow* aboutWindow() { return about_ ? about_->window.get() : nullptr; }
    FormWindow& mainFormWindow() { return *mainFormWindow_; }
    // The assembly window and its window while it is open; nothing otherwise.
    assembly::AssemblyWindow* assemblyWindow() { return assembly_ ? assembly_->box : nullptr; }
    FormWindow* assemblyFormWindow() { return assembly_ ? assembly_->window : nullptr; }

  private:
    // One opening of the About box: its model, its window, and the boxes its handlers show,
    // which that window owns.
    struct AboutInstance {
        WindowsMessageBoxes boxes;
        std::unique_ptr<about::AboutBox> box;
        std::unique_ptr<FormWindow> window;
    };

    void openNewAbout();
    void windowClosed();
    void aboutClosed();
    // Discards the closed About boxes whose handlers have returned; the others follow when
    // theirs return.
    void discardClosedAbout();

    HINSTANCE instance_;
    ComApartment apartment_;
    WindowsMessageBoxes boxes_;
    WindowsFileSystem files_;
    WindowsAnsiCodePage ansi_;
    WindowsLocale locale_;
    WindowsFileNames fileNames_;
    // The assembly window's: the dialog remembers its folder from one opening to the next.
    WindowsSaveDialog saveDialog_;
    WindowsFileWriter fileWriter_;
    WindowsClipboard clipboard_;
    ComAutomation automation_;
    config::ProfileReader profiles_{files_, ansi_};
    WindowsRegistry registry_;
    WindowsPrograms programs_;
    std::unique_ptr<app::MainWindow> mainWindow_;
    std::unique_ptr<FormWindow> mainFormWindow_;
    std::unique_ptr<AboutInstance> about_;
    struct OpenAssembly {
        assembly::AssemblyWindow* box;
        FormWindow* window;
    };
    std::optional<OpenAssembly> assembly_;
    std::function<void()> assemblyOpened_;
    std::vector<std::unique_ptr<AboutInstance>> closedAbout_;
    int openWindows_ = 0;
};

}  // namespace velu::win32

#pragma once
// The running program: the platform services, the main window's model and its Win32 window,
// and the message loop. Tests create it in-process with a process service of their own.

#include <windows.h>

#include <memory>

#include "about/about_box.h"
#include "app/main_window.h"
#include "win32/com_automation.h"
#include "win32/form_window.h"
#include "win32/platform_services.h"

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

    app::MainWindow& mainWindow() { return *mainWindow_; }
    // The About box while it is open; nothing otherwise.
    about::AboutBox* aboutBox() { return aboutBox_.get(); }
    FormWindow* aboutWindow() { return aboutWindow_.get(); }
    FormWindow& mainFormWindow() { return *mainFormWindow_; }
    WindowsMessageBoxes& boxes() { return boxes_; }

  private:
    void windowClosed();
    void aboutClosed();

    HINSTANCE instance_;
    ComApartment apartment_;
    WindowsMessageBoxes boxes_;
    WindowsFileSystem files_;
    WindowsAnsiCodePage ansi_;
    WindowsLocale locale_;
    ComAutomation automation_;
    WindowsLayer layer_;
    WindowsRegistry registry_;
    WindowsPrograms programs_;
    std::unique_ptr<app::MainWindow> mainWindow_;
    std::unique_ptr<FormWindow> mainFormWindow_;
    std::unique_ptr<about::AboutBox> aboutBox_;
    std::unique_ptr<FormWindow> aboutWindow_;
    unsigned aboutGeneration_ = 0;  // counts the openings, so a late release spares a new box
    int openWindows_ = 0;
};

}  // namespace velu::win32

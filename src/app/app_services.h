#pragma once
// The platform services the windows of the program work with, handed in at start.

#include "cad/automation.h"
#include "common/services.h"

namespace velu::forms {
class Form;
}

namespace velu::app {

// Keeps a window above all others, or lets it be an ordinary window again.
class WindowLayer {
  public:
    virtual ~WindowLayer() = default;
    // SetWindowPos with HWND_TOPMOST or HWND_NOTOPMOST and SWP_NOSIZE | SWP_NOMOVE on the
    // window that shows the form; the result is not examined.
    virtual void setTopmost(const forms::Form& form, bool topmost) = 0;
};

struct AppServices {
    MessageBoxes& boxes;
    const FileSystem& files;
    const AnsiCodePage& ansi;
    const Locale& locale;
    Process& process;
    cad::Automation& automation;
    WindowLayer& layer;
};

}  // namespace velu::app

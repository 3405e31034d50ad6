#pragma once
// The platform services the windows of the program work with, handed in at start.

#include "common/services.h"

namespace velu::app {

struct AppServices {
    MessageBoxes& boxes;
    const FileSystem& files;
    const AnsiCodePage& ansi;
    const Locale& locale;
    Process& process;
};

}  // namespace velu::app

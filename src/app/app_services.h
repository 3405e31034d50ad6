#pragma once
// The services the main window works with, handed in at start.

#include "cad/automation.h"
#include "common/services.h"
#include "config/ini_file.h"

namespace velu::app {

struct AppServices {
    MessageBoxes& boxes;
    const FileSystem& files;
    const Locale& locale;
    Process& process;
    cad::Automation& automation;
    // The profile reader both windows read their files with.
    config::ProfileReader& profiles;
};

}  // namespace velu::app

#pragma once
// LoadFormTexts: putting the texts of the interface text file on the controls of a window.

#include <string>

#include "common/services.h"
#include "config/ini_file.h"
#include "forms/form.h"

namespace velu::config {

// Reads the section "<window>.<control>" of default.ini beside the program for every control
// of the window, in order, and by the control's kind sets its caption, tool tip, list entries
// and selection. Every key is read with the control's present value as its default, so a
// missing key changes nothing. Knows no window in particular.
void LoadFormTexts(forms::Form& window, ProfileReader& profiles, const FileSystem& files);

}  // namespace velu::config

#pragma once
// modVelumarDichte: putting the texts of the interface text file on the controls of a window.

#include <string>

#include "common/services.h"
#include "config/ini_file.h"
#include "forms/form.h"

namespace velu::modVelumarDichte {

// True for an existing ordinary file; false for the empty path, directories, hidden and
// system files, and whatever cannot be searched.
bool FileExists(const FileSystem& files, const std::wstring& path);

// Reads the section "<window>.<control>" of default.ini beside the program for every control
// of the window, in order, and by the control's kind sets its caption, tool tip, list entries
// and selection. Every key is read with the control's present value as its default, so a
// missing key changes nothing. Knows no window in particular.
void LoadFormTexts(forms::Form& window, config::ProfileReader& profiles, const FileSystem& files);

}  // namespace velu::modVelumarDichte

#pragma once
// The density catalogue: the materials offered in the main window, from velu.ini or built in.

#include <cstdint>
#include <string>
#include <vector>

#include "common/services.h"
#include "config/ini_file.h"

namespace velu::config {

struct DensityCatalogue {
    std::vector<std::wstring> names;  // MaterialNames
    std::vector<double> densities;    // MaterialDensities, kg/m³
    std::int16_t defaultIndex = 0;    // entry selected at start-up
    // What the user is to be told about the file, in order.
    std::vector<Notice> notices;
};

// "Wasser" 1000, "Aluminium" 2700, "Stahl" 7850 kg/m³, "Stahl" selected.
DensityCatalogue builtInCatalogue();

// Reads section "Dichtewerte" of the catalogue file: "Anzahl" (highest index, -1 when the
// file gives no catalogue), "default", and "Name"/"Wert" + index. A density that is absent,
// empty or not a number in the user's format, or an "Anzahl" below -1, gives one warning
// naming the file, key and text, and the built-in catalogue; a "default" that names no entry
// gives a warning and the first entry. A number that does not fit into 16 bits gives the
// overflow notice and counts as 0.
DensityCatalogue loadDensityCatalogue(const ProfileFile& file, wchar_t decimalSeparator);

}  // namespace velu::config

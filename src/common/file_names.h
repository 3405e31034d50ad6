#pragma once
// The program's two configuration files, beside the executable, and the section of the
// catalogue: named here once for whoever reads them or reports about them.

#include <string>
#include <string_view>

#include "common/services.h"

namespace velu {

inline constexpr std::wstring_view kCatalogueSection = L"Dichtewerte";

// velu.ini beside the running executable: the density catalogue.
inline std::wstring catalogueFile(const FileSystem& files) {
    return files.executableDirectory() + L"\\velu.ini";
}

// default.ini beside the running executable: the interface texts and the message table.
inline std::wstring interfaceTextFile(const FileSystem& files) {
    return files.executableDirectory() + L"\\default.ini";
}

}  // namespace velu

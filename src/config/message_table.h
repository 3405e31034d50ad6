#pragma once
// The message table: the texts of the boxes of the density transfer and readout.

#include <array>
#include <string>
#include <vector>

#include "config/ini_file.h"

namespace velu::config {

// The fixed roles of the entries 0 to 6.
enum MessageRole : std::size_t {
    kBoxTitle = 0,
    kSuccess = 1,
    kNotAPart = 2,
    kNoDocument = 3,
    kNothingWritten = 4,
    kSystemDefaultInstead = 5,
    kFailure = 6,
};

inline constexpr std::size_t kMessageRoles = 7;

// The built-in English texts, by role.
const std::array<std::wstring, kMessageRoles>& builtInMessages();

// Reads section "messages": "AnzahlInfo" (highest index; -1 when the file gives no table) and
// "Info" + index. A table whose highest index is below 6 is completed with the built-in texts
// of the missing roles, so that every box has its text.
std::vector<std::wstring> loadMessageTable(IniFile& ini, const std::wstring& path);

}  // namespace velu::config

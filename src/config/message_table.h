#pragma once
// The message table: the texts of the boxes of the density transfer and readout.

#include <array>
#include <string>
#include <vector>

#include "common/services.h"
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

struct MessageTable {
    std::vector<std::wstring> texts;  // MessageTexts
    // What the user is to be told about the file.
    std::vector<Notice> notices;
};

// Reads section "messages": "AnzahlInfo" (highest index; -1 when the file gives no table) and
// "Info" + index. A table whose highest index is below 6 is completed with the built-in texts
// of the missing roles, so that every box has its text. A highest index that does not fit
// into 16 bits gives the overflow notice and counts as 0.
MessageTable loadMessageTable(const ProfileFile& file);

}  // namespace velu::config

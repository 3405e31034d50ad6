#pragma once
// The program's built-in message texts by their role, so that the tests expect what the
// program shows for a role rather than a copy of its words.

#include <string>

#include "config/message_table.h"

namespace velu::testing {

inline const std::wstring& builtIn(config::MessageRole role) {
    return config::builtInMessages()[role];
}

}  // namespace velu::testing

#pragma once
// Turns the bytes of a profile file into text.

#include <string>
#include <string_view>

#include "common/services.h"

namespace velu::config {

// A file that starts with a UTF-8 or UTF-16 (LE or BE) byte-order mark is decoded
// accordingly; a file without a mark whose bytes are valid UTF-8 and include non-ASCII
// characters is read as UTF-8; every other file is read in the ANSI code page.
std::wstring decodeProfileBytes(std::string_view bytes, const AnsiCodePage& ansi);

}  // namespace velu::config

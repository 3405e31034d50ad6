#pragma once
// Turns the bytes of a profile file into text.

#include <string>
#include <string_view>

#include "common/services.h"

namespace velu::config {

// How the bytes of a profile file were read.
enum class TextEncoding {
    Ansi,          // the system's ANSI code page
    Utf8,          // valid UTF-8 with non-ASCII characters, without a byte-order mark
    Utf8WithMark,  // a UTF-8 byte-order mark and valid UTF-8 after it
    Utf16LittleEndian,
    Utf16BigEndian,
    AnsiAfterUtf8Mark,  // a UTF-8 byte-order mark, but the bytes after it are no valid UTF-8
};

struct DecodedProfile {
    std::wstring text;
    TextEncoding encoding;
};

// A file that starts with a UTF-8 or UTF-16 (LE or BE) byte-order mark is decoded
// accordingly; a file without a mark whose bytes are valid UTF-8 and include non-ASCII
// characters is read as UTF-8; every other file is read in the ANSI code page.
DecodedProfile decodeProfileBytes(std::string_view bytes, const AnsiCodePage& ansi);

}  // namespace velu::config

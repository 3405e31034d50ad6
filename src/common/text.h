#pragma once
// Small helpers for UTF-16/UTF-32 wide strings that the whole program shares.

#include <string>
#include <string_view>

namespace velu {

// Appends one Unicode code point, as a surrogate pair where wchar_t is 16 bits wide.
void appendCodePoint(std::wstring& text, char32_t codePoint);

// Converts ASCII text (names and keys of the program) to a wide string.
std::wstring widen(std::string_view ascii);

// Wide text as UTF-8, for logs and test output.
std::string toUtf8(std::wstring_view text);

}  // namespace velu

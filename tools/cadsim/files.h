// Whole-file reads and writes for the state file and the log.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cadsim::win {

// The bytes of a file; nullopt if it cannot be read (e.g. it does not exist).
std::optional<std::string> readFile(const std::wstring& path);
// Replaces the file's contents so that a reader sees either the old or the new text.
bool writeFileReplacing(const std::wstring& path, std::string_view text);
// Appends text in one write; the file is closed again at once, so other processes see it.
bool appendToFile(const std::wstring& path, std::string_view text);

}  // namespace cadsim::win

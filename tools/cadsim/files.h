// Whole-file reads and writes for the state file and the log.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "win32/support/file_bytes.h"
#include "win32/support/handles.h"

namespace cadsim::win {

// The bytes of a file (velu::win32::readFileBytes); nothing if it cannot be read.
using velu::win32::readFileBytes;
// Replaces the file's contents so that a reader sees either the old or the new text.
bool writeFileReplacing(const std::wstring& path, std::string_view text);
// Appends text in one write; the file is closed again at once, so other processes see it.
bool appendToFile(const std::wstring& path, std::string_view text);
// Empties a file that exists, also while another process appends to it (an AppendedFile
// starts anew); deleting it instead would, under Wine, wait for that process to close it.
bool emptyFile(const std::wstring& path);

// A file that lines are appended to, kept open between them so that a line costs one write.
// Others may read it at any time. Should another program delete, empty or replace it, the next
// line starts the file anew: its size no longer being what was written tells.
class AppendedFile {
  public:
    explicit AppendedFile(std::wstring path) : path_(std::move(path)) {}
    bool append(std::string_view text);

  private:
    std::wstring path_;
    velu::win32::UniqueKernelHandle file_;
    std::uint64_t size_ = 0;  // what the file holds as far as this process knows
};

}  // namespace cadsim::win

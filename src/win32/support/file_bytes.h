#pragma once
// The whole content of a file, for the program, the CAD stand-in and the tests alike.

#include <windows.h>

#include <optional>
#include <string>

#include "win32/support/handles.h"

namespace velu::win32 {

// The bytes of a file, read while others may go on writing, replacing or deleting it.
// Nothing when it cannot be opened or a read fails: never a part of it.
inline std::optional<std::string> readFileBytes(const std::wstring& path) {
    const UniqueKernelHandle file(::CreateFileW(
        path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::string content;
    char chunk[64 * 1024];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr)) return std::nullopt;
        if (read == 0) return content;
        content.append(chunk, read);
    }
}

}  // namespace velu::win32

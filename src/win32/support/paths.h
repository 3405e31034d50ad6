#pragma once
// Paths the program and its tools work out at run time: their own file, its folder, and
// the full form of a path given relative to the current folder.

#include <windows.h>

#include <string>

namespace velu::win32 {

// The running program's file; the buffer grows for paths longer than MAX_PATH.
inline std::wstring executablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// The folder of a file, without a trailing backslash; "." for a bare file name.
inline std::wstring directoryOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

inline std::wstring executableDirectory() {
    return directoryOf(executablePath());
}

// The path made absolute against the current folder; as given when that fails.
inline std::wstring fullPath(const std::wstring& path) {
    if (path.empty()) return path;
    const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::wstring full(size, L'\0');
    full.resize(::GetFullPathNameW(path.c_str(), size, full.data(), nullptr));
    return full;
}

}  // namespace velu::win32

#include "files.h"

#include <windows.h>

#include "win32/support/handles.h"

namespace cadsim::win {

namespace {

using velu::win32::UniqueKernelHandle;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool writeAll(HANDLE file, std::string_view text) {
    while (!text.empty()) {
        DWORD written = 0;
        const DWORD chunk = text.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(text.size());
        if (!WriteFile(file, text.data(), chunk, &written, nullptr) || written == 0) return false;
        text.remove_prefix(written);
    }
    return true;
}

bool writeNew(const std::wstring& path, std::string_view text) {
    UniqueKernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, kShareAll, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && writeAll(file.get(), text);
}

}  // namespace

std::optional<std::string> readFile(const std::wstring& path) {
    UniqueKernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::string data;
    char buffer[16384];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) return std::nullopt;
        if (got == 0) break;
        data.append(buffer, got);
    }
    return data;
}

bool writeFileReplacing(const std::wstring& path, std::string_view text) {
    const std::wstring temp = path + L".cadsim-tmp";
    if (writeNew(temp, text) && MoveFileExW(temp.c_str(), path.c_str(),
                                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    DeleteFileW(temp.c_str());
    // Replacing fails while another program holds the file open without delete sharing;
    // then overwrite it in place.
    return writeNew(path, text);
}

bool appendToFile(const std::wstring& path, std::string_view text) {
    UniqueKernelHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, kShareAll, nullptr,
                                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && writeAll(file.get(), text);
}

}  // namespace cadsim::win

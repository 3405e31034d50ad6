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

bool emptyFile(const std::wstring& path) {
    const UniqueKernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, kShareAll, nullptr,
                                              TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
}

bool AppendedFile::append(std::string_view text) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    const bool exists = GetFileAttributesExW(path_.c_str(), GetFileExInfoStandard, &data) != 0;
    const std::uint64_t size =
        exists ? (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow : 0;
    if (!file_ || !exists || size != size_) {
        // Closing first lets a deletion another program asked for happen (Wine keeps a deleted
        // file that is still open until it is closed).
        file_.reset();
        file_.reset(CreateFileW(path_.c_str(), FILE_APPEND_DATA, kShareAll, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER opened{};
        if (!file_ || !GetFileSizeEx(file_.get(), &opened)) return false;
        size_ = static_cast<std::uint64_t>(opened.QuadPart);
    }
    if (!writeAll(file_.get(), text)) {
        file_.reset();
        return false;
    }
    size_ += text.size();
    return true;
}

bool appendToFile(const std::wstring& path, std::string_view text) {
    UniqueKernelHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, kShareAll, nullptr,
                                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && writeAll(file.get(), text);
}

}  // namespace cadsim::win

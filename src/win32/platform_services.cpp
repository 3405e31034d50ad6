#include "win32/platform_services.h"

#include <objbase.h>

#include <vector>

#include "win32/scoped.h"

namespace velu::win32 {

void WindowsMessageBoxes::show(const std::wstring& text, const std::wstring& title,
                               BoxStyle style) {
    const HWND owner = ::IsWindow(owner_) ? owner_ : nullptr;
    ::MessageBoxW(owner, text.c_str(), title.c_str(), MB_OK | static_cast<UINT>(style));
}

std::wstring WindowsFileSystem::executableDirectory() const {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size()) {
            std::wstring path(buffer.data(), length);
            return path.substr(0, path.find_last_of(L"\\/"));
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::optional<FileStamp> WindowsFileSystem::stamp(const std::wstring& path) const {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
    FileStamp result;
    result.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    result.modified = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
        data.ftLastWriteTime.dwLowDateTime);
    return result;
}

std::optional<std::string> WindowsFileSystem::readAll(const std::wstring& path) const {
    UniqueKernelHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        return std::nullopt;
    }
    std::string content;
    char chunk[64 * 1024];
    DWORD read = 0;
    while (::ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr) && read > 0) {
        content.append(chunk, read);
    }
    return content;
}

bool WindowsFileSystem::isOrdinaryFile(const std::wstring& path) const {
    if (path.empty()) return false;
    WIN32_FIND_DATAW data{};
    UniqueFind search(::FindFirstFileW(path.c_str(), &data));
    if (!search.valid()) return false;
    constexpr DWORD kNotOrdinary =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    return (data.dwFileAttributes & kNotOrdinary) == 0 && data.cFileName[0] != L'\0';
}

std::wstring WindowsAnsiCodePage::decode(std::string_view bytes) const {
    if (bytes.empty()) return {};
    const int length =
        ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                          length);
    return text;
}

wchar_t WindowsLocale::decimalSeparator() const {
    wchar_t separator[8] = {};
    if (::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) > 0 &&
        separator[0] != L'\0') {
        return separator[0];
    }
    return L'.';
}

void WindowsProcess::endNow() {
    ::ExitProcess(0);
}

void WindowsLayer::setTopmost(const forms::Form& form, bool topmost) {
    ::SetWindowPos(windowOf_(form), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE);
}

ComApartment::ComApartment()
    : initialized_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}

ComApartment::~ComApartment() {
    if (initialized_) ::CoUninitialize();
}

}  // namespace velu::win32

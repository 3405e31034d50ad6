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
    const HANDLE opened =
        ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return std::nullopt;
    const UniqueKernelHandle file(opened);
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

namespace {

// The ANSI code page's form of a text, for the registry's A functions.
std::string toAnsi(const std::wstring& text) {
    if (text.empty()) return {};
    const int length = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()),
                                             nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(),
                          length, nullptr, nullptr);
    return bytes;
}

}  // namespace

HKEY predefinedKey(std::uint32_t root) {
    // The predefined keys are 32-bit values that the SDK widens with their sign
    // (HKEY_LOCAL_MACHINE is 0xFFFFFFFF80000002 in a 64-bit program).
    return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(root)));
}

about::Registry::Status WindowsRegistry::read(std::uint32_t root, const std::wstring& key,
                                              const std::wstring& value, std::size_t bufferSize,
                                              Value& delivered) {
    HKEY opened = nullptr;
    // Reading needs no more than KEY_QUERY_VALUE, which a standard user is granted under HKLM.
    if (::RegOpenKeyExA(predefinedKey(root), toAnsi(key).c_str(), 0, KEY_QUERY_VALUE, &opened) !=
        ERROR_SUCCESS) {
        return Status::KeyNotOpened;
    }
    UniqueKey owned(opened);
    std::string buffer(bufferSize, '\0');
    DWORD type = 0;
    auto size = static_cast<DWORD>(buffer.size());
    if (::RegQueryValueExA(owned.get(), toAnsi(value).c_str(), nullptr, &type,
                           reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS) {
        return Status::ValueNotRead;
    }
    delivered.type = type;
    delivered.bytes = buffer.substr(0, size);
    return Status::Read;
}

bool WindowsPrograms::start(const std::wstring& programFile) {
    // The path is the program file itself, so a path with blanks cannot start another program.
    std::wstring commandLine = L"\"" + programFile + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(programFile.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                          nullptr, nullptr, &startup, &started)) {
        return false;
    }
    UniqueKernelHandle process(started.hProcess);
    UniqueKernelHandle thread(started.hThread);
    return true;
}

std::wstring WindowsPrograms::systemDirectory() const {
    wchar_t directory[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(directory, MAX_PATH);
    return std::wstring(directory, length < MAX_PATH ? length : 0);
}

ComApartment::ComApartment()
    : initialized_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}

ComApartment::~ComApartment() {
    if (initialized_) ::CoUninitialize();
}

}  // namespace velu::win32

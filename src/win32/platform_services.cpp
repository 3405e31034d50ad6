#include "win32/platform_services.h"

#include <algorithm>
#include <cstring>

#include "win32/com_automation.h"
#include "win32/support/ansi.h"
#include "win32/support/file_bytes.h"
#include "win32/support/handles.h"
#include "win32/support/paths.h"

namespace velu::win32 {

void WindowsMessageBoxes::show(const std::wstring& text, const std::wstring& title,
                               BoxStyle style) {
    const HWND owner = ::IsWindow(owner_) ? owner_ : nullptr;
    ::MessageBoxW(owner, text.c_str(), title.c_str(), MB_OK | static_cast<UINT>(style));
}

std::wstring WindowsFileSystem::executableDirectory() const {
    return win32::executableDirectory();
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
    return readFileBytes(path);
}

bool WindowsFileSystem::isOrdinaryFile(const std::wstring& path) const {
    if (path.empty()) return false;
    WIN32_FIND_DATAW data{};
    const UniqueFind search(::FindFirstFileW(path.c_str(), &data));
    if (!search) return false;
    constexpr DWORD kNotOrdinary =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    return (data.dwFileAttributes & kNotOrdinary) == 0 && data.cFileName[0] != L'\0';
}

std::wstring WindowsAnsiCodePage::decode(std::string_view bytes) const {
    return fromAnsi(bytes);
}

// The file system's own comparison: ordinal, each character upper-cased by the system's
// table, whatever the user's language.
int WindowsFileNames::compare(std::wstring_view a, std::wstring_view b) const {
    const int order = ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                             static_cast<int>(b.size()), TRUE);
    return order == 0 ? a.compare(b) : order - CSTR_EQUAL;
}

namespace {

// The system's text for the error the last failed call left.
std::wstring lastErrorText() {
    return systemErrorText(static_cast<HRESULT>(::GetLastError()));
}

// A new file beside the target, open for writing while it is written; removed again unless
// it was moved into the target's place.
class FileBeside {
  public:
    explicit FileBeside(const std::wstring& target) {
        for (unsigned attempt = 0; attempt < 100 && !file_; ++attempt) {
            path_ = target + L"." + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                    std::to_wstring(attempt) + L".tmp";
            file_.reset(::CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file_ && ::GetLastError() != ERROR_FILE_EXISTS) break;
        }
        if (!file_) path_.clear();
    }
    FileBeside(const FileBeside&) = delete;
    FileBeside& operator=(const FileBeside&) = delete;
    ~FileBeside() {
        file_.reset();
        if (!path_.empty()) ::DeleteFileW(path_.c_str());
    }
    explicit operator bool() const { return static_cast<bool>(file_); }

    bool write(std::string_view bytes) {
        while (!bytes.empty()) {
            DWORD written = 0;
            const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
            if (!::WriteFile(file_.get(), bytes.data(), chunk, &written, nullptr) || written == 0) {
                return false;
            }
            bytes.remove_prefix(written);
        }
        return ::FlushFileBuffers(file_.get()) != FALSE;
    }
    // Closes the file and moves it into the target's place, replacing what is there.
    bool moveTo(const std::wstring& target) {
        file_.reset();
        if (!::MoveFileExW(path_.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return false;
        }
        path_.clear();
        return true;
    }

  private:
    std::wstring path_;
    UniqueKernelHandle file_;
};

}  // namespace

std::optional<std::wstring> WindowsFileWriter::replaceWhole(const std::wstring& path,
                                                            std::string_view bytes) {
    FileBeside written(path);
    if (!written || !written.write(bytes) || !written.moveTo(path)) return lastErrorText();
    return std::nullopt;
}

std::optional<std::wstring> WindowsClipboard::putText(const std::wstring& text) {
    const OpenClipboard clipboard(::IsWindow(owner_) ? owner_ : nullptr);
    if (!clipboard || !::EmptyClipboard()) return lastErrorText();
    const std::size_t size = (text.size() + 1) * sizeof(wchar_t);
    UniqueGlobal memory(::GlobalAlloc(GMEM_MOVEABLE, size));
    if (!memory) return lastErrorText();
    {
        const LockedGlobal locked(memory.get());
        if (!locked.data()) return lastErrorText();
        std::memcpy(locked.data(), text.c_str(), size);
    }
    if (!::SetClipboardData(CF_UNICODETEXT, memory.get())) return lastErrorText();
    // The clipboard owns the memory now.
    memory.release();
    return std::nullopt;
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

HKEY predefinedKey(std::uint32_t root) {
    // The predefined keys are 32-bit values that the SDK widens with their sign
    // (HKEY_LOCAL_MACHINE is 0xFFFFFFFF80000002 in a 64-bit program).
    return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(root)));
}

about::Registry::Status WindowsRegistry::read(std::uint32_t root, const std::wstring& key,
                                              const std::wstring& value, std::size_t bufferSize,
                                              Value& delivered) {
    UniqueKey owned;
    // Reading needs no more than KEY_QUERY_VALUE, which a standard user is granted under HKLM.
    if (::RegOpenKeyExA(predefinedKey(root), toAnsi(key).c_str(), 0, KEY_QUERY_VALUE,
                        owned.put()) != ERROR_SUCCESS) {
        return Status::KeyNotOpened;
    }
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
    // Nothing waits for the program: its handles are closed at once.
    const UniqueKernelHandle process(started.hProcess);
    const UniqueKernelHandle thread(started.hThread);
    return true;
}

std::wstring WindowsPrograms::systemDirectory() const {
    wchar_t directory[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(directory, MAX_PATH);
    return std::wstring(directory, length < MAX_PATH ? length : 0);
}

}  // namespace velu::win32

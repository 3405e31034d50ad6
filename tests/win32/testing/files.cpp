#include "testing/files.h"

#include <windows.h>

#include "support/text.h"
#include "win32/support/handles.h"
#include "win32/support/paths.h"

namespace velu::testing {

std::wstring windowsPath(const char* unixPath) {
    std::wstring path = L"Z:" + text::fromUtf8(unixPath);
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    return path;
}

std::wstring besideProgram(const wchar_t* name) {
    return win32::executableDirectory() + L"\\" + name;
}

bool writeFile(const std::wstring& path, std::string_view bytes) {
    const win32::UniqueKernelHandle file(::CreateFileW(
        path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file &&
           ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr) &&
           written == bytes.size();
}

FileBesideProgram::FileBesideProgram(const wchar_t* name, const std::string& bytes)
    : path_(besideProgram(name)) {
    writeFile(path_, bytes);
}

FileBesideProgram::~FileBesideProgram() {
    ::DeleteFileW(path_.c_str());
}

}  // namespace velu::testing

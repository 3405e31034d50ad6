#pragma once
// Files the Windows tests and the benchmarks use: the build's files (known by their Unix
// paths) as the programs under Wine see them, files beside the test program, files written
// whole.

#include <string>
#include <string_view>

namespace velu::testing {

// A Unix path as Wine shows it to Windows programs (the Unix root is drive Z:).
std::wstring windowsPath(const char* unixPath);

// A file in the test program's folder.
std::wstring besideProgram(const wchar_t* name);

// Writes the file anew with exactly these bytes; false when that failed.
bool writeFile(const std::wstring& path, std::string_view bytes);

// A file beside the test program, removed again at the end.
class FileBesideProgram {
  public:
    FileBesideProgram(const wchar_t* name, const std::string& bytes);
    ~FileBesideProgram();
    FileBesideProgram(const FileBesideProgram&) = delete;
    FileBesideProgram& operator=(const FileBesideProgram&) = delete;

  private:
    std::wstring path_;
};

}  // namespace velu::testing

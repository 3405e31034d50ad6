#pragma once
// The services the portable core asks of the platform. Each has one implementation in
// src/win32/ and fakes in the tests.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velu {

// Styles of a modal message box with an OK button only.
enum class BoxStyle : int {
    Plain = 0,
    Stop = 16,         // MB_ICONERROR
    Warning = 48,      // MB_ICONWARNING
    Information = 64,  // MB_ICONINFORMATION
};

// A box the program has to show: what its decisions hand to whoever shows boxes.
struct Notice {
    std::wstring text;
    std::wstring title;
    BoxStyle style = BoxStyle::Plain;
    bool operator==(const Notice&) const = default;
};

class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    // Shows the box modally and returns when the user has closed it.
    virtual void show(const std::wstring& text, const std::wstring& title, BoxStyle style) = 0;
    void report(const Notice& notice) { show(notice.text, notice.title, notice.style); }
};

// What a profile reader needs to know to decide whether its index is still current.
struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t modified = 0;
    bool operator==(const FileStamp&) const = default;
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;
    // Directory of the running executable, without a trailing backslash.
    virtual std::wstring executableDirectory() const = 0;
    // Size and modification time of an ordinary file; nothing when it cannot be read.
    virtual std::optional<FileStamp> stamp(const std::wstring& path) const = 0;
    // Whole content of a file; nothing when it cannot be read.
    virtual std::optional<std::string> readAll(const std::wstring& path) const = 0;
    // True for an existing ordinary file: not a directory, not hidden, not a system file.
    virtual bool isOrdinaryFile(const std::wstring& path) const = 0;
};

// True for an existing ordinary file; false for the empty path, directories, hidden and
// system files, and whatever cannot be searched.
inline bool FileExists(const FileSystem& files, const std::wstring& path) {
    return !path.empty() && files.isOrdinaryFile(path);
}

// File names compared as Windows compares them: every letter in either case is the same
// letter, not only those of ASCII.
class FileNames {
  public:
    virtual ~FileNames() = default;
    // Less than, equal to or greater than zero as `a` comes before, is the same name as, or
    // comes after `b`.
    virtual int compare(std::wstring_view a, std::wstring_view b) const = 0;
};

// Where the user wants a file saved: the platform's standard "Save As" dialog, owned by the
// window that asks.
struct SaveRequest {
    std::wstring fileType;  // what the dialog's file type list shows
    std::wstring pattern;   // the file names of that type, "*.csv"
    std::wstring suggestedName;
};

class SaveDialog {
  public:
    virtual ~SaveDialog() = default;
    // The full path the user chose; nothing when the dialog was cancelled.
    virtual std::optional<std::wstring> chooseFile(const SaveRequest& request) = 0;
};

class FileWriter {
  public:
    virtual ~FileWriter() = default;
    // Writes the bytes as the whole file, whole or not at all: beside it under a temporary
    // name, then in its place. Nothing when that worked; else the system's reason, and a file
    // that was there is as it was.
    virtual std::optional<std::wstring> replaceWhole(const std::wstring& path,
                                                     std::string_view bytes) = 0;
};

class Clipboard {
  public:
    virtual ~Clipboard() = default;
    // Puts the text on the clipboard as Unicode text; nothing when that worked, else the
    // system's reason.
    virtual std::optional<std::wstring> putText(const std::wstring& text) = 0;
};

// Conversion of 8-bit text in the system's ANSI code page.
class AnsiCodePage {
  public:
    virtual ~AnsiCodePage() = default;
    virtual std::wstring decode(std::string_view bytes) const = 0;
};

class Locale {
  public:
    virtual ~Locale() = default;
    // The user's decimal separator, for example ',' under a German locale.
    virtual wchar_t decimalSeparator() const = 0;
};

class Process {
  public:
    virtual ~Process() = default;
    // Ends the program at once: no further handler runs, every window closes.
    virtual void endNow() = 0;
};

}  // namespace velu

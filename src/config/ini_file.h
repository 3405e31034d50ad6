#pragma once
// modINIFile: the program's only way of reading its profile files.
//
// Each file is parsed once into an index and parsed again only when its size or
// modification time changes, so a lookup costs the same whatever the file's size. The
// answers are those of the Windows profile functions, with three intended differences that
// docs/architecture.md lists (byte-order marks and UTF-8, defaults returned unchanged).

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "common/services.h"
#include "config/profile_index.h"

namespace velu::config {

class IniFile {
  public:
    // The longest value a string lookup returns: a 256-character buffer with its zero.
    static constexpr std::size_t kMaxValueLength = 255;

    IniFile(const FileSystem& files, const AnsiCodePage& ansi, MessageBoxes& boxes);

    // The key's value read as an integer (see readInteger32), narrowed to 16 bits. The default when
    // the file, section or key is absent or the value is empty. A number outside -32768..32767
    // shows the overflow error box titled "INIGetSettingInteger" and gives 0.
    std::int16_t INIGetSettingInteger(std::wstring_view section, std::wstring_view key,
                                      const std::wstring& path, std::int16_t defaultValue);

    // The key's value, at most 255 characters; the default when the file, section or key is
    // absent or the key's line has no '='.
    std::wstring INIGetSettingString(std::wstring_view section, std::wstring_view key,
                                     const std::wstring& path, std::wstring_view defaultValue);

    // The integer as the platform's profile-integer function reads it, before the narrowing:
    // the value's first 29 characters, an optional sign and the leading digits (decimal, or
    // hexadecimal, octal or binary after "0x", "0o" or "0b"), modulo 2^32. The default when
    // the file, section or key is absent or the value is empty.
    std::int32_t readInteger32(std::wstring_view section, std::wstring_view key,
                               const std::wstring& path, std::int32_t defaultValue);

    // While a snapshot of a file lives, lookups in it use the index as it was when the snapshot
    // was taken, without asking the file system again: one load reads one consistent file,
    // and a catalogue of 32 767 materials does not look at the file 65 536 times.
    class Snapshot {
      public:
        Snapshot(IniFile& ini, const std::wstring& path);
        ~Snapshot();
        Snapshot(const Snapshot&) = delete;
        Snapshot& operator=(const Snapshot&) = delete;

      private:
        IniFile& ini_;
        std::wstring path_;
        bool taken_;
    };

    // How many times a file was parsed; lets tests and benchmarks see the index at work.
    std::size_t parseCount() const { return parseCount_; }

  private:
    struct CachedFile {
        FileStamp stamp;
        ProfileIndex index;
    };

    const ProfileIndex* indexOf(const std::wstring& path);

    const FileSystem& files_;
    const AnsiCodePage& ansi_;
    MessageBoxes& boxes_;
    std::map<std::wstring, CachedFile> cache_;
    std::map<std::wstring, const ProfileIndex*> snapshots_;  // nullptr: the file is absent
    std::size_t parseCount_ = 0;
};

// The text of the profile functions' value copy into a buffer of bufferSize characters: a
// value enclosed in a matching pair of quotes (" or ') loses them, and the result is cut
// to bufferSize - 1 characters.
std::wstring copyProfileEntry(std::wstring_view value, std::size_t bufferSize);

}  // namespace velu::config

#pragma once
// modINIFile: the program's only way of reading its profile files.
//
// The reader parses a file once into an index and parses it again only when its size or
// modification time changes; open() gives a view of the file as it is at that moment, so one
// load reads one consistent file and a lookup costs the same whatever the file's size. The
// answers are those of the Windows profile functions, with three intended differences that
// docs/architecture.md lists (byte-order marks and UTF-8, defaults returned unchanged).
//
// The reader reports and shows nothing: a number that does not fit comes back with the
// lookup's result, and whoever asked decides what the user is told.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/services.h"
#include "config/profile_decoding.h"
#include "config/profile_index.h"

namespace velu::config {

// The result of an integer lookup.
struct IntegerSetting {
    // The number narrowed to 16 bits; 0 when it does not fit, as the classic lookup gives.
    std::int16_t value = 0;
    // The number as it was read, when it lies outside -32768..32767.
    std::optional<std::int32_t> overflow;
};

// One profile file as it was when it was opened; an absent file answers every lookup with its
// default.
class ProfileFile {
  public:
    // The longest value a string lookup returns: a 256-character buffer with its zero.
    static constexpr std::size_t kMaxValueLength = 255;

    // The key's value, at most 255 characters; the default when the file, section or key is
    // absent or the key's line has no '='.
    std::wstring INIGetSettingString(std::wstring_view section, std::wstring_view key,
                                     std::wstring_view defaultValue) const;

    // The key's value read as an integer (see readInteger32), narrowed to 16 bits. The
    // default when the file, section or key is absent or the value is empty.
    IntegerSetting INIGetSettingInteger(std::wstring_view section, std::wstring_view key,
                                        std::int16_t defaultValue) const;

    // The integer as the platform's profile-integer function reads it, before the narrowing:
    // the value's first 29 characters, an optional sign and the leading digits (decimal, or
    // hexadecimal, octal or binary after "0x", "0o" or "0b"), modulo 2^32. The default when
    // the file, section or key is absent or the value is empty.
    std::int32_t readInteger32(std::wstring_view section, std::wstring_view key,
                               std::int32_t defaultValue) const;

    // How the file's bytes were read; nothing when the file is absent.
    std::optional<TextEncoding> encoding() const;
    // The file's path, as it was opened.
    const std::wstring& path() const { return path_; }

  private:
    friend class ProfileReader;
    struct Parsed {
        ProfileIndex index;
        TextEncoding encoding;
    };
    ProfileFile(std::wstring path, std::shared_ptr<const Parsed> parsed)
        : path_(std::move(path)), parsed_(std::move(parsed)) {}

    std::optional<std::wstring_view> find(std::wstring_view section, std::wstring_view key) const;

    std::wstring path_;
    std::shared_ptr<const Parsed> parsed_;
};

class ProfileReader {
  public:
    ProfileReader(const FileSystem& files, const AnsiCodePage& ansi);

    // The file as it is now: parsed when it is opened for the first time or has changed since.
    ProfileFile open(const std::wstring& path);

    // How many times a file was parsed; lets tests and benchmarks see the index at work.
    std::size_t parseCount() const { return parseCount_; }

  private:
    struct CachedFile {
        FileStamp stamp;
        std::shared_ptr<const ProfileFile::Parsed> parsed;
    };

    const FileSystem& files_;
    const AnsiCodePage& ansi_;
    std::map<std::wstring, CachedFile> cache_;
    std::size_t parseCount_ = 0;
};

// The text of the profile functions' value copy into a buffer of bufferSize characters: a
// value enclosed in a matching pair of quotes (" or ') loses them, and the result is cut
// to bufferSize - 1 characters.
std::wstring copyProfileEntry(std::wstring_view value, std::size_t bufferSize);

}  // namespace velu::config

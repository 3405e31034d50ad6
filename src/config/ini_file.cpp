#include "config/ini_file.h"

#include <limits>

#include "config/profile_decoding.h"

namespace velu::config {
namespace {

// The buffer the platform's integer lookup reads a value into before converting it.
constexpr std::size_t kIntegerBufferSize = 30;

// The platform's reading of a number: blanks and control characters, an optional sign, then
// digits in base 10, or in base 16, 8 or 2 after a lower-case "0x", "0o" or "0b"; reading
// stops at the first character that is no digit of the base. The total wraps modulo 2^32.
std::int32_t leadingInteger(std::wstring_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] <= L' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
    std::uint32_t base = 10;
    if (i + 1 < text.size() && text[i] == L'0') {
        switch (text[i + 1]) {
            case L'x':
                base = 16;
                break;
            case L'o':
                base = 8;
                break;
            case L'b':
                base = 2;
                break;
            default:
                break;
        }
        if (base != 10) i += 2;
    }
    std::uint32_t total = 0;
    for (; i < text.size(); ++i) {
        const wchar_t c = text[i];
        std::uint32_t digit = base;
        if (c >= L'0' && c <= L'9') {
            digit = static_cast<std::uint32_t>(c - L'0');
        } else if (c >= L'A' && c <= L'Z') {
            digit = static_cast<std::uint32_t>(c - L'A' + 10);
        } else if (c >= L'a' && c <= L'z') {
            digit = static_cast<std::uint32_t>(c - L'a' + 10);
        }
        if (digit >= base) break;
        total = total * base + digit;
    }
    if (negative) total = 0u - total;
    return static_cast<std::int32_t>(total);
}

}  // namespace

std::wstring copyProfileEntry(std::wstring_view value, std::size_t bufferSize) {
    bool quoted = false;
    if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') &&
        value.back() == value.front()) {
        quoted = true;
        value.remove_prefix(1);
    }
    std::wstring copy(value.substr(0, bufferSize - 1));
    if (quoted && bufferSize >= value.size() && !copy.empty()) copy.pop_back();
    return copy;
}

std::optional<std::wstring_view> ProfileFile::find(std::wstring_view section,
                                                   std::wstring_view key) const {
    if (!parsed_) return std::nullopt;
    return parsed_->index.find(section, key);
}

std::optional<TextEncoding> ProfileFile::encoding() const {
    if (!parsed_) return std::nullopt;
    return parsed_->encoding;
}

std::int32_t ProfileFile::readInteger32(std::wstring_view section, std::wstring_view key,
                                        std::int32_t defaultValue) const {
    const auto value = find(section, key);
    if (!value) return defaultValue;
    const std::wstring text = copyProfileEntry(*value, kIntegerBufferSize);
    if (text.empty()) return defaultValue;
    return leadingInteger(text);
}

IntegerSetting ProfileFile::INIGetSettingInteger(std::wstring_view section, std::wstring_view key,
                                                 std::int16_t defaultValue) const {
    const std::int32_t wide = readInteger32(section, key, defaultValue);
    if (wide < std::numeric_limits<std::int16_t>::min() ||
        wide > std::numeric_limits<std::int16_t>::max()) {
        return {0, wide};
    }
    return {static_cast<std::int16_t>(wide), std::nullopt};
}

std::wstring ProfileFile::INIGetSettingString(std::wstring_view section, std::wstring_view key,
                                              std::wstring_view defaultValue) const {
    const auto value = find(section, key);
    if (!value) return std::wstring(defaultValue.substr(0, kMaxValueLength));
    return copyProfileEntry(*value, kMaxValueLength + 1);
}

ProfileReader::ProfileReader(const FileSystem& files, const AnsiCodePage& ansi)
    : files_(files), ansi_(ansi) {}

ProfileFile ProfileReader::open(const std::wstring& path) {
    const auto stamp = files_.stamp(path);
    const auto cached = cache_.find(path);
    if (stamp && cached != cache_.end() && cached->second.stamp == *stamp) {
        return ProfileFile(path, cached->second.parsed);
    }
    const auto bytes = stamp ? files_.readAll(path) : std::nullopt;
    if (!bytes) {
        cache_.erase(path);
        return ProfileFile(path, nullptr);
    }
    ++parseCount_;
    auto decoded = decodeProfileBytes(*bytes, ansi_);
    auto parsed = std::make_shared<const ProfileFile::Parsed>(
        ProfileFile::Parsed{ProfileIndex::parse(decoded.text), decoded.encoding});
    cache_[path] = CachedFile{*stamp, parsed};
    return ProfileFile(path, std::move(parsed));
}

}  // namespace velu::config

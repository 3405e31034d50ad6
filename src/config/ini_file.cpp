#include "config/ini_file.h"

#include <limits>

#include "config/profile_decoding.h"

namespace velu::config {
namespace {

// The buffer the platform's integer lookup reads a value into before converting it.
constexpr std::size_t kIntegerBufferSize = 30;

constexpr int kOverflowError = 6;

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

IniFile::IniFile(const FileSystem& files, const AnsiCodePage& ansi, MessageBoxes& boxes)
    : files_(files), ansi_(ansi), boxes_(boxes) {}

IniFile::Snapshot::Snapshot(IniFile& ini, const std::wstring& path)
    : ini_(ini), path_(path), taken_(!ini.snapshots_.count(path)) {
    if (taken_) {
        const ProfileIndex* index = ini_.indexOf(path);
        ini_.snapshots_[path] = index;
    }
}

IniFile::Snapshot::~Snapshot() {
    if (taken_) ini_.snapshots_.erase(path_);
}

const ProfileIndex* IniFile::indexOf(const std::wstring& path) {
    const auto snapshot = snapshots_.find(path);
    if (snapshot != snapshots_.end()) return snapshot->second;

    const auto stamp = files_.stamp(path);
    if (!stamp) {
        cache_.erase(path);
        return nullptr;
    }
    const auto cached = cache_.find(path);
    if (cached != cache_.end() && cached->second.stamp == *stamp) return &cached->second.index;

    const auto bytes = files_.readAll(path);
    if (!bytes) {
        cache_.erase(path);
        return nullptr;
    }
    ++parseCount_;
    auto& entry = cache_[path];
    entry.stamp = *stamp;
    entry.index = ProfileIndex::parse(decodeProfileBytes(*bytes, ansi_));
    return &entry.index;
}

std::int32_t IniFile::readInteger32(std::wstring_view section, std::wstring_view key,
                                    const std::wstring& path, std::int32_t defaultValue) {
    const ProfileIndex* index = indexOf(path);
    if (index == nullptr) return defaultValue;
    const auto value = index->find(section, key);
    if (!value) return defaultValue;
    const std::wstring text = copyProfileEntry(*value, kIntegerBufferSize);
    if (text.empty()) return defaultValue;
    return leadingInteger(text);
}

std::int16_t IniFile::INIGetSettingInteger(std::wstring_view section, std::wstring_view key,
                                           const std::wstring& path, std::int16_t defaultValue) {
    const std::int32_t wide = readInteger32(section, key, path, defaultValue);
    if (wide < std::numeric_limits<std::int16_t>::min() ||
        wide > std::numeric_limits<std::int16_t>::max()) {
        boxes_.show(L"Error: " + std::to_wstring(kOverflowError) + L". Overflow",
                    L"INIGetSettingInteger", BoxStyle::Plain);
        return 0;
    }
    return static_cast<std::int16_t>(wide);
}

std::wstring IniFile::INIGetSettingString(std::wstring_view section, std::wstring_view key,
                                          const std::wstring& path,
                                          std::wstring_view defaultValue) {
    const ProfileIndex* index = indexOf(path);
    const auto value = index != nullptr ? index->find(section, key) : std::nullopt;
    if (!value) return std::wstring(defaultValue.substr(0, kMaxValueLength));
    return copyProfileEntry(*value, kMaxValueLength + 1);
}

}  // namespace velu::config

#include "config/profile_index.h"

#include "support/text.h"

namespace velu::config {
namespace {

std::wstring_view trim(std::wstring_view text) {
    while (!text.empty() && isProfileSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isProfileSpace(text.back())) text.remove_suffix(1);
    return text;
}

// A name or value ends at a zero character, as the platform's C strings do.
std::wstring_view untilZero(std::wstring_view text) {
    return text.substr(0, text.find(L'\0'));
}

// Names are compared without regard to the case of the ASCII letters only: "Größe" and
// "GRÖSSE" or "GRÖßE" are different sections.
std::wstring foldName(std::wstring_view name) {
    return text::asciiUppercase(name);
}

}  // namespace

bool isProfileSpace(wchar_t c) {
    return (c >= L'\t' && c <= L'\r') || c == L' ' || c == 0x1A;
}

ProfileIndex ProfileIndex::parse(std::wstring_view text) {
    ProfileIndex index;
    // Keys before the first heading go into a section without a name. A lookup with an empty
    // or blank section name reaches them, as it does with the platform, and never a later
    // "[]" heading.
    index.sections_.push_back(Section{});
    index.firstSection_.emplace(std::wstring(), 0);

    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of(L"\r\n", pos);
        if (end == std::wstring_view::npos) end = text.size();
        const std::wstring_view line = trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty()) continue;

        if (line.front() == L'[') {
            const std::size_t close = line.rfind(L']');
            if (close != std::wstring_view::npos) {
                Section section;
                section.name = std::wstring(untilZero(trim(line.substr(1, close - 1))));
                index.firstSection_.emplace(foldName(section.name), index.sections_.size());
                index.sections_.push_back(std::move(section));
                continue;
            }
            // A heading without its closing bracket is read as a key line.
        }

        Key key;
        const std::size_t equals = line.find(L'=');
        if (equals == std::wstring_view::npos) {
            key.name = std::wstring(untilZero(line));
        } else {
            key.name = std::wstring(untilZero(trim(line.substr(0, equals))));
            key.value = std::wstring(untilZero(trim(line.substr(equals + 1))));
        }
        Section& section = index.sections_.back();
        section.firstKey.emplace(foldName(key.name), section.keys.size());
        section.keys.push_back(std::move(key));
    }
    return index;
}

std::optional<std::wstring_view> ProfileIndex::find(std::wstring_view section,
                                                    std::wstring_view key) const {
    const auto s = firstSection_.find(foldName(trim(section)));
    if (s == firstSection_.end()) return std::nullopt;
    const Section& found = sections_[s->second];
    const auto k = found.firstKey.find(foldName(trim(key)));
    if (k == found.firstKey.end()) return std::nullopt;
    const auto& value = found.keys[k->second].value;
    if (!value) return std::nullopt;
    return std::wstring_view(*value);
}

}  // namespace velu::config

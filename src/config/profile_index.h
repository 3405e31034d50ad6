#pragma once
// A profile (INI) file parsed once into sections and keys, read by the rules of the
// Windows profile functions.

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velu::config {

class ProfileIndex {
  public:
    ProfileIndex() = default;

    // Parses decoded text. Every '\r' and every '\n' ends a line; blanks, tabs, the other
    // ASCII control white space and Ctrl-Z around lines, names and values are dropped; a
    // name or value ends at a zero character; "[name]" starts a section (text after the last
    // ']' is ignored); "key = value" adds a key; a line without '=' is a key without a value;
    // lines before the first section belong to a section without a name.
    static ProfileIndex parse(std::wstring_view text);

    // The value of the first key of that name in the first section of that name, compared
    // without regard to the case of ASCII letters (not of others such as umlauts), with
    // blanks around the names ignored. Nothing when the section or key is absent, or the
    // key's line had no '='.
    std::optional<std::wstring_view> find(std::wstring_view section, std::wstring_view key) const;

  private:
    struct Key {
        std::wstring name;
        std::optional<std::wstring> value;
    };
    struct Section {
        std::wstring name;
        std::vector<Key> keys;
        std::unordered_map<std::wstring, std::size_t> firstKey;  // folded name -> index
    };

    std::vector<Section> sections_;
    std::unordered_map<std::wstring, std::size_t> firstSection_;  // folded name -> index
};

// White space as the profile functions see it: blanks, tabs, line feeds, vertical tabs, form
// feeds, carriage returns and the Ctrl-Z end-of-file mark; no other character (not the
// no-break space 0xA0, not the Unicode spaces).
bool isProfileSpace(wchar_t c);

}  // namespace velu::config

// Line handling that the state file's and the log's readers share.
#pragma once

#include <string_view>

namespace cadsim::detail {

// Without blanks and tabs at either end, and without a CR at the end.
inline std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

// Takes the next line off the front of the text, without its '\n'.
inline std::string_view takeLine(std::string_view& text) {
    const auto nl = text.find('\n');
    const std::string_view line = text.substr(0, nl);
    text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
    return line;
}

}  // namespace cadsim::detail

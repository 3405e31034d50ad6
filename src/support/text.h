#pragma once
// Text helpers shared by the program, the CAD stand-in, the tests and the benchmarks: UTF-8
// to and from the program's wide strings (UTF-16 on Windows, UTF-32 where wchar_t is 32 bits
// wide), and comparisons that ignore the case of ASCII letters only, the way the Windows
// profile functions compare names. Header-only and portable.

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

namespace velu::text {

// Appends one Unicode code point, as a surrogate pair where wchar_t is 16 bits wide.
inline void appendCodePoint(std::wstring& text, char32_t codePoint) {
    if constexpr (sizeof(wchar_t) == 2) {
        if (codePoint >= 0x10000) {
            const char32_t offset = codePoint - 0x10000;
            text += static_cast<wchar_t>(0xD800 + (offset >> 10));
            text += static_cast<wchar_t>(0xDC00 + (offset & 0x3FF));
            return;
        }
    }
    text += static_cast<wchar_t>(codePoint);
}

inline std::string toUtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<char32_t>(text[i]);
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) {
            const auto low = static_cast<char32_t>(text[i + 1]);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

namespace detail {

// The code point of the UTF-8 sequence at bytes[i] and its length; nothing when the bytes
// there are no well-formed sequence (overlong forms, surrogates and values above U+10FFFF
// are not).
struct Decoded {
    char32_t codePoint;
    std::size_t length;
};

inline std::optional<Decoded> decodeOne(std::string_view bytes, std::size_t i) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    std::size_t length = 0;
    char32_t codePoint = 0;
    if (lead < 0x80) return Decoded{lead, 1};
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
    } else {
        return std::nullopt;
    }
    if (i + length > bytes.size()) return std::nullopt;
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(bytes[i + k]);
        if ((next & 0xC0) != 0x80) return std::nullopt;
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    const bool overlong =
        (length == 3 && codePoint < 0x800) || (length == 4 && codePoint < 0x10000);
    const bool surrogate = codePoint >= 0xD800 && codePoint < 0xE000;
    if (overlong || surrogate || codePoint > 0x10FFFF) return std::nullopt;
    return Decoded{codePoint, length};
}

}  // namespace detail

// Strict UTF-8: nothing when the bytes are not well-formed UTF-8.
inline std::optional<std::wstring> decodeUtf8(std::string_view bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto decoded = detail::decodeOne(bytes, i);
        if (!decoded) return std::nullopt;
        appendCodePoint(text, decoded->codePoint);
        i += decoded->length;
    }
    return text;
}

// UTF-8 as far as it is well-formed; each byte that is not becomes U+FFFD.
inline std::wstring fromUtf8(std::string_view bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto decoded = detail::decodeOne(bytes, i);
        appendCodePoint(text, decoded ? decoded->codePoint : 0xFFFD);
        i += decoded ? decoded->length : 1;
    }
    return text;
}

// The upper-case form of an ASCII letter; every other character as it is ("ü" stays "ü").
template <typename Char>
constexpr Char asciiUpper(Char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<Char>(c - 'a' + 'A') : c;
}

template <typename Char>
std::basic_string<Char> asciiUppercase(std::basic_string_view<Char> text) {
    std::basic_string<Char> upper(text);
    for (auto& c : upper) c = asciiUpper(c);
    return upper;
}

template <typename Char>
bool equalsIgnoringAsciiCase(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](Char x, Char y) {
               return asciiUpper(x) == asciiUpper(y);
           });
}

inline bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return equalsIgnoringAsciiCase<char>(a, b);
}

inline bool equalsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
    return equalsIgnoringAsciiCase<wchar_t>(a, b);
}

}  // namespace velu::text

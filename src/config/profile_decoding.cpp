#include "config/profile_decoding.h"

#include <optional>

#include "support/text.h"

namespace velu::config {
namespace {

bool startsWith(std::string_view bytes, std::string_view prefix) {
    return bytes.substr(0, prefix.size()) == prefix;
}

std::wstring decodeUtf16(std::string_view bytes, bool bigEndian) {
    std::wstring text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        const char32_t unit = bigEndian ? (first << 8 | second) : (second << 8 | first);
        // Where wchar_t holds 32 bits, a surrogate pair becomes one code point.
        const bool pairStart = sizeof(wchar_t) == 4 && unit >= 0xD800 && unit < 0xDC00;
        if (pairStart && i + 3 < bytes.size()) {
            const auto a = static_cast<unsigned char>(bytes[i + 2]);
            const auto b = static_cast<unsigned char>(bytes[i + 3]);
            const char32_t low = bigEndian ? (a << 8 | b) : (b << 8 | a);
            if (low >= 0xDC00 && low < 0xE000) {
                text::appendCodePoint(text, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        text += static_cast<wchar_t>(unit);
    }
    return text;
}

bool hasNonAscii(std::string_view bytes) {
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    }
    return false;
}

}  // namespace

DecodedProfile decodeProfileBytes(std::string_view bytes, const AnsiCodePage& ansi) {
    if (startsWith(bytes, "\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);
        if (auto text = text::decodeUtf8(bytes)) return {*text, TextEncoding::Utf8WithMark};
        return {ansi.decode(bytes), TextEncoding::AnsiAfterUtf8Mark};
    }
    if (startsWith(bytes, "\xFF\xFE")) {
        return {decodeUtf16(bytes.substr(2), false), TextEncoding::Utf16LittleEndian};
    }
    if (startsWith(bytes, "\xFE\xFF")) {
        return {decodeUtf16(bytes.substr(2), true), TextEncoding::Utf16BigEndian};
    }
    if (hasNonAscii(bytes)) {
        if (auto text = text::decodeUtf8(bytes)) return {*text, TextEncoding::Utf8};
    }
    return {ansi.decode(bytes), TextEncoding::Ansi};
}

}  // namespace velu::config

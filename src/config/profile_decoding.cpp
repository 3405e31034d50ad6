#include "config/profile_decoding.h"

#include <optional>

#include "common/text.h"

namespace velu::config {
namespace {

bool startsWith(std::string_view bytes, std::string_view prefix) {
    return bytes.substr(0, prefix.size()) == prefix;
}

// Decodes strict UTF-8 (no overlong forms, no surrogates); nothing when the bytes are not.
std::optional<std::wstring> decodeUtf8(std::string_view bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        int length = 0;
        char32_t codePoint = 0;
        if (lead < 0x80) {
            length = 1;
            codePoint = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
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
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        const bool overlong =
            (length == 3 && codePoint < 0x800) || (length == 4 && codePoint < 0x10000);
        const bool surrogate = codePoint >= 0xD800 && codePoint < 0xE000;
        if (overlong || surrogate || codePoint > 0x10FFFF) return std::nullopt;
        appendCodePoint(text, codePoint);
        i += length;
    }
    return text;
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
                appendCodePoint(text, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
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

std::wstring decodeProfileBytes(std::string_view bytes, const AnsiCodePage& ansi) {
    if (startsWith(bytes, "\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);
        if (auto text = decodeUtf8(bytes)) return *text;
        return ansi.decode(bytes);
    }
    if (startsWith(bytes, "\xFF\xFE")) return decodeUtf16(bytes.substr(2), false);
    if (startsWith(bytes, "\xFE\xFF")) return decodeUtf16(bytes.substr(2), true);
    if (hasNonAscii(bytes)) {
        if (auto text = decodeUtf8(bytes)) return *text;
    }
    return ansi.decode(bytes);
}

}  // namespace velu::config

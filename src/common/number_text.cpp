#include "common/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

namespace velu {
namespace {

constexpr int kSignificantDigits = 15;

bool isBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

std::wstring_view trimBlanks(std::wstring_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool isDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// Correctly rounded 15 significant digits of a positive finite value: "d.dddddddddddddde+XX".
// A value just below the largest double rounds up beyond it (1.7976931348623157E308 to
// 1.79769313486232E+308), a text that reads back as no number; such a value is cut to 15
// digits instead, so that every value shown can be read again.
std::string significantDigits(double magnitude) {
    char buffer[40];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                      std::chars_format::scientific, kSignificantDigits - 1);
    std::string text(buffer, result.ptr);
    const auto ePos = text.find('e');
    double back = 0;
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), back);
    const bool overflows = parsed.ec == std::errc::result_out_of_range ||
                           (parsed.ec == std::errc() && std::isinf(back));
    if (overflows && text[ePos + 1] == '+') {
        // One unit less in the last digit, borrowing through zeros.
        for (std::size_t i = ePos; i-- > 0;) {
            if (text[i] == '.') continue;
            if (text[i] != '0') {
                --text[i];
                break;
            }
            text[i] = '9';
        }
    }
    return text;
}

}  // namespace

std::wstring formatFixed(double value, int decimals, wchar_t decimalSeparator) {
    constexpr double kLargestFixed = 1e15;
    if (!std::isfinite(value) || std::fabs(value) >= kLargestFixed) {
        return formatGeneral(value, decimalSeparator);
    }
    char buffer[40];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::fixed, std::clamp(decimals, 0, 15));
    std::wstring text(buffer, result.ptr);
    // A value that rounds to zero shows no sign.
    if (text.find_first_not_of(L"-0.") == std::wstring::npos && text[0] == L'-') text.erase(0, 1);
    std::replace(text.begin(), text.end(), L'.', decimalSeparator);
    return text;
}

std::wstring formatGeneral(double value, wchar_t decimalSeparator) {
    if (std::isnan(value)) return L"NaN";
    if (std::isinf(value)) return value < 0 ? L"-Inf" : L"Inf";
    if (value == 0) return L"0";

    const std::string scientific = significantDigits(std::fabs(value));
    const auto ePos = scientific.find('e');
    std::string digits = scientific.substr(0, 1) + scientific.substr(2, ePos - 2);
    const int exponent = std::atoi(scientific.c_str() + ePos + 1);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    const int count = static_cast<int>(digits.size());

    const int fixedDigits = exponent >= 0 ? std::max(exponent + 1, count) : -exponent - 1 + count;

    std::wstring text = value < 0 ? L"-" : L"";
    auto append = [&text](std::string_view ascii) { text.append(ascii.begin(), ascii.end()); };
    if (fixedDigits > kSignificantDigits) {
        append(digits.substr(0, 1));
        if (count > 1) {
            text += decimalSeparator;
            append(std::string_view(digits).substr(1));
        }
        const int magnitude = std::abs(exponent);
        text += exponent < 0 ? L"E-" : L"E+";
        if (magnitude < 10) text += L'0';
        append(std::to_string(magnitude));
    } else if (exponent >= 0) {
        const auto integerDigits = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= integerDigits) {
            append(digits);
            text.append(integerDigits - digits.size(), L'0');
        } else {
            append(std::string_view(digits).substr(0, integerDigits));
            text += decimalSeparator;
            append(std::string_view(digits).substr(integerDigits));
        }
    } else {
        text += L'0';
        text += decimalSeparator;
        text.append(static_cast<std::size_t>(-exponent - 1), L'0');
        append(digits);
    }
    return text;
}

std::optional<double> parseNumber(std::wstring_view text, wchar_t decimalSeparator) {
    text = trimBlanks(text);
    std::string ascii;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        if (text[i] == L'-') ascii += '-';
        ++i;
    }
    bool anyDigit = false;
    bool separatorSeen = false;
    for (; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (isDigit(c)) {
            ascii += static_cast<char>(c);
            anyDigit = true;
        } else if (c == decimalSeparator && !separatorSeen) {
            ascii += '.';
            separatorSeen = true;
        } else {
            break;
        }
    }
    if (!anyDigit) return std::nullopt;
    if (i < text.size() && (text[i] == L'e' || text[i] == L'E')) {
        ascii += 'e';
        ++i;
        if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
            ascii += static_cast<char>(text[i]);
            ++i;
        }
        bool exponentDigit = false;
        for (; i < text.size() && isDigit(text[i]); ++i) {
            ascii += static_cast<char>(text[i]);
            exponentDigit = true;
        }
        if (!exponentDigit) return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;

    double value = 0;
    const auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (result.ec != std::errc() || result.ptr != ascii.data() + ascii.size() ||
        !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<long> parseWholeNumber(std::wstring_view text) {
    text = trimBlanks(text);
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
    if (i == text.size()) return std::nullopt;
    long long value = 0;
    for (; i < text.size(); ++i) {
        if (!isDigit(text[i])) return std::nullopt;
        value = value * 10 + (text[i] - L'0');
        if (value > static_cast<long long>(std::numeric_limits<std::int32_t>::max()) + 1) {
            return std::nullopt;
        }
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    return static_cast<long>(value);
}

}  // namespace velu

#pragma once
// Conversions between doubles and text in the user's number format.

#include <optional>
#include <string>
#include <string_view>

namespace velu {

// The general number format: at most 15 significant digits, no digit grouping, the given
// decimal separator; scientific notation ("1E+15", "5,6789E-12") only where the fixed form
// would need more than 15 digits. 7850 gives "7850", 0.001 gives "0,001" with a comma.
std::wstring formatGeneral(double value, wchar_t decimalSeparator);

// A fixed number of decimals, rounded, no digit grouping, the given decimal separator: 12.3454
// with three decimals gives "12,345" with a comma. A value that cannot be shown so (not finite,
// or beyond 1e15) is shown in the general format.
std::wstring formatFixed(double value, int decimals, wchar_t decimalSeparator);

// Reads a number written with the given decimal separator: optional blanks, an optional sign,
// digits with at most one decimal separator, an optional exponent ("E-3"). Anything else,
// including a digit grouping character or the other separator, gives nothing: "2.7" is not
// a number under a decimal comma, and never silently 27.
std::optional<double> parseNumber(std::wstring_view text, wchar_t decimalSeparator);

// Reads a whole decimal number with optional blanks and sign ("12", " -5 "); nothing when
// the text is anything else or does not fit into 32 bits.
std::optional<long> parseWholeNumber(std::wstring_view text);

}  // namespace velu

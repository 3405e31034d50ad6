#pragma once
// The parts list as others take it: a CSV file that Excel opens in columns whatever the user's
// number format, and the rows copied for pasting into Excel.

#include <string>
#include <vector>

namespace velu::assembly {

using TextRow = std::vector<std::wstring>;

// A CSV file (RFC 4180) in UTF-8 with a byte-order mark and CR LF line ends: the headings, the
// rows, and a closing line. Fields are separated by ";" when the user's decimal separator is a
// comma, else by ","; a field holding the separator, a quote or a line break is quoted, its
// quotes doubled.
std::string csvFile(const TextRow& headings, const std::vector<TextRow>& rows,
                    const TextRow& closingLine, wchar_t decimalSeparator);

// The headings and the rows as Unicode text, fields separated by tabs, CR LF line ends.
std::wstring clipboardText(const TextRow& headings, const std::vector<TextRow>& rows);

// What a file may be called after an assembly's title: the title without its extension, any
// character a file name cannot hold replaced by "_".
std::wstring fileStem(const std::wstring& title);

}  // namespace velu::assembly

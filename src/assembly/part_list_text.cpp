#include "assembly/part_list_text.h"

#include "support/text.h"

namespace velu::assembly {
namespace {

// A field as RFC 4180 writes it: quoted, with its quotes doubled, where it holds the
// separator, a quote or a line break.
std::wstring field(const std::wstring& text, wchar_t separator) {
    if (text.find_first_of(std::wstring{separator, L'"', L'\r', L'\n'}) == std::wstring::npos) {
        return text;
    }
    std::wstring quoted = L"\"";
    for (const wchar_t c : text) {
        if (c == L'"') quoted += L'"';
        quoted += c;
    }
    return quoted + L"\"";
}

std::wstring line(const TextRow& fields, wchar_t separator) {
    std::wstring joined;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) joined += separator;
        joined += field(fields[i], separator);
    }
    return joined + L"\r\n";
}

std::wstring lines(const TextRow& headings, const std::vector<TextRow>& rows, wchar_t separator) {
    std::wstring text = line(headings, separator);
    for (const auto& row : rows) text += line(row, separator);
    return text;
}

}  // namespace

std::string csvFile(const TextRow& headings, const std::vector<TextRow>& rows,
                    const TextRow& closingLine, wchar_t decimalSeparator) {
    // Excel splits a line at the list separator of the user's settings, which is ";" where
    // the comma is the decimal separator.
    const wchar_t separator = decimalSeparator == L',' ? L';' : L',';
    return "\xEF\xBB\xBF" +
           text::toUtf8(lines(headings, rows, separator) + line(closingLine, separator));
}

std::wstring clipboardText(const TextRow& headings, const std::vector<TextRow>& rows) {
    return lines(headings, rows, L'\t');
}

std::wstring fileStem(const std::wstring& title) {
    const auto dot = title.find_last_of(L'.');
    std::wstring stem = dot == std::wstring::npos || dot == 0 ? title : title.substr(0, dot);
    for (wchar_t& c : stem) {
        if (c < 0x20 || std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos) {
            c = L'_';
        }
    }
    return stem;
}

}  // namespace velu::assembly

// The parts list as others take it: the CSV file Excel opens in columns in either number
// format, the rows copied for Excel, and the file name after the assembly.

#include "assembly/part_list_text.h"

#include <gtest/gtest.h>

namespace velu::assembly {
namespace {

struct Csv {
    const char* name;
    wchar_t decimalSeparator;
    std::vector<TextRow> rows;
    const char* body;  // after the byte-order mark, without the headings and the closing line
};

class CsvFormat : public ::testing::TestWithParam<Csv> {};

TEST_P(CsvFormat, SeparatesQuotesAndEndsLinesAsExcelReadsThem) {
    const Csv& c = GetParam();
    const std::string file =
        csvFile({L"Teil", L"Dichte"}, c.rows, {L"Getriebe.SLDASM"}, c.decimalSeparator);
    const std::string separator = c.decimalSeparator == L',' ? ";" : ",";
    EXPECT_EQ(file, "\xEF\xBB\xBFTeil" + separator + "Dichte\r\n" + c.body + "Getriebe.SLDASM\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CsvFormat,
    ::testing::Values(
        Csv{"CommaLocaleUsesSemicolons", L',', {{L"Welle", L"7850,5"}}, "Welle;7850,5\r\n"},
        Csv{"PointLocaleUsesCommas", L'.', {{L"Welle", L"7850.5"}}, "Welle,7850.5\r\n"},
        Csv{"AFieldWithTheSeparatorIsQuoted", L'.', {{L"A, –", L"1"}}, "\"A, \xE2\x80\x93\",1\r\n"},
        Csv{"TheOtherSeparatorIsNot", L',', {{L"A, B", L"1,5"}}, "A, B;1,5\r\n"},
        Csv{"QuotesAreDoubled", L',', {{L"Zoll \"3\"", L""}}, "\"Zoll \"\"3\"\"\";\r\n"},
        Csv{"LineBreaksAreQuoted", L',', {{L"a\r\nb", L"x\ny"}}, "\"a\r\nb\";\"x\ny\"\r\n"},
        Csv{"UmlautsAreUtf8AndRowsKeepTheirOrder",
            L',',
            {{L"Zahnrad", L"1"}, {L"Gehäuse", L"2"}},
            "Zahnrad;1\r\nGeh\xC3\xA4use;2\r\n"},
        Csv{"NoRows", L',', {}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CsvFormat, TheClosingLineHasTheTitleAndTheMass) {
    const std::string file = csvFile({L"Teil"}, {}, {L"Getriebe.SLDASM", L"Masse: 1,5 kg"}, L',');
    EXPECT_TRUE(file.ends_with("Teil\r\nGetriebe.SLDASM;Masse: 1,5 kg\r\n")) << file;
}

TEST(ClipboardFormat, TabsBetweenFieldsAndCrLfAfterEachLine) {
    EXPECT_EQ(clipboardText({L"Teil", L"Dichte"}, {{L"Welle", L"7850,5"}, {L"A\tB", L""}}),
              L"Teil\tDichte\r\nWelle\t7850,5\r\n\"A\tB\"\t\r\n");
    EXPECT_EQ(clipboardText({L"Teil"}, {}), L"Teil\r\n");
}

TEST(FileStem, TheTitleWithoutItsExtensionAndWithoutWhatNoFileNameHolds) {
    EXPECT_EQ(fileStem(L"Getriebe.SLDASM"), L"Getriebe");
    EXPECT_EQ(fileStem(L"Getriebe 2.0.SLDASM"), L"Getriebe 2.0");
    EXPECT_EQ(fileStem(L"Getriebe"), L"Getriebe");
    EXPECT_EQ(fileStem(L"A:B/C?.sldasm"), L"A_B_C_");
    EXPECT_EQ(fileStem(L""), L"");
}

}  // namespace
}  // namespace velu::assembly

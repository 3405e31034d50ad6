// The profile reader (IniFile) on files held in memory: the answers of its string and integer
// lookups, the overflow box, the decoding of the bytes and the index kept between lookups.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "common/services.h"
#include "common/windows1252.h"
#include "config/ini_file.h"
#include "fakes.h"
#include "support/text.h"

namespace {

using velu::config::IniFile;
using velu::testing::MemoryFiles;
using velu::testing::RecordingBoxes;

const std::wstring kPath = L"C:\\Velumar\\Dichte.ini";

class ReaderTest {
  protected:
    MemoryFiles files_;
    velu::Windows1252 ansi_;
    RecordingBoxes boxes_;
    IniFile ini_{files_, ansi_, boxes_};
};

// --- String lookups --------------------------------------------------------------------------

struct StringCase {
    const char* name;
    const char* bytes;
    const wchar_t* section;
    const wchar_t* key;
    const wchar_t* expected;  // nullptr: the default
};

std::ostream& operator<<(std::ostream& out, const StringCase& c) {
    return out << c.name;
}

class StringLookup : public ReaderTest, public testing::TestWithParam<StringCase> {};

TEST_P(StringLookup, GivesTheValue) {
    const StringCase& c = GetParam();
    files_.write(kPath, c.bytes);
    const wchar_t* fallback = L"<default>";
    const std::wstring answer = ini_.INIGetSettingString(c.section, c.key, kPath, fallback);
    EXPECT_EQ(velu::text::toUtf8(answer),
              velu::text::toUtf8(c.expected != nullptr ? c.expected : fallback));
    EXPECT_TRUE(boxes_.shown.empty());
}

const std::string kLong300 = "[S]\r\nk=" + std::string(300, 'x') + "\r\n";
const std::string kQuoted254 = "[S]\r\nk=\"" + std::string(254, 'q') + "\"\r\n";
const std::string kQuoted255 = "[S]\r\nk=\"" + std::string(255, 'q') + "\"\r\n";
const std::string kQuoted256 = "[S]\r\nk=\"" + std::string(256, 'q') + "\"\r\n";
const std::wstring k255x(255, L'x');
const std::wstring k254q(254, L'q');
const std::wstring k255q(255, L'q');

INSTANTIATE_TEST_SUITE_P(
    Values, StringLookup,
    testing::Values(
        StringCase{"plain", "[S]\r\nk=v\r\n", L"S", L"k", L"v"},
        StringCase{"blanks_inside_kept", "[S]\r\nk =  a  b \t\r\n", L"S", L"k", L"a  b"},
        StringCase{"quote_pair_removed", "[S]\r\nk=\"  a b  \"\r\n", L"S", L"k", L"  a b  "},
        StringCase{"single_quotes_removed", "[S]\r\nk='x'\r\n", L"S", L"k", L"x"},
        StringCase{"unmatched_quotes_kept", "[S]\r\nk=\"x'\r\n", L"S", L"k", L"\"x'"},
        StringCase{"lone_quote_kept", "[S]\r\nk=\"\r\n", L"S", L"k", L"\""},
        StringCase{"empty_quotes", "[S]\r\nk=\"\"\r\n", L"S", L"k", L""},
        StringCase{"quotes_inside_kept", "[S]\r\nk=a \"b\" c\r\n", L"S", L"k", L"a \"b\" c"},
        StringCase{"empty_value", "[S]\r\nk=\r\n", L"S", L"k", L""},
        StringCase{"line_without_equals", "[S]\r\nk\r\n", L"S", L"k", nullptr},
        StringCase{"inline_semicolon_kept", "[S]\r\nk=v ; note\r\n", L"S", L"k", L"v ; note"},
        StringCase{"comment_line_is_no_key", "[S]\r\n;k=v\r\n", L"S", L"k", nullptr},
        StringCase{"first_of_duplicate_keys", "[S]\r\nk=1\r\nK=2\r\n", L"S", L"k", L"1"},
        StringCase{"first_of_duplicate_sections", "[S]\r\na=1\r\n[S]\r\nk=2\r\n", L"S", L"k",
                   nullptr},
        StringCase{"ascii_case_ignored", "[Dichtewerte]\r\nName0=Stahl\r\n", L"DICHTEWERTE",
                   L"nAME0", L"Stahl"},
        StringCase{"umlaut_case_matters",
                   "[Gr\xF6\xDF"
                   "e]\r\nk=v\r\n",
                   L"GR\u00d6\u00dfE", L"k", nullptr},
        StringCase{"blanks_around_names", "[ Dichtewerte ]\r\n\tAnzahl\t= 3\r\n",
                   L"  Dichtewerte\t", L" Anzahl ", L"3"},
        StringCase{"equals_in_value", "[S]\r\nk=a=b\r\n", L"S", L"k", L"a=b"},
        StringCase{"empty_key_name", "[S]\r\n=v\r\n", L"S", L" ", L"v"},
        StringCase{"keys_before_first_heading", "k=v\r\n[S]\r\n", L"", L"k", L"v"},
        StringCase{"keys_before_first_heading_not_in_section", "k=v\r\n[S]\r\n", L"S", L"k",
                   nullptr},
        StringCase{"heading_without_bracket_is_a_key", "[S]\r\n[T\r\nk=v\r\n", L"S", L"k", L"v"},
        StringCase{"junk_after_bracket", "[S]junk\r\nk=v\r\n", L"S", L"k", L"v"},
        StringCase{"cr_only_lines", "[S]\rk=v\rn=w\r", L"S", L"n", L"w"},
        StringCase{"lf_only_lines", "[S]\nk=v\nn=w", L"S", L"n", L"w"},
        StringCase{"every_cr_ends_a_line", "[S]\r\nk=1\rn=2\r\n", L"S", L"n", L"2"},
        StringCase{"no_final_newline", "[S]\r\nk=v", L"S", L"k", L"v"},
        StringCase{"ctrl_z_at_the_end", "[S]\r\nk=v\x1A", L"S", L"k", L"v"},
        StringCase{"no_break_space_kept", "[S]\r\nk=\xA0v\xA0\r\n", L"S", L"k", L"\u00a0v\u00a0"},
        StringCase{"tabs_dropped", "\t[S]\t\r\n\tk\t=\tv\t\r\n", L"S", L"k", L"v"},
        StringCase{"long_value_cut", kLong300.c_str(), L"S", L"k", k255x.c_str()},
        StringCase{"quoted_254_loses_its_quotes", kQuoted254.c_str(), L"S", L"k", k254q.c_str()},
        StringCase{"quoted_255_loses_a_character", kQuoted255.c_str(), L"S", L"k", k254q.c_str()},
        StringCase{"quoted_256_keeps_the_opening_quote_cut", kQuoted256.c_str(), L"S", L"k",
                   k255q.c_str()},
        StringCase{"section_absent", "[S]\r\nk=v\r\n", L"T", L"k", nullptr},
        StringCase{"key_absent", "[S]\r\nk=v\r\n", L"S", L"n", nullptr},
        StringCase{"empty_file", "", L"S", L"k", nullptr},
        StringCase{"only_comments", "; [S]\r\n; k=v\r\n", L"S", L"k", nullptr}),
    [](const testing::TestParamInfo<StringCase>& info) { return std::string(info.param.name); });

// A lookup with a NUL in the value sees the value up to the NUL (a std::string literal with
// an embedded zero does not fit the table above).
TEST(StringLookupZero, ValueEndsAtAZeroByte) {
    MemoryFiles files;
    velu::Windows1252 ansi;
    RecordingBoxes boxes;
    IniFile ini(files, ansi, boxes);
    files.write(kPath, std::string("[S]\r\nk=ab \0cd\r\n", 15));
    EXPECT_EQ(ini.INIGetSettingString(L"S", L"k", kPath, L""), L"ab ");
}

// --- Decoding --------------------------------------------------------------------------------

struct DecodingCase {
    const char* name;
    std::string bytes;
    const wchar_t* expected;
};

std::ostream& operator<<(std::ostream& out, const DecodingCase& c) {
    return out << c.name;
}

class Decoding : public ReaderTest, public testing::TestWithParam<DecodingCase> {};

TEST_P(Decoding, ReadsTheText) {
    files_.write(kPath, GetParam().bytes);
    EXPECT_EQ(velu::text::toUtf8(ini_.INIGetSettingString(L"Werkstoffe", L"Name0", kPath, L"")),
              velu::text::toUtf8(GetParam().expected));
}

std::string utf16(const std::u16string& text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, Decoding,
    testing::Values(
        DecodingCase{"ansi_umlaut", "[Werkstoffe]\r\nName0=Stahl \xFC\r\n", L"Stahl \u00fc"},
        DecodingCase{"ansi_euro", "[Werkstoffe]\r\nName0=\x80 5\r\n", L"\u20ac 5"},
        DecodingCase{"ansi_beside_utf8_sequence", "[Werkstoffe]\r\nName0=\xFC \xC3\xBC\r\n",
                     L"\u00fc \u00c3\u00bc"},
        DecodingCase{"utf8_with_mark", "\xEF\xBB\xBF[Werkstoffe]\r\nName0=Stahl \xC3\xBC\r\n",
                     L"Stahl \u00fc"},
        DecodingCase{"utf8_without_mark", "[Werkstoffe]\r\nName0=\xCE\xBA \xE2\x82\xAC\r\n",
                     L"\u03ba \u20ac"},
        DecodingCase{"utf8_outside_the_basic_plane", "[Werkstoffe]\r\nName0=\xF0\x9F\x94\xA9\r\n",
                     L"\U0001F529"},
        DecodingCase{"utf16_little_endian", utf16(u"[Werkstoffe]\r\nName0=Stahl \u00fc\r\n", false),
                     L"Stahl \u00fc"},
        DecodingCase{"utf16_big_endian",
                     utf16(u"[Werkstoffe]\r\nName0=\u039a\u03c5 \u20ac\r\n", true),
                     L"\u039a\u03c5 \u20ac"},
        DecodingCase{"utf16_cr_only", utf16(u"[Werkstoffe]\rName0=x\rName1=y", false), L"x"}),
    [](const testing::TestParamInfo<DecodingCase>& info) { return std::string(info.param.name); });

// --- Integer lookups -------------------------------------------------------------------------

struct IntegerCase {
    const char* value;
    std::int32_t wide;  // readInteger32 with the default -7
    bool overflow;      // INIGetSettingInteger shows the box and gives 0
};

std::ostream& operator<<(std::ostream& out, const IntegerCase& c) {
    return out << '"' << c.value << '"';
}

class IntegerLookup : public ReaderTest, public testing::TestWithParam<IntegerCase> {
  protected:
    void SetUp() override {
        files_.write(kPath, std::string("[Zahlen]\r\nk=") + GetParam().value + "\r\n");
    }
};

TEST_P(IntegerLookup, ReadsThePlatformsNumber) {
    const IntegerCase& c = GetParam();
    EXPECT_EQ(ini_.readInteger32(L"Zahlen", L"k", kPath, -7), c.wide);
    const std::int16_t narrow = ini_.INIGetSettingInteger(L"Zahlen", L"k", kPath, -7);
    if (c.overflow) {
        EXPECT_EQ(narrow, 0);
        ASSERT_EQ(boxes_.shown.size(), 1u);
        EXPECT_EQ(boxes_.shown[0].text, L"Error: 6. Overflow");
        EXPECT_EQ(boxes_.shown[0].title, L"INIGetSettingInteger");
    } else {
        EXPECT_EQ(narrow, c.wide);
        EXPECT_TRUE(boxes_.shown.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Values, IntegerLookup,
    testing::Values(IntegerCase{"42", 42, false}, IntegerCase{"-5", -5, false},
                    IntegerCase{"+7", 7, false}, IntegerCase{"-0", 0, false},
                    IntegerCase{" 12abc", 12, false}, IntegerCase{"42A9", 42, false},
                    IntegerCase{"abc", 0, false}, IntegerCase{"7,85", 7, false},
                    IntegerCase{"\"42\"", 42, false}, IntegerCase{"\" -3\"", -3, false},
                    IntegerCase{"\"", 0, false}, IntegerCase{"0x10", 16, false},
                    IntegerCase{"-0x10", -16, false}, IntegerCase{"0X10", 0, false},
                    IntegerCase{"0o17", 15, false}, IntegerCase{"0b101", 5, false},
                    IntegerCase{"0b102", 2, false}, IntegerCase{"0x", 0, false},
                    IntegerCase{"32767", 32767, false}, IntegerCase{"-32768", -32768, false},
                    IntegerCase{"32768", 32768, true}, IntegerCase{"-32769", -32769, true},
                    IntegerCase{"40000", 40000, true}, IntegerCase{"65536", 65536, true},
                    IntegerCase{"4294967296", 0, false}, IntegerCase{"4294967297", 1, false},
                    IntegerCase{"99999999999", 1215752191, true},
                    IntegerCase{"-2147483649", 2147483647, true},
                    IntegerCase{"0xffffffff", -1, false},
                    // Only the first 29 characters are read.
                    IntegerCase{"1234567890123456789012345678901234567890", 1849262357, true}));

// An empty value is a string but no number; the absent file, section and key give the
// default, whatever it is.
class Defaults : public ReaderTest, public testing::TestWithParam<std::int16_t> {
  protected:
    void SetUp() override { files_.write(kPath, "[S]\r\nleer=\r\nquotes=\"\"\r\nk=1\r\n"); }
};

TEST_P(Defaults, AbsentOrEmptyGiveTheDefault) {
    const std::int16_t fallback = GetParam();
    const std::wstring missing = L"C:\\Velumar\\fehlt.ini";
    const struct {
        const std::wstring* path;
        const wchar_t* section;
        const wchar_t* key;
    } cases[] = {{&missing, L"S", L"k"},  {&kPath, L"T", L"k"},      {&kPath, L"S", L"n"},
                 {&kPath, L"S", L"leer"}, {&kPath, L"S", L"quotes"}, {&kPath, L"S", L""}};
    for (const auto& c : cases) {
        EXPECT_EQ(ini_.INIGetSettingInteger(c.section, c.key, *c.path, fallback), fallback)
            << velu::text::toUtf8(c.key);
        EXPECT_EQ(ini_.readInteger32(c.section, c.key, *c.path, fallback), fallback);
    }
    EXPECT_EQ(ini_.INIGetSettingString(L"S", L"leer", kPath, L"x"), L"");
    EXPECT_EQ(ini_.INIGetSettingString(L"S", L"fehlt", kPath, L""), L"");
    EXPECT_EQ(ini_.INIGetSettingInteger(L"S", L"k", kPath, fallback), 1);
    EXPECT_TRUE(boxes_.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Neutral, Defaults, testing::Values(-1, 0, 17));

// Unlike the platform, the reader gives the default back untouched: trailing blanks and quotes
// stay.
TEST(DefaultText, ComesBackAsGiven) {
    MemoryFiles files;
    velu::Windows1252 ansi;
    RecordingBoxes boxes;
    IniFile ini(files, ansi, boxes);
    files.write(kPath, "[S]\r\nk=v\r\n");
    for (const wchar_t* given : {L"Stahl  ", L"\"Stahl\"", L"'x' ", L"", L"  "}) {
        EXPECT_EQ(ini.INIGetSettingString(L"S", L"fehlt", kPath, given), given);
        EXPECT_EQ(ini.INIGetSettingString(L"S", L"k", L"C:\\fehlt.ini", given), given);
    }
}

// --- The index kept between lookups ----------------------------------------------------------

class Index : public ReaderTest, public testing::Test {};

TEST_F(Index, FileIsParsedOnceForManyLookups) {
    std::string catalogue = "[Dichtewerte]\r\nAnzahl=50\r\n";
    for (int i = 0; i < 50; ++i) {
        catalogue += "Name" + std::to_string(i) + "=Stoff " + std::to_string(i) + "\r\n";
    }
    files_.write(kPath, catalogue);
    for (int i = 0; i < 50; ++i) {
        const std::wstring key = L"Name" + std::to_wstring(i);
        EXPECT_EQ(ini_.INIGetSettingString(L"Dichtewerte", key, kPath, L""),
                  L"Stoff " + std::to_wstring(i));
    }
    EXPECT_EQ(ini_.INIGetSettingInteger(L"Dichtewerte", L"Anzahl", kPath, 0), 50);
    EXPECT_EQ(ini_.parseCount(), 1u);
}

TEST_F(Index, ChangedFileIsParsedAgain) {
    files_.write(kPath, "[S]\r\nk=1\r\n");
    EXPECT_EQ(ini_.INIGetSettingInteger(L"S", L"k", kPath, 0), 1);
    EXPECT_EQ(ini_.INIGetSettingInteger(L"S", L"k", kPath, 0), 1);
    EXPECT_EQ(ini_.parseCount(), 1u);

    files_.write(kPath, "[S]\r\nk=2\r\n");  // same size, new time
    EXPECT_EQ(ini_.INIGetSettingInteger(L"S", L"k", kPath, 0), 2);
    EXPECT_EQ(ini_.INIGetSettingString(L"S", L"k", kPath, L""), L"2");
    EXPECT_EQ(ini_.parseCount(), 2u);
}

TEST_F(Index, FileThatDisappearsGivesDefaults) {
    files_.write(kPath, "[S]\r\nk=1\r\n");
    EXPECT_EQ(ini_.INIGetSettingString(L"S", L"k", kPath, L"-"), L"1");
    files_.remove(kPath);
    EXPECT_EQ(ini_.INIGetSettingString(L"S", L"k", kPath, L"-"), L"-");
    EXPECT_EQ(ini_.INIGetSettingInteger(L"S", L"k", kPath, -1), -1);
    files_.write(kPath, "[S]\r\nk=3\r\n");
    EXPECT_EQ(ini_.INIGetSettingInteger(L"S", L"k", kPath, -1), 3);
}

TEST_F(Index, EachFileHasItsOwnIndex) {
    const std::wstring texts = L"C:\\Velumar\\Texte.ini";
    files_.write(kPath, "[Dichtewerte]\r\nAnzahl=2\r\n");
    files_.write(texts, "[messages]\r\nAnzahlInfo=3\r\n");
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(ini_.INIGetSettingInteger(L"Dichtewerte", L"Anzahl", kPath, 0), 2);
        EXPECT_EQ(ini_.INIGetSettingInteger(L"messages", L"AnzahlInfo", texts, 0), 3);
        EXPECT_EQ(ini_.INIGetSettingInteger(L"messages", L"AnzahlInfo", kPath, 0), 0);
    }
    EXPECT_EQ(ini_.parseCount(), 2u);
}

}  // namespace

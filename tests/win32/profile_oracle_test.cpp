// Our profile reader against the platform's profile functions, file by file of the corpus in
// profile_corpus/: every section and key that occurs in a file (and some that do not, and
// other spellings of those that do) must give the same string and integer from both. The
// files in profile_corpus/intended/ are read differently on purpose; their answers are
// written here.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/services.h"
#include "config/ini_file.h"
#include "support/text.h"
#include "testing/files.h"
#include "win32/platform_services.h"
#include "win32/support/ansi.h"
#include "win32/support/handles.h"

namespace {

using velu::config::ProfileReader;
using velu::win32::fromAnsi;
using velu::win32::toAnsi;
// The reader gets the program's own file and code page services, so that the oracle checks
// the reader as the program really uses it.
using velu::win32::WindowsAnsiCodePage;
using velu::win32::WindowsFileSystem;

// --- The corpus ------------------------------------------------------------------------------

// The corpus folder as a Windows path.
std::wstring corpusDirectory() {
    return velu::testing::windowsPath(VELU_PROFILE_CORPUS);
}

std::vector<std::string> filesIn(const std::wstring& directory) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    const velu::win32::UniqueFind search(FindFirstFileW((directory + L"\\*.ini").c_str(), &found));
    if (!search) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            names.push_back(toAnsi(found.cFileName));
        }
    } while (FindNextFileW(search.get(), &found));
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<std::string> readBytes(const std::wstring& path) {
    return WindowsFileSystem{}.readAll(path);
}

// Text for failure messages: UTF-8, quoted, control characters escaped.
std::string shown(std::wstring_view text) {
    std::wstring escaped;
    for (const wchar_t c : text) {
        if (c == L'\\' || c == L'"') {
            escaped += L'\\';
            escaped += c;
        } else if (c < 0x20 || c == 0x7F) {
            static const wchar_t* const kHex = L"0123456789abcdef";
            escaped += L"\\x";
            escaped += kHex[(c >> 4) & 0xF];
            escaped += kHex[c & 0xF];
        } else {
            escaped += c;
        }
    }
    std::string quoted = "\"";
    quoted += velu::text::toUtf8(escaped);
    quoted += '"';
    return quoted;
}

// Joins pieces of a message (GCC 12 warns falsely about chains of string operator+).
std::string cat(std::initializer_list<std::string_view> pieces) {
    std::string text;
    for (const auto piece : pieces) text += piece;
    return text;
}

// Loose trimming for the names to ask for: control characters, blanks and the no-break space.
bool isLooseSpace(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte <= 0x20 || byte == 0xA0;
}

std::string_view trimLoosely(std::string_view text) {
    while (!text.empty() && isLooseSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isLooseSpace(text.back())) text.remove_suffix(1);
    return text;
}

std::string untilZero(std::string_view text) {
    return std::string(text.substr(0, text.find('\0')));
}

// Section and key names that occur in a file, read loosely from its bytes: each is taken as
// written and without the blanks around it, so that the readers' own rules decide.
struct Names {
    std::set<std::string> sections;
    std::set<std::string> keys;
};

Names namesIn(std::string_view bytes) {
    Names names;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = bytes.size();
        const std::string_view line = trimLoosely(bytes.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty()) continue;
        if (line.front() == '[') {
            const std::size_t close = line.rfind(']');
            const std::string_view name = line.substr(
                1, close == std::string_view::npos ? std::string_view::npos : close - 1);
            names.sections.insert(untilZero(name));
            names.sections.insert(untilZero(trimLoosely(name)));
            if (close != std::string_view::npos) continue;
        }
        const std::string_view key = line.substr(0, line.find('='));
        names.keys.insert(untilZero(key));
        names.keys.insert(untilZero(trimLoosely(key)));
    }
    return names;
}

// Other spellings of a name that occurs: other case, blanks and tabs around it.
std::vector<std::string> spellingsOf(const std::string& name) {
    std::wstring upper = fromAnsi(name);
    std::wstring lower = upper;
    if (!upper.empty()) {
        CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
        CharLowerBuffW(lower.data(), static_cast<DWORD>(lower.size()));
    }
    return {toAnsi(upper), toAnsi(lower), "  " + name + " ", "\t" + name + "\t"};
}

struct Query {
    std::string section;
    std::string key;
};

std::vector<Query> queriesFor(const Names& names) {
    std::set<std::string> sections = names.sections;
    std::set<std::string> keys = names.keys;
    for (const char* absent : {"", " ", "Fehlt", "Dichtewerte"}) {
        sections.insert(absent);
        keys.insert(absent);
    }
    std::vector<Query> queries;
    for (const auto& section : sections) {
        for (const auto& key : keys) queries.push_back({section, key});
    }
    for (const auto& section : names.sections) {
        for (const auto& other : spellingsOf(section)) {
            for (const auto& key : names.keys) queries.push_back({other, key});
        }
        for (const auto& key : names.keys) {
            for (const auto& other : spellingsOf(key)) queries.push_back({section, other});
        }
    }
    return queries;
}

constexpr char kAbsentText[] = "<absent>";
constexpr std::int32_t kAbsentNumber = -12345;

std::wstring platformString(const Query& q, const std::string& path) {
    char buffer[256] = {};
    GetPrivateProfileStringA(q.section.c_str(), q.key.c_str(), kAbsentText, buffer, sizeof buffer,
                             path.c_str());
    return fromAnsi(buffer);
}

std::int32_t platformInteger(const Query& q, const std::string& path, std::int32_t fallback) {
    return static_cast<std::int32_t>(
        GetPrivateProfileIntA(q.section.c_str(), q.key.c_str(), fallback, path.c_str()));
}

// Where the platform's integer does not fit into 16 bits the program shows the overflow box
// and reads 0.
bool fits16(std::int32_t value) {
    return value >= -32768 && value <= 32767;
}

class CorpusFile : public testing::TestWithParam<std::string> {
  protected:
    WindowsFileSystem files_;
    WindowsAnsiCodePage ansi_;
    ProfileReader ini_{files_, ansi_};
};

TEST_P(CorpusFile, AnswersAsThePlatformDoes) {
    const std::wstring widePath = corpusDirectory() + L"\\" + fromAnsi(GetParam());
    const std::string path = toAnsi(widePath);
    const auto bytes = readBytes(widePath);
    ASSERT_TRUE(bytes.has_value()) << GetParam();

    const std::vector<Query> queries = queriesFor(namesIn(*bytes));
    const velu::config::ProfileFile file = ini_.open(widePath);
    std::vector<std::string> mismatches;
    std::size_t found = 0;
    for (const Query& q : queries) {
        const std::wstring section = fromAnsi(q.section);
        const std::wstring key = fromAnsi(q.key);
        const std::string where = cat({"[", velu::text::toUtf8(section), "] ", shown(key), ": "});

        const std::wstring expected = platformString(q, path);
        const std::wstring actual =
            file.INIGetSettingString(section, key, velu::text::fromUtf8(kAbsentText));
        if (actual != expected) {
            mismatches.push_back(
                cat({where, "string ours ", shown(actual), ", platform ", shown(expected)}));
        }
        if (expected != velu::text::fromUtf8(kAbsentText)) ++found;

        const std::int32_t number = platformInteger(q, path, kAbsentNumber);
        const std::int32_t number32 = file.readInteger32(section, key, kAbsentNumber);
        if (number32 != number) {
            mismatches.push_back(cat({where, "integer ours ", std::to_string(number32),
                                      ", platform ", std::to_string(number)}));
        }

        const auto number16 =
            file.INIGetSettingInteger(section, key, static_cast<std::int16_t>(kAbsentNumber));
        const std::int32_t expected16 = fits16(number) ? number : 0;
        if (number16.value != expected16 || number16.overflow.has_value() == fits16(number)) {
            mismatches.push_back(cat({where, "16-bit integer ours ", std::to_string(number16.value),
                                      number16.overflow ? " with" : " without",
                                      " overflow, platform ", std::to_string(number)}));
        }
    }

    std::string report;
    for (std::size_t i = 0; i < mismatches.size() && i < 60; ++i) {
        report += mismatches[i];
        report += '\n';
    }
    if (mismatches.size() > 60) report += "...\n";
    EXPECT_TRUE(mismatches.empty()) << GetParam() << ": " << mismatches.size() << " of "
                                    << queries.size() << " lookups differ\n"
                                    << report;
    // Many lookups, one parse: the reader keeps its index while the file is unchanged.
    EXPECT_EQ(ini_.parseCount(), 1u);
    // A file with a key line must have given some values, or the queries missed their target
    // (";" comments are keys to the profile functions too).
    if (bytes->find('=') != std::string::npos) {
        EXPECT_GT(found, 0u) << GetParam();
    }
}

std::string testNameOf(const testing::TestParamInfo<std::string>& info) {
    std::string name = info.param.substr(0, info.param.rfind('.'));
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusFile, testing::ValuesIn(filesIn(corpusDirectory())),
                         testNameOf);

TEST(Corpus, HoldsTheAwkwardFiles) {
    EXPECT_GE(filesIn(corpusDirectory()).size(), 40u) << velu::text::toUtf8(corpusDirectory());
    EXPECT_GE(filesIn(corpusDirectory() + L"\\intended").size(), 4u);
}

// --- Files the program reads differently on purpose -------------------------------------------

struct IntendedAnswer {
    const char* file;
    const wchar_t* section;
    const wchar_t* key;
    const wchar_t* text;  // nullptr: the default
};

class IntendedDifference : public testing::TestWithParam<IntendedAnswer> {
  protected:
    WindowsFileSystem files_;
    WindowsAnsiCodePage ansi_;
    ProfileReader ini_{files_, ansi_};
};

TEST_P(IntendedDifference, GivesTheDecodedText) {
    const IntendedAnswer& a = GetParam();
    const std::wstring path = corpusDirectory() + L"\\intended\\" + velu::text::fromUtf8(a.file);
    const std::wstring answer = ini_.open(path).INIGetSettingString(a.section, a.key, L"<absent>");
    EXPECT_EQ(velu::text::toUtf8(answer),
              velu::text::toUtf8(a.text != nullptr ? a.text : L"<absent>"))
        << a.file << " [" << velu::text::toUtf8(a.section) << "] " << velu::text::toUtf8(a.key);
}

constexpr const wchar_t* kCopper = L"\u039a\u03c5\u03c0\u03c1\u03bf\u03c2 \u20ac";

INSTANTIATE_TEST_SUITE_P(
    ByteOrderMarksAndUtf8, IntendedDifference,
    testing::Values(
        IntendedAnswer{"utf8_bom.ini", L"Dichtewerte", L"Name0", L"Stahl \u00fc"},
        IntendedAnswer{"utf8_bom.ini", L"Dichtewerte", L"Name1", kCopper},
        IntendedAnswer{"utf8_bom.ini", L"GR\u00f6\u00dfE", L"\u00e4", L"  zitiert  "},
        IntendedAnswer{"utf8_bom.ini", L"GR\u00d6\u00dfE", L"\u00e4", nullptr},
        IntendedAnswer{"utf8_bom.ini", L"Gr\u00f6\u00dfe", L"\u00c4", nullptr},
        IntendedAnswer{"utf16le_bom.ini", L"Dichtewerte", L"Name0", L"Stahl \u00fc"},
        IntendedAnswer{"utf16le_bom.ini", L"Dichtewerte", L"Name1", kCopper},
        IntendedAnswer{"utf16le_bom.ini", L"Gr\u00f6\u00dfe", L"\u00e4", L"  zitiert  "},
        IntendedAnswer{"utf16be_bom.ini", L"Dichtewerte", L"Name0", L"Stahl \u00fc"},
        IntendedAnswer{"utf16be_bom.ini", L"dichtewerte", L"NAME1", kCopper},
        IntendedAnswer{"utf16be_bom.ini", L"Gr\u00f6\u00dfe", L"\u00e4", L"  zitiert  "},
        IntendedAnswer{"utf8_no_bom.ini", L"Dichtewerte", L"Name0", L"Stahl \u00fc"},
        IntendedAnswer{"utf8_no_bom.ini", L"Dichtewerte", L"Name1", kCopper},
        IntendedAnswer{"utf8_no_bom.ini", L"Gr\u00f6\u00dfe", L"\u00e4", L"  zitiert  "},
        IntendedAnswer{"utf16le_bom_cr.ini", L"Cr", L"k", L"\u00fc"},
        IntendedAnswer{"utf8_bom_only.ini", L"Dichtewerte", L"Name0", nullptr},
        IntendedAnswer{"utf8_bom.ini", L"Fehlt", L"Name0", nullptr}));

// The reader as the program makes it, for the tests that ask it directly.
class ProgramReader : public testing::Test {
  protected:
    WindowsFileSystem files;
    WindowsAnsiCodePage ansi;
    ProfileReader ini{files, ansi};
};

using IntendedDifferences = ProgramReader;

TEST_F(IntendedDifferences, IntegersOfDecodedFiles) {
    const std::wstring folder = corpusDirectory() + L"\\intended\\";
    for (const wchar_t* file :
         {L"utf8_bom.ini", L"utf16le_bom.ini", L"utf16be_bom.ini", L"utf8_no_bom.ini"}) {
        EXPECT_EQ(ini.open(folder + file).INIGetSettingInteger(L"Dichtewerte", L"Anzahl", -1).value,
                  2)
            << velu::text::toUtf8(file);
        EXPECT_EQ(ini.open(folder + file).INIGetSettingInteger(L"Dichtewerte", L"Wert0", -1).value,
                  7)
            << velu::text::toUtf8(file);
    }
    EXPECT_EQ(ini.open(folder + L"utf16le_bom_cr.ini").INIGetSettingInteger(L"Cr", L"n", -1).value,
              2);
}

// Without a mark, the platform reads UTF-8 bytes in the ANSI code page; the program does not.
TEST_F(IntendedDifferences, Utf8WithoutMarkIsReadAsUtf8) {
    const std::wstring path = corpusDirectory() + L"\\intended\\utf8_no_bom.ini";
    char buffer[256] = {};
    GetPrivateProfileStringA("Dichtewerte", "Name0", "", buffer, sizeof buffer,
                             toAnsi(path).c_str());
    EXPECT_EQ(velu::text::toUtf8(fromAnsi(buffer)),
              velu::text::toUtf8(L"Stahl " + fromAnsi("\xC3\xBC")));

    EXPECT_EQ(velu::text::toUtf8(ini.open(path).INIGetSettingString(L"Dichtewerte", L"Name0", L"")),
              velu::text::toUtf8(L"Stahl \u00fc"));
}

// The platform strips trailing blanks and a quote pair from the default; the program returns
// the default as given.
TEST_F(IntendedDifferences, DefaultsComeBackAsGiven) {
    const std::wstring path = corpusDirectory() + L"\\catalogue.ini";
    struct Case {
        const char* given;
        const char* platform;
    };
    for (const Case c : {Case{"Stahl  ", "Stahl"}, Case{"\"Stahl\"", "Stahl"}, Case{"'x' ", "x"},
                         Case{"  ", " "}}) {
        char buffer[256] = {};
        GetPrivateProfileStringA("Dichtewerte", "Fehlt", c.given, buffer, sizeof buffer,
                                 toAnsi(path).c_str());
        EXPECT_STREQ(buffer, c.platform) << shown(velu::text::fromUtf8(c.given));
        EXPECT_EQ(ini.open(path).INIGetSettingString(L"Dichtewerte", L"Fehlt",
                                                     velu::text::fromUtf8(c.given)),
                  velu::text::fromUtf8(c.given));
    }
}

// --- The overflow and the neutral values -------------------------------------------------

class OverflowBox : public ProgramReader,
                    public testing::WithParamInterface<std::pair<const wchar_t*, std::int16_t>> {};

TEST_P(OverflowBox, IsReportedAndGivesZero) {
    const auto [key, fallback] = GetParam();
    const std::wstring path = corpusDirectory() + L"\\integers.ini";
    const auto setting = ini.open(path).INIGetSettingInteger(L"Zahlen", key, fallback);
    EXPECT_EQ(setting.value, 0);
    EXPECT_TRUE(setting.overflow.has_value());
}

INSTANTIATE_TEST_SUITE_P(
    OutOf16Bits, OverflowBox,
    testing::Values(std::pair{L"big", std::int16_t{0}}, std::pair{L"big", std::int16_t{-1}},
                    std::pair{L"over16", std::int16_t{7}}, std::pair{L"under16", std::int16_t{-1}},
                    std::pair{L"eleven", std::int16_t{-1}}, std::pair{L"below", std::int16_t{0}}));

using NeutralValues = ProgramReader;

TEST_F(NeutralValues, AbsentFileSectionAndKeyGiveTheDefaults) {
    const std::wstring present = corpusDirectory() + L"\\catalogue.ini";
    const std::wstring missing = corpusDirectory() + L"\\fehlt.ini";
    const struct {
        const std::wstring* path;
        const wchar_t* section;
        const wchar_t* key;
    } cases[] = {{&missing, L"Dichtewerte", L"Anzahl"},
                 {&present, L"Fehlt", L"Anzahl"},
                 {&present, L"Dichtewerte", L"Fehlt"}};
    for (const auto& c : cases) {
        const std::string where = velu::text::toUtf8(*c.path + L" " + c.section + L" " + c.key);
        for (const std::int16_t fallback : {std::int16_t{-1}, std::int16_t{0}}) {
            EXPECT_EQ(ini.open(*c.path).INIGetSettingInteger(c.section, c.key, fallback).value,
                      fallback)
                << where;
            EXPECT_EQ(static_cast<std::int32_t>(
                          GetPrivateProfileIntA(toAnsi(c.section).c_str(), toAnsi(c.key).c_str(),
                                                fallback, toAnsi(*c.path).c_str())),
                      fallback)
                << where;
        }
        EXPECT_EQ(ini.open(*c.path).INIGetSettingString(c.section, c.key, L""), L"") << where;
    }
    // The present file's own values are there, so the absent answers above mean something.
    EXPECT_EQ(ini.open(present).INIGetSettingInteger(L"Dichtewerte", L"Anzahl", -1).value, 6);
}

}  // namespace

// The sample configuration files in examples/ read as the program reads them: every section
// names a control of one of the two windows, every key is one the loader reads for that
// control, and the catalogue loads whole.

#include <gmock/gmock.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "about/about_layout.h"
#include "app/main_window_layout.h"
#include "assembly/assembly_layout.h"
#include "config/density_catalogue.h"
#include "config/message_table.h"
#include "fakes.h"
#include "support/text.h"
#include "windows1252.h"

namespace velu {
namespace {

std::string examplePath(const char* name) {
#ifdef __MINGW32__
    // Cross-built tests run under Wine, which shows the Unix root as drive Z:.
    return std::string("Z:") + VELU_EXAMPLES + "/" + name;
#else
    return std::string(VELU_EXAMPLES) + "/" + name;
#endif
}

std::string bytesOf(const char* name) {
    std::ifstream file(examplePath(name), std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// The sections of a profile file with the names of their keys, as they stand in the text.
std::map<std::wstring, std::vector<std::wstring>> sectionsOf(const std::wstring& text) {
    std::map<std::wstring, std::vector<std::wstring>> sections;
    std::wstring current;
    std::wistringstream lines(text);
    for (std::wstring line; std::getline(lines, line);) {
        while (!line.empty() && (line.back() == L'\r' || line.back() == L' ')) line.pop_back();
        if (line.empty() || line[0] == L';') continue;
        if (line[0] == L'[') {
            current = line.substr(1, line.find(L']') - 1);
            sections[current];
        } else if (const auto equals = line.find(L'='); equals != std::wstring::npos) {
            sections[current].push_back(line.substr(0, equals));
        }
    }
    return sections;
}

// The keys the interface text loader reads for a control of that kind; none for the others.
bool keyReadFor(forms::Kind kind, const std::wstring& key) {
    static const std::wregex item(L"AddItem(0|[1-9][0-9]*)");
    static const std::wregex heading(L"Spalte[0-7]");
    switch (kind) {
        case forms::Kind::Menu:
            return key == L"Caption";
        case forms::Kind::Label:
        case forms::Kind::CommandButton:
        case forms::Kind::CheckBox:
        case forms::Kind::Frame:
            return key == L"Caption" || key == L"ToolTipText";
        case forms::Kind::ComboBox:
        case forms::Kind::ListBox:
            return key == L"AnzahlListe" || key == L"ToolTipText" || key == L"Default" ||
                   std::regex_match(key, item);
        case forms::Kind::ListView:
            return key == L"ToolTipText" || std::regex_match(key, heading);
        default:
            return false;
    }
}

class SampleTexts : public ::testing::TestWithParam<const char*> {};

TEST_P(SampleTexts, EverySectionNamesAControlAndEveryKeyIsOneTheLoaderReads) {
    const std::string bytes = bytesOf(GetParam());
    ASSERT_FALSE(bytes.empty()) << examplePath(GetParam());
    const app::MainWindowForm main;
    const about::AboutForm about;
    const assembly::AssemblyForm assembly;
    const std::wregex info(L"Info(0|[1-9][0-9]*)");
    std::set<const forms::Control*> given;
    for (const auto& [section, keys] : sectionsOf(Windows1252().decode(bytes))) {
        if (section == L"messages") {
            for (const auto& key : keys) {
                EXPECT_TRUE(key == L"AnzahlInfo" || std::regex_match(key, info))
                    << text::toUtf8(key);
            }
            continue;
        }
        const auto dot = section.find(L'.');
        ASSERT_NE(dot, std::wstring::npos) << text::toUtf8(section);
        const std::wstring window = section.substr(0, dot);
        const forms::Form* form = nullptr;
        if (window == L"frmVelumarDichte") form = &main;
        if (window == L"frmAbout") form = &about;
        if (window == L"frmBaugruppe") form = &assembly;
        ASSERT_NE(form, nullptr) << text::toUtf8(section);
        const forms::Control* control = form->find(section.substr(dot + 1));
        ASSERT_NE(control, nullptr) << text::toUtf8(section);
        given.insert(control);
        for (const auto& key : keys) {
            EXPECT_TRUE(keyReadFor(control->kind(), key))
                << text::toUtf8(section) << " " << text::toUtf8(key);
        }
    }
    // The sample is a whole interface: every control that has texts gets its section.
    for (const forms::Form* form :
         {static_cast<const forms::Form*>(&main), static_cast<const forms::Form*>(&about),
          static_cast<const forms::Form*>(&assembly)}) {
        for (const auto& control : form->controls()) {
            if (keyReadFor(control->kind(), L"ToolTipText") ||
                keyReadFor(control->kind(), L"Caption")) {
                EXPECT_TRUE(given.count(control.get()))
                    << text::toUtf8(form->name() + L"." + control->name());
            }
        }
    }
}

TEST_P(SampleTexts, TheMessageTableHasAllItsTextsAndNoEntryIsEmpty) {
    testing::MemoryFiles files;
    files.write(L"default.ini", bytesOf(GetParam()));
    Windows1252 ansi;
    config::ProfileReader ini(files, ansi);
    const auto table = config::loadMessageTable(ini.open(L"default.ini"));
    ASSERT_EQ(table.texts.size(), config::kMessageRoles);
    for (const auto& text : table.texts) EXPECT_FALSE(text.empty());
    // The warnings about the material name their values where the program fills them in.
    EXPECT_NE(table.texts[config::kMaterialSetsDensity].find(L"%1"), std::wstring::npos);
    EXPECT_NE(table.texts[config::kMaterialSetsDensity].find(L"%2"), std::wstring::npos);
    EXPECT_NE(table.texts[config::kMassComputedWith].find(L"%1"), std::wstring::npos);
    // So do the texts the assembly window puts together, each with all of its values.
    const std::pair<config::MessageRole, int> filled[] = {
        {config::kAssemblyMaterial, 2}, {config::kReadingParts, 2},
        {config::kPartsListed, 4},      {config::kWritingParts, 2},
        {config::kPartsWritten, 5},     {config::kResultMaterialDecides, 1},
        {config::kStoppedAfter, 2},     {config::kResultMassComputedWith, 1},
        {config::kAssemblyMass, 1},     {config::kAssemblyMassChanged, 2}};
    for (const auto& [role, values] : filled) {
        for (int value = 1; value <= values; ++value) {
            EXPECT_NE(table.texts[role].find(L"%" + std::to_wstring(value)), std::wstring::npos)
                << "Info" << static_cast<std::size_t>(role) << " %" << value;
        }
    }
    // The arrow between the masses before and after reads as the arrow: the file is UTF-8.
    EXPECT_NE(table.texts[config::kAssemblyMassChanged].find(L"\u2192"), std::wstring::npos);
    EXPECT_TRUE(table.notices.empty());
}

INSTANTIATE_TEST_SUITE_P(Files, SampleTexts, ::testing::Values("default.ini", "default-en.ini"));

// Whole numbers read the same under every number format: the sample loads whole, without a
// box, whichever decimal separator the user has.
class SampleCatalogue : public ::testing::TestWithParam<wchar_t> {};

TEST_P(SampleCatalogue, LoadsWholeWithStahlSelectedAndNoBox) {
    testing::MemoryFiles files;
    files.write(L"velu.ini", bytesOf("velu.ini"));
    Windows1252 ansi;
    config::ProfileReader ini(files, ansi);
    const auto catalogue = config::loadDensityCatalogue(ini.open(L"velu.ini"), GetParam());
    EXPECT_TRUE(catalogue.notices.empty());
    EXPECT_GE(catalogue.names.size(), 40u);
    EXPECT_EQ(catalogue.names.size(), catalogue.densities.size());
    EXPECT_EQ(catalogue.names[static_cast<std::size_t>(catalogue.defaultIndex)], L"Stahl");
    for (std::size_t i = 0; i < catalogue.names.size(); ++i) {
        EXPECT_FALSE(catalogue.names[i].empty()) << i;
        EXPECT_GT(catalogue.densities[i], 0.0) << text::toUtf8(catalogue.names[i]);
        EXPECT_LT(catalogue.densities[i], 25000.0) << text::toUtf8(catalogue.names[i]);
    }
}

INSTANTIATE_TEST_SUITE_P(NumberFormats, SampleCatalogue, ::testing::Values(L',', L'.'));

}  // namespace
}  // namespace velu

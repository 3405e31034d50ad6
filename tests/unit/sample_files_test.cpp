// The sample configuration files in examples/ read as the program reads them: every section
// names a control of one of the two windows, every key is one the loader reads for that
// control, and the catalogue loads whole.

#include <gmock/gmock.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "about/about_layout.h"
#include "app/main_window_layout.h"
#include "config/density_catalogue.h"
#include "config/message_table.h"
#include "fakes.h"
#include "support/text.h"

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

bool keyReadFor(std::wstring_view type, const std::wstring& key) {
    static const std::wregex item(L"AddItem(0|[1-9][0-9]*)");
    if (type == L"Menu") return key == L"Caption";
    if (type == L"Label" || type == L"CommandButton" || type == L"CheckBox" || type == L"Frame") {
        return key == L"Caption" || key == L"ToolTipText";
    }
    if (type == L"ComboBox" || type == L"Listbox") {
        return key == L"AnzahlListe" || key == L"ToolTipText" || key == L"Default" ||
               std::regex_match(key, item);
    }
    return false;
}

class SampleTexts : public ::testing::TestWithParam<const char*> {};

TEST_P(SampleTexts, EverySectionNamesAControlAndEveryKeyIsOneTheLoaderReads) {
    const std::string bytes = bytesOf(GetParam());
    ASSERT_FALSE(bytes.empty()) << examplePath(GetParam());
    const auto main = app::makeMainWindowForm();
    const auto about = about::makeAboutForm();
    const std::wregex info(L"Info(0|[1-9][0-9]*)");
    int controls = 0;
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
        const forms::Form* form = window == L"frmVelumarDichte" ? main.get()
                                  : window == L"frmAbout"       ? about.get()
                                                                : nullptr;
        ASSERT_NE(form, nullptr) << text::toUtf8(section);
        const forms::Control* control = form->find(section.substr(dot + 1));
        ASSERT_NE(control, nullptr) << text::toUtf8(section);
        ++controls;
        for (const auto& key : keys) {
            EXPECT_TRUE(keyReadFor(control->typeName(), key))
                << text::toUtf8(section) << " " << text::toUtf8(key);
        }
    }
    EXPECT_EQ(controls, 38);  // every control both windows give texts to
}

TEST_P(SampleTexts, TheMessageTableHasItsSevenTextsAndNoEntryIsEmpty) {
    testing::MemoryFiles files;
    files.write(L"default.ini", bytesOf(GetParam()));
    Windows1252 ansi;
    testing::RecordingBoxes boxes;
    config::IniFile ini(files, ansi, boxes);
    const auto texts = config::loadMessageTable(ini, L"default.ini");
    ASSERT_EQ(texts.size(), 7u);
    for (const auto& text : texts) EXPECT_FALSE(text.empty());
    EXPECT_TRUE(boxes.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Files, SampleTexts, ::testing::Values("default.ini", "default-en.ini"));

// Whole numbers read the same under every number format: the sample loads whole, without a
// box, whichever decimal separator the user has.
class SampleCatalogue : public ::testing::TestWithParam<wchar_t> {};

TEST_P(SampleCatalogue, LoadsWholeWithStahlSelectedAndNoBox) {
    testing::MemoryFiles files;
    files.write(L"velu.ini", bytesOf("velu.ini"));
    Windows1252 ansi;
    testing::RecordingBoxes boxes;
    config::IniFile ini(files, ansi, boxes);
    const auto catalogue = config::loadDensityCatalogue(ini, L"velu.ini", GetParam(), boxes);
    EXPECT_TRUE(boxes.shown.empty());
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

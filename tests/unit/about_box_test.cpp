// The About box: its texts and the start of the system information program.

#include "about/about_box.h"

#include <gmock/gmock.h>

#include <map>
#include <optional>
#include <set>

#include "fakes.h"
#include "windows1252.h"

namespace velu::about {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::wstring kMsinfoKey = L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const std::wstring kLocationKey = L"SOFTWARE\\Microsoft\\Shared Tools Location";
const std::wstring kNotAvailable = L"System-Informationen sind augenblicklich nicht verfügbar.";

class FakeRegistry final : public Registry {
  public:
    std::map<std::pair<std::wstring, std::wstring>, Value> values;
    std::vector<std::wstring> opened;

    Status read(std::uint32_t root, const std::wstring& key, const std::wstring& value,
                std::size_t bufferSize, Value& delivered) override {
        opened.push_back(key);
        if (root != kLocalMachine) return Status::KeyNotOpened;
        const auto found = values.find({key, value});
        if (found == values.end()) return Status::ValueNotRead;
        if (found->second.bytes.size() > bufferSize) return Status::ValueNotRead;
        delivered = found->second;
        return Status::Read;
    }
    void text(const std::wstring& key, const std::wstring& value, const std::string& bytes) {
        values[{key, value}] = Value{1, bytes};
    }
};

class FakePrograms final : public Programs {
  public:
    bool startWorks = true;
    std::set<std::wstring> failing;  // programs whose start fails
    std::vector<std::wstring> started;
    bool start(const std::wstring& programFile) override {
        started.push_back(programFile);
        return startWorks && !failing.count(programFile);
    }
    std::wstring systemDirectory() const override { return L"C:\\Windows\\system32"; }
};

class About : public ::testing::Test {
  protected:
    AboutBox& make() {
        box = std::make_unique<AboutBox>(
            AboutServices{boxes, files, ansi, profiles, registry, programs,
                          [this] { shows.push_back(caption()); }, [this] { ++unloads; }});
        return *box;
    }
    std::wstring caption() { return box->form().lblVersion.caption(); }

    testing::RecordingBoxes boxes;
    testing::MemoryFiles files;
    Windows1252 ansi;
    config::ProfileReader profiles{files, ansi};
    FakeRegistry registry;
    FakePrograms programs;
    std::unique_ptr<AboutBox> box;
    std::vector<std::wstring> shows;
    int unloads = 0;
};

TEST_F(About, LoadSetsTitleVersionAndDescriptionThenShowsTheBox) {
    auto& about = make();
    about.Form_Load();
    EXPECT_EQ(about.form().caption(), L"velu-Info");
    EXPECT_EQ(about.form().lblTitle.caption(), L"velu");
    EXPECT_EQ(about.form().lblVersion.caption(), L"Version 1.1.6");
    EXPECT_THAT(about.form().lblDescription.caption(),
                ::testing::StartsWith(L"VelumarDichte stellt einem Solidworksanwender"));
    EXPECT_FALSE(about.form().lblDisclaimer.caption().empty());
    EXPECT_THAT(shows, ElementsAre(L"Version 1.1.6"));
}

TEST_F(About, TheInterfaceTextFileOverridesTheTextsBuiltAtLoadButNotTheCaption) {
    files.writeBeside(L"default.ini",
                      "[frmAbout.lblVersion]\r\nCaption=Ausgabe 7\r\n[frmAbout.cmdOK]\r\n"
                      "Caption=&Schließen\r\n[frmAbout.lblTitle]\r\nCaption=Velumar\r\n");
    auto& about = make();
    about.Form_Load();
    EXPECT_EQ(about.form().lblVersion.caption(), L"Ausgabe 7");
    EXPECT_THAT(shows, ElementsAre(L"Version 1.1.6"));  // shown first, reworded after
    EXPECT_EQ(about.form().lblTitle.caption(), L"Velumar");
    EXPECT_EQ(about.form().cmdOK.caption(), L"&Schließen");
    EXPECT_EQ(about.form().caption(), L"velu-Info");
}

TEST_F(About, OkUnloadsTheBox) {
    make().Form_Load();
    box->form().click(box->form().cmdOK);
    EXPECT_EQ(unloads, 1);
}

TEST_F(About, TheFirstValueIsStartedWithoutAnExistenceCheck) {
    registry.text(kMsinfoKey, L"PATH", std::string("D:\\Tools mit Blank\\msinfo32.exe\0", 32));
    make().StartSysInfo();
    EXPECT_THAT(programs.started, ElementsAre(L"D:\\Tools mit Blank\\msinfo32.exe"));
    EXPECT_THAT(boxes.shown, IsEmpty());

    programs.startWorks = false;
    box->StartSysInfo();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, kNotAvailable);
    EXPECT_EQ(boxes.shown[0].title, L"velu");
    EXPECT_EQ(boxes.shown[0].style, BoxStyle::Plain);
}

TEST_F(About, TheSecondValueNamesTheDirectoryWhereTheProgramMustBe) {
    registry.text(kLocationKey, L"MSINFO", std::string("C:\\MSINFO\0", 10));
    make().StartSysInfo();
    EXPECT_THAT(programs.started, IsEmpty());
    ASSERT_EQ(boxes.shown.size(), 1u);

    files.write(L"C:\\MSINFO\\MSINFO32.EXE", "MZ");
    box->StartSysInfo();
    EXPECT_THAT(programs.started, ElementsAre(L"C:\\MSINFO\\MSINFO32.EXE"));
}

// Where the program is looked for: the registry's path, the registry's directory, then the
// system directory; the message only when none of them starts a program.
struct SysInfoCase {
    const char* name;
    std::optional<std::string> path;      // PATH, as its bytes
    std::optional<std::string> location;  // Shared Tools Location\MSINFO, as its bytes
    bool pathStarts;
    bool fileInLocation;
    bool fileInSystem;
    std::vector<std::wstring> started;
    bool message;
};

const std::wstring kRegistryProgram = L"D:\\Alt\\msinfo32.exe";
const std::wstring kLocationProgram = L"D:\\Ort\\MSINFO32.EXE";
const std::wstring kSystemProgram = L"C:\\Windows\\system32\\msinfo32.exe";

class SysInfoSearch : public About, public ::testing::WithParamInterface<SysInfoCase> {};

TEST_P(SysInfoSearch, StartsTheFirstProgramThatStartsOrSaysItIsNotAvailable) {
    const auto& c = GetParam();
    if (c.path) registry.text(kMsinfoKey, L"PATH", *c.path);
    if (c.location) registry.text(kLocationKey, L"MSINFO", *c.location);
    if (!c.pathStarts) programs.failing.insert(kRegistryProgram);
    if (c.fileInLocation) files.write(kLocationProgram, "MZ");
    if (c.fileInSystem) files.write(kSystemProgram, "MZ");
    make().StartSysInfo();
    EXPECT_EQ(programs.started, c.started);
    ASSERT_EQ(boxes.shown.size(), c.message ? 1u : 0u);
    if (c.message) {
        EXPECT_EQ(boxes.shown[0].text, kNotAvailable);
        EXPECT_EQ(boxes.shown[0].title, L"velu");
        EXPECT_EQ(boxes.shown[0].style, BoxStyle::Plain);
    }
}

const std::string kPath("D:\\Alt\\msinfo32.exe\0", 20);
const std::string kLocation("D:\\Ort\0", 7);

INSTANTIATE_TEST_SUITE_P(
    Places, SysInfoSearch,
    ::testing::Values(
        SysInfoCase{"NoValueNoProgram", {}, {}, true, false, false, {}, true},
        SysInfoCase{"NoValue", {}, {}, true, false, true, {kSystemProgram}, false},
        SysInfoCase{"PathStarts", kPath, kLocation, true, true, true, {kRegistryProgram}, false},
        SysInfoCase{"StalePathNoProgram", kPath, {}, false, false, false, {kRegistryProgram}, true},
        SysInfoCase{
            "StalePath", kPath, {}, false, false, true, {kRegistryProgram, kSystemProgram}, false},
        SysInfoCase{"StalePathThenLocation",
                    kPath,
                    kLocation,
                    false,
                    true,
                    true,
                    {kRegistryProgram, kLocationProgram},
                    false},
        SysInfoCase{"StaleLocationNoProgram", {}, kLocation, true, false, false, {}, true},
        SysInfoCase{"StaleLocation", {}, kLocation, true, false, true, {kSystemProgram}, false},
        SysInfoCase{"EmptyPath", std::string(), {}, true, false, true, {kSystemProgram}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(About, GetKeyValueDropsOneTerminatingZeroAndNoMore) {
    auto& about = make();
    std::wstring value = L"vorher";
    registry.text(kMsinfoKey, L"A", std::string("abc\0", 4));
    EXPECT_TRUE(about.GetKeyValue(kLocalMachine, kMsinfoKey, L"A", value));
    EXPECT_EQ(value, L"abc");
    registry.text(kMsinfoKey, L"B", std::string("abc\0\0", 5));
    EXPECT_TRUE(about.GetKeyValue(kLocalMachine, kMsinfoKey, L"B", value));
    EXPECT_EQ(value, std::wstring(L"abc\0", 4));
    registry.text(kMsinfoKey, L"C", "abc");
    EXPECT_TRUE(about.GetKeyValue(kLocalMachine, kMsinfoKey, L"C", value));
    EXPECT_EQ(value, L"abc");
    registry.text(kMsinfoKey, L"D", "Stahl \xFC");
    EXPECT_TRUE(about.GetKeyValue(kLocalMachine, kMsinfoKey, L"D", value));
    EXPECT_EQ(value, L"Stahl ü");
}

TEST_F(About, GetKeyValueEmptiesTheTextWhenNothingCanBeRead) {
    auto& about = make();
    std::wstring value = L"vorher";
    EXPECT_FALSE(about.GetKeyValue(kLocalMachine, kMsinfoKey, L"fehlt", value));
    EXPECT_EQ(value, L"");
    registry.text(kMsinfoKey, L"lang", std::string(1025, 'x'));
    value = L"vorher";
    EXPECT_FALSE(about.GetKeyValue(kLocalMachine, kMsinfoKey, L"lang", value));
    EXPECT_EQ(value, L"");
    EXPECT_FALSE(about.GetKeyValue(0x80000001, kMsinfoKey, L"A", value));
}

TEST_F(About, NumbersAndOtherTypesAreReadAsTheyDeliver) {
    auto& about = make();
    std::wstring value = L"vorher";
    registry.values[{kMsinfoKey, L"N"}] = Registry::Value{4, std::string("\x2A\x01\0\0", 4)};
    EXPECT_TRUE(about.GetKeyValue(kLocalMachine, kMsinfoKey, L"N", value));
    EXPECT_EQ(value, L"298");
    registry.values[{kMsinfoKey, L"X"}] = Registry::Value{3, "\x01\x02"};
    EXPECT_TRUE(about.GetKeyValue(kLocalMachine, kMsinfoKey, L"X", value));
    EXPECT_EQ(value, L"298");
}

}  // namespace
}  // namespace velu::about

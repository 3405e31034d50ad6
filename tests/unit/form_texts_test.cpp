// The interface text loader over a form with every kind of control.

#include "config/form_texts.h"

#include <gmock/gmock.h>

#include "fakes.h"
#include "windows1252.h"

namespace velu::config {
namespace {

using forms::Kind;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::unique_ptr<forms::Form> everyKind() {
    auto form = std::make_unique<forms::Form>(L"frmProbe", L"Probe", forms::TwipsRect{});
    for (auto definition : std::vector<forms::ControlDefinition>{
             {.name = L"mnuDatei", .kind = Kind::Menu, .caption = L"&Datei"},
             {.name = L"lblName", .kind = Kind::Label, .caption = L"Name", .toolTip = L"Tipp"},
             {.name = L"cmdLos", .kind = Kind::CommandButton, .caption = L"&Los"},
             {.name = L"chkAn", .kind = Kind::CheckBox, .caption = L"An"},
             {.name = L"fraRahmen", .kind = Kind::Frame, .caption = L" Rahmen "},
             {.name = L"lstListe", .kind = Kind::ListBox, .items = {L"a", L"b"}},
             {.name = L"cmbWahl",
             .kind = Kind::ComboBox,
             .toolTip = L"Wahl",
             .items = {L"Systemstandard", L"Nur aktives Teil", L"Alles, was möglich ist"}},
             {.name = L"imgBild", .kind = Kind::Image},
             {.name = L"timUhr", .kind = Kind::Timer},
             {.name = L"picLogo", .kind = Kind::PictureBox},
             {.name = L"linStrich", .kind = Kind::Line},
         }) {
        form->add(std::move(definition));
    }
    return form;
}

class LoadTexts : public ::testing::Test {
  protected:
    void load(const std::string& file) {
        files.writeBeside(L"default.ini", file);
        LoadFormTexts(*form, ini, files);
    }
    forms::Control& control(const wchar_t* name) { return *form->find(name); }

    std::unique_ptr<forms::Form> form = everyKind();
    testing::MemoryFiles files;
    Windows1252 ansi;
    config::ProfileReader ini{files, ansi};
};

TEST_F(LoadTexts, WithoutTheFileNothingIsTouched) {
    struct Changes final : forms::FormObserver {
        void controlChanged(const forms::Control&, forms::Property) override { ++count; }
        int count = 0;
    } changes;
    control(L"cmbWahl").setListIndex(2);
    form->addObserver(&changes);
    LoadFormTexts(*form, ini, files);
    form->removeObserver(&changes);
    EXPECT_EQ(changes.count, 0);
    EXPECT_EQ(control(L"cmbWahl").listIndex(), 2);
    EXPECT_EQ(control(L"cmbWahl").items().size(), 3u);
    EXPECT_EQ(control(L"lblName").caption(), L"Name");
    EXPECT_EQ(ini.parseCount(), 0u);
}

TEST_F(LoadTexts, AFileWithOnlyMessagesKeepsEveryTextAndRefillsTheListsWithNothingSelected) {
    control(L"cmbWahl").setListIndex(2);
    load("[messages]\r\nAnzahlInfo=0\r\nInfo0=x\r\n");
    EXPECT_EQ(control(L"fraRahmen").caption(), L" Rahmen ");
    EXPECT_EQ(control(L"lblName").toolTip(), L"Tipp");
    EXPECT_THAT(control(L"cmbWahl").items(),
                ElementsAre(L"Systemstandard", L"Nur aktives Teil", L"Alles, was möglich ist"));
    EXPECT_EQ(control(L"cmbWahl").listIndex(), -1);
    EXPECT_THAT(control(L"lstListe").items(), ElementsAre(L"a", L"b"));
}

TEST_F(LoadTexts, CaptionsAndToolTipsComeFromTheControlsSectionAndEmptyValuesBlankThem) {
    load(
        "[frmProbe.mnuDatei]\r\nCaption=&File\r\nToolTipText=ignoriert\r\n"
        "[frmProbe.lblName]\r\nCaption=\r\nToolTipText=Neu\r\n"
        "[frmProbe.cmdLos]\r\nCaption=&Go\r\n"
        "[frmProbe.chkAn]\r\nToolTipText=Schalter\r\n"
        "[frmProbe.fraRahmen]\r\nCaption=\"  Rahmen  \"\r\n");
    EXPECT_EQ(control(L"mnuDatei").caption(), L"&File");
    EXPECT_EQ(control(L"mnuDatei").toolTip(), L"");
    EXPECT_EQ(control(L"lblName").caption(), L"");
    EXPECT_EQ(control(L"lblName").toolTip(), L"Neu");
    EXPECT_EQ(control(L"cmdLos").caption(), L"&Go");
    EXPECT_EQ(control(L"chkAn").caption(), L"An");
    EXPECT_EQ(control(L"chkAn").toolTip(), L"Schalter");
    EXPECT_EQ(control(L"fraRahmen").caption(), L"  Rahmen  ");
}

struct ListCase {
    const char* keys;
    std::vector<std::wstring> entries;
    int selected;
};

class ListTexts : public LoadTexts, public ::testing::WithParamInterface<ListCase> {};

TEST_P(ListTexts, CountItemsAndDefaultRefillTheList) {
    load(std::string("[frmProbe.cmbWahl]\r\n") + GetParam().keys);
    EXPECT_EQ(control(L"cmbWahl").items(), GetParam().entries);
    EXPECT_EQ(control(L"cmbWahl").listIndex(), GetParam().selected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ListTexts,
    ::testing::Values(
        // A missing AddItem takes the entry the list held at that index.
        ListCase{"AnzahlListe=3\r\nAddItem0=Eins\r\nAddItem2=Drei\r\n",
                 {L"Eins", L"Nur aktives Teil", L"Drei"},
                 -1},
        ListCase{"AnzahlListe=4\r\nAddItem0=A\r\nAddItem1=B\r\nAddItem2=C\r\n",
                 {L"A", L"B", L"C", L""},
                 -1},
        ListCase{"AnzahlListe=0\r\nAddItem0=A\r\n", {}, -1},
        ListCase{"AnzahlListe=-5\r\nAddItem0=A\r\n", {}, -1},
        ListCase{"AnzahlListe=2\r\nAddItem0=A\r\nAddItem1=B\r\nAddItem2=C\r\nAddItem5=F\r\n",
                 {L"A", L"B"},
                 -1},
        ListCase{"Default=1\r\n",
                 {L"Systemstandard", L"Nur aktives Teil", L"Alles, was möglich ist"},
                 1},
        ListCase{"AnzahlListe=2\r\nDefault=-1\r\n", {L"Systemstandard", L"Nur aktives Teil"}, -1},
        // What is not a whole number, or names no entry, is ignored.
        ListCase{"AnzahlListe=zwei\r\nDefault=eins\r\n",
                 {L"Systemstandard", L"Nur aktives Teil", L"Alles, was möglich ist"},
                 -1},
        ListCase{"AnzahlListe=2\r\nDefault=2\r\n", {L"Systemstandard", L"Nur aktives Teil"}, -1},
        ListCase{"AnzahlListe=1.5\r\nDefault=-2\r\n",
                 {L"Systemstandard", L"Nur aktives Teil", L"Alles, was möglich ist"},
                 -1}));

TEST_F(LoadTexts, AHugeCountIsCappedAtTheLargestList) {
    for (const char* count : {"99999", "2147483647"}) {
        load(std::string("[frmProbe.lstListe]\r\nAnzahlListe=") + count + "\r\n");
        EXPECT_EQ(control(L"lstListe").items().size(), 32768u) << count;
        EXPECT_EQ(control(L"lstListe").items()[1], L"b") << count;
    }
}

TEST_F(LoadTexts, TheSelectionFromTheFileRunsTheListsHandler) {
    int clicks = 0;
    form->on(control(L"cmbWahl"), forms::Event::Click, [&] { ++clicks; });
    load("[frmProbe.cmbWahl]\r\nDefault=2\r\n");
    EXPECT_EQ(clicks, 1);
}

TEST_F(LoadTexts, PicturesTimersLinesAndSectionsWithoutTheWindowNameHaveNoEffect) {
    load(
        "[frmProbe.imgBild]\r\nCaption=x\r\n[frmProbe.timUhr]\r\nCaption=x\r\n"
        "[frmProbe.picLogo]\r\nToolTipText=x\r\n[frmProbe.linStrich]\r\nCaption=x\r\n"
        "[lblName]\r\nCaption=ohne Fenster\r\n");
    for (const wchar_t* name : {L"imgBild", L"timUhr", L"picLogo", L"linStrich"}) {
        EXPECT_EQ(control(name).caption(), L"");
        EXPECT_EQ(control(name).toolTip(), L"");
    }
    EXPECT_EQ(control(L"lblName").caption(), L"Name");
}

TEST(FileExistsTest, OnlyOrdinaryFilesExist) {
    testing::MemoryFiles files;
    files.write(L"C:\\a.ini", "x");
    files.write(L"C:\\hidden.ini", "x");
    files.makeHidden(L"C:\\hidden.ini");
    EXPECT_TRUE(FileExists(files, L"C:\\a.ini"));
    EXPECT_FALSE(FileExists(files, L"C:\\hidden.ini"));
    EXPECT_FALSE(FileExists(files, L"C:\\b.ini"));
    EXPECT_FALSE(FileExists(files, L""));
}

}  // namespace
}  // namespace velu::config

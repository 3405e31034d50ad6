// The transfer: the selected density into the system default, the active part, or both.

#include <gmock/gmock.h>

#include "built_in_texts.h"
#include "main_window_fixture.h"

namespace velu::app {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Document = testing::FakeCad::Document;

const std::wstring kTitle = testing::builtIn(config::kBoxTitle);
const std::wstring kSuccess = testing::builtIn(config::kSuccess);
const std::wstring kFailure = testing::builtIn(config::kFailure);
const std::wstring kNoDocument = testing::builtIn(config::kNoDocument);
const std::wstring kNotAPart = testing::builtIn(config::kNotAPart);
const std::wstring kNothingWritten = testing::builtIn(config::kNothingWritten);
const std::wstring kSystemInstead = testing::builtIn(config::kSystemDefaultInstead);
const std::wstring kNeither = testing::builtIn(config::kNeitherPartNorAssembly);

struct Row {
    int mode;
    Document document;
    std::vector<std::wstring> writes;  // "app" / "doc", in order
    std::vector<std::wstring> prompts;
    bool success;  // false: failure outcome; ignored when no outcome step
    bool outcome;  // the outcome step runs
    bool readout;  // the readout runs afterwards
};

class TransferModeTable : public testing::MainWindowFixture,
                          public ::testing::WithParamInterface<Row> {};

TEST_P(TransferModeTable, WritesWarnsAndReportsAsTheModeTableSays) {
    const Row& row = GetParam();
    start();
    cad.activeDocument = row.document;
    form().cmbAnwendenAuf.setListIndex(row.mode);
    form().lblDensity.setCaption(L"vorher");
    click(form().cmdSetDensity);

    std::vector<std::wstring> writes;
    for (const auto& call : cad.calls) {
        if (call.member == L"SetUserPreferenceDoubleValue") {
            writes.push_back(call.object);
            EXPECT_THAT(call.arguments, ElementsAre(L"I4:7", L"R8&:7850.000000"));
        }
    }
    EXPECT_EQ(writes, row.writes);

    std::vector<std::wstring> prompts;
    for (const auto& box : boxes.shown) {
        prompts.push_back(box.text);
        EXPECT_EQ(box.title, kTitle);
    }
    auto expected = row.prompts;
    if (row.outcome) expected.push_back(row.success ? kSuccess : kFailure);
    EXPECT_EQ(prompts, expected);
    if (row.outcome) {
        EXPECT_EQ(boxes.shown.back().style, row.success ? BoxStyle::Information : BoxStyle::Stop);
    } else {
        EXPECT_EQ(boxes.shown.back().style, BoxStyle::Warning);
    }
    EXPECT_EQ(form().imgVis.picture(),
              row.outcome && row.success ? forms::Picture::Success : forms::Picture::Error);
    EXPECT_TRUE(form().timImage.timerEnabled());
    EXPECT_EQ(form().lblDensity.caption() != L"vorher", row.readout);
    EXPECT_THAT(cad.members().front(), L"app.Visible");
    EXPECT_EQ(cad.members()[1], L"app.ActiveDoc");
    EXPECT_EQ(cad.releases.back(), L"app");
    EXPECT_EQ(cad.liveObjects, 0);
}

INSTANTIATE_TEST_SUITE_P(
    EveryRow, TransferModeTable,
    ::testing::Values(
        Row{0, Document::None, {L"app"}, {}, true, true, false},
        Row{0, Document::Part, {L"app"}, {}, true, true, false},
        Row{1, Document::None, {}, {kNoDocument + L"\r\n" + kNothingWritten}, false, false, false},
        Row{1,
            Document::Assembly,
            {},
            {kNotAPart + L"\r\n" + kNothingWritten},
            false,
            false,
            false},
        Row{1, Document::Part, {L"doc"}, {}, true, true, false},
        Row{2,
            Document::None,
            {L"app"},
            {kNoDocument + L"\r\n" + kSystemInstead},
            true,
            true,
            false},
        Row{2,
            Document::Drawing,
            {L"app"},
            {kNotAPart + L"\r\n" + kSystemInstead},
            true,
            true,
            false},
        Row{2, Document::Part, {L"doc", L"app"}, {}, true, true, true},
        Row{3, Document::None, {}, {kNoDocument + L"\r\n" + kNothingWritten}, false, false, false},
        Row{3, Document::Drawing, {}, {kNeither + L"\r\n" + kNothingWritten}, false, false, false},
        Row{3, Document::Part, {L"doc"}, {}, true, true, false}));

class Transfer : public testing::MainWindowFixture {
  protected:
    void SetUp() override { start(); }
};

// An active assembly opens the assembly window with the selected material; nothing else
// happens in the click, and everything is let go once the window is closed.
TEST_F(Transfer, ModeThreeOpensTheAssemblyWindowForAnActiveAssembly) {
    std::vector<std::wstring> opened;
    window->setAssemblyOpener([&](const assembly::AssemblyTask& task) {
        opened.push_back(task.material);
        EXPECT_EQ(&task.density, &window->materialDensities()[2]);
        EXPECT_TRUE(task.assembly);
    });
    cad.activeDocument = Document::Assembly;
    click(form().mnuAnwendenBaugruppe);
    EXPECT_TRUE(form().mnuAnwendenBaugruppe.checked());
    click(form().cmdSetDensity);
    EXPECT_THAT(opened, ElementsAre(L"Stahl"));
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(cad.liveObjects, 0);
}

// A file that lists three apply-to entries leaves three; the menu offers no fourth.
TEST_F(Transfer, AListOfThreeEntriesHidesTheAssemblysMenuItem) {
    EXPECT_TRUE(form().mnuAnwendenBaugruppe.visible());
    files.writeBeside(L"default.ini", "[frmVelumarDichte.cmbAnwendenAuf]\r\nAnzahlListe=3\r\n");
    start();
    EXPECT_EQ(form().cmbAnwendenAuf.items().size(), 3u);
    EXPECT_FALSE(form().mnuAnwendenBaugruppe.visible());
}

// ActiveDoc answered with an empty value rather than a null object still means no document.
TEST_F(Transfer, AnEmptyActiveDocIsNoDocument) {
    cad.answers[L"app.ActiveDoc"] = cad::Variant();
    click(form().cmdSetDensity);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, kNoDocument + L"\r\n" + kNothingWritten);
}

TEST_F(Transfer, AFailedCallWithErrorsSuppressedShowsOnlyTheErrorPicture) {
    click(form().mnuShowErrors);
    cad.failures[L"app.Visible"] = 5;
    click(form().cmdSetDensity);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(form().imgVis.picture(), forms::Picture::Error);
}

TEST_F(Transfer, TheCataloguesOwnDoubleIsHandedOverByReference) {
    files.writeBeside(L"velu.ini",
                      "[Dichtewerte]\r\nAnzahl=0\r\nName0=Dreiviertel\r\nWert0=0,1\r\n");
    start();
    form().cmbAnwendenAuf.setListIndex(0);
    click(form().cmdSetDensity);
    EXPECT_EQ(cad.systemDensity, 0.1);
    EXPECT_EQ(cad.lastWritten, &window->materialDensities()[0]);
}

TEST_F(Transfer, ARefusedWriteEndsInTheFailureBoxUnlessTheOtherWriteSucceeded) {
    cad.documentWriteResult = false;
    click(form().cmdSetDensity);  // mode 1
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, kFailure);
    EXPECT_EQ(boxes.shown[0].style, BoxStyle::Stop);

    boxes.shown.clear();
    form().cmbAnwendenAuf.setListIndex(2);
    click(form().cmdSetDensity);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, kSuccess);

    boxes.shown.clear();
    cad.systemWriteResult = false;
    click(form().cmdSetDensity);
    EXPECT_EQ(boxes.shown.back().text, kFailure);
}

TEST_F(Transfer, AModeOutsideTheFourWritesNothingAndFails) {
    form().cmbAnwendenAuf.addItem(L"Fünfter Eintrag");
    form().cmbAnwendenAuf.setListIndex(4);
    click(form().cmdSetDensity);
    for (const auto& member : cad.members()) {
        EXPECT_EQ(member.find(L"SetUser"), std::wstring::npos) << text::toUtf8(member);
    }
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, kFailure);
}

TEST_F(Transfer, SuppressionSilencesItsBoxesButNotThePictures) {
    click(form().mnuShowSuccess);
    click(form().cmdSetDensity);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(form().imgVis.picture(), forms::Picture::Success);

    click(form().mnuShowErrors);
    cad.activeDocument = Document::None;
    click(form().cmdSetDensity);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(form().imgVis.picture(), forms::Picture::Error);
}

TEST_F(Transfer, ReadoutAfterModeTwoReadsFromTheChosenSource) {
    form().cmbAnwendenAuf.setListIndex(2);
    form().chkSWXSystemStandard.setValue(1);
    form().cmbAuswahl.setListIndex(1);
    click(form().cmdSetDensity);
    EXPECT_EQ(form().lblDensity.caption(), L"2700");
    // The readout reads the system default after both writes.
    const auto members = cad.members();
    const auto lastWrite =
        std::find(members.rbegin(), members.rend(), L"app.SetUserPreferenceDoubleValue");
    EXPECT_NE(std::find(members.rbegin(), lastWrite, L"app.GetUserPreferenceDoubleValue"),
              lastWrite);
}

// Also in mode 3 with an assembly active: the warning, and no assembly window.
TEST_F(Transfer, NoMaterialSelectedGivesOneWarningAndWritesNothing) {
    int opened = 0;
    window->setAssemblyOpener([&](const assembly::AssemblyTask&) { ++opened; });
    for (const auto& [mode, document] : {std::pair{1, Document::Part}, {3, Document::Assembly}}) {
        boxes.shown.clear();
        cad.activeDocument = document;
        form().cmbAnwendenAuf.setListIndex(mode);
        form().cmbAuswahl.setListIndex(-1);
        click(form().cmdSetDensity);
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_THAT(boxes.shown[0].text, HasSubstr(L"kein Material"));
        EXPECT_EQ(boxes.shown[0].style, BoxStyle::Warning);
        EXPECT_EQ(form().imgVis.picture(), forms::Picture::Error);
        for (const auto& member : cad.members())
            EXPECT_EQ(member.find(L"doc.SetUser"), std::wstring::npos);
        EXPECT_EQ(cad.liveObjects, 0);
    }
    EXPECT_EQ(opened, 0);
}

TEST_F(Transfer, AListEntryWithoutADensityWritesNothing) {
    form().cmbAuswahl.addItem(L"ohne Dichte");
    form().cmbAuswahl.setListIndex(3);
    for (const int mode : {0, 1, 2}) {
        boxes.shown.clear();
        form().cmbAnwendenAuf.setListIndex(mode);
        click(form().cmdSetDensity);
        ASSERT_EQ(boxes.shown.size(), 1u) << mode;
        EXPECT_THAT(boxes.shown[0].text, HasSubstr(L"kein Material"));
    }
    for (const auto& member : cad.members()) EXPECT_EQ(member.find(L"SetUser"), std::wstring::npos);
}

TEST_F(Transfer, AFailingCallStopsTheClickAndNothingIsWrittenAfterIt) {
    form().cmbAnwendenAuf.setListIndex(2);
    cad.failures[L"doc.SetUserPreferenceDoubleValue"] = static_cast<std::int32_t>(0x8001010A);
    click(form().cmdSetDensity);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].title, L"velu");
    EXPECT_THAT(boxes.shown[0].text, HasSubstr(L"SetUserPreferenceDoubleValue"));
    EXPECT_THAT(boxes.shown[0].text, HasSubstr(L"0x8001010A"));
    EXPECT_EQ(cad.members().back(), L"doc.SetUserPreferenceDoubleValue");
    EXPECT_EQ(cad.systemDensity, 1000);
    EXPECT_EQ(form().imgVis.picture(), forms::Picture::Error);
    EXPECT_EQ(cad.liveObjects, 0);
}

TEST_F(Transfer, AMessageTableFromTheFileTitlesAndWordsTheBoxes) {
    files.writeBeside(L"default.ini",
                      "[messages]\r\nAnzahlInfo=6\r\nInfo0=Titel\r\nInfo1=Erfolg\r\nInfo2=K\r\n"
                      "Info3=Kein Dokument\r\nInfo4=Nichts\r\nInfo5=Standard\r\nInfo6=F\r\n");
    start();
    cad.activeDocument = Document::None;
    form().cmbAnwendenAuf.setListIndex(2);
    click(form().cmdSetDensity);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].text, L"Kein Dokument\r\nStandard");
    EXPECT_EQ(boxes.shown[0].title, L"Titel");
    EXPECT_EQ(boxes.shown[1].text, L"Erfolg");
}

// SolidWorks answered, but with a value of the wrong type: the box names that call, as it
// names a call that failed, and nothing is written after it.
struct UnusableAnswer {
    const wchar_t* member;  // "object.member" as the fake knows it
    int mode;
    bool readSystemDefault;
    bool readout;  // the readout meets it, not the transfer
    const wchar_t* expected;
    std::vector<std::wstring> writes;  // what is written before the call
};

class UnusableAnswers : public testing::MainWindowFixture,
                        public ::testing::WithParamInterface<UnusableAnswer> {};

TEST_P(UnusableAnswers, NameTheCallWhoseResultCouldNotBeUsed) {
    const auto& c = GetParam();
    start();
    cad.answers[c.member] = cad::Variant(std::wstring(L"kein Wert"));
    form().cmbAnwendenAuf.setListIndex(c.mode);
    form().chkSWXSystemStandard.setValue(c.readSystemDefault ? 1 : 0);
    form().lblDensity.setCaption(L"vorher");
    boxes.shown.clear();
    cad.calls.clear();
    click(c.readout ? form().cmdGetDensity : form().cmdSetDensity);

    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].title, L"velu");
    EXPECT_EQ(boxes.shown[0].style, BoxStyle::Stop);
    EXPECT_THAT(boxes.shown[0].text, ::testing::StartsWith(c.expected));
    EXPECT_THAT(boxes.shown[0].text, HasSubstr(L"Fehler 0x80020005"));
    std::vector<std::wstring> writes;
    for (const auto& call : cad.calls) {
        if (call.member == L"SetUserPreferenceDoubleValue") writes.push_back(call.object);
    }
    EXPECT_EQ(writes, c.writes);
    EXPECT_EQ(form().lblDensity.caption(), L"vorher");
    EXPECT_EQ(form().imgVis.picture(), forms::Picture::Error);
    EXPECT_EQ(cad.liveObjects, 0);
}

INSTANTIATE_TEST_SUITE_P(
    EachConvertedResult, UnusableAnswers,
    ::testing::Values(
        UnusableAnswer{L"doc.Gettype",
                       1,
                       false,
                       false,
                       L"Der Aufruf \"Gettype\" an das aktive Dokument ist fehlgeschlagen.",
                       {}},
        UnusableAnswer{L"doc.Gettype",
                       0,
                       false,
                       true,
                       L"Der Aufruf \"Gettype\" an das aktive Dokument ist fehlgeschlagen.",
                       {}},
        UnusableAnswer{L"app.ActiveDoc",
                       1,
                       false,
                       false,
                       L"Der Aufruf \"ActiveDoc\" an SolidWorks ist fehlgeschlagen.",
                       {}},
        UnusableAnswer{L"doc.SetUserPreferenceDoubleValue",
                       2,
                       false,
                       false,
                       L"Der Aufruf \"SetUserPreferenceDoubleValue\" an das aktive Dokument ist "
                       L"fehlgeschlagen.",
                       {L"doc"}},
        UnusableAnswer{L"app.SetUserPreferenceDoubleValue",
                       0,
                       false,
                       false,
                       L"Der Aufruf \"SetUserPreferenceDoubleValue\" an SolidWorks ist "
                       L"fehlgeschlagen.",
                       {L"app"}},
        UnusableAnswer{L"doc.GetUserPreferenceDoubleValue",
                       1,
                       false,
                       true,
                       L"Der Aufruf \"GetUserPreferenceDoubleValue\" an das aktive Dokument ist "
                       L"fehlgeschlagen.",
                       {}},
        UnusableAnswer{L"app.GetUserPreferenceDoubleValue",
                       1,
                       true,
                       true,
                       L"Der Aufruf \"GetUserPreferenceDoubleValue\" an SolidWorks ist "
                       L"fehlgeschlagen.",
                       {}}));

}  // namespace
}  // namespace velu::app

// The readout: the density of the active part or the system default into lblDensity.

#include <gmock/gmock.h>

#include "built_in_texts.h"
#include "main_window_fixture.h"

namespace velu::app {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Document = testing::FakeCad::Document;

class Readout : public testing::MainWindowFixture {
  protected:
    void SetUp() override { start(); }
    const std::wstring& shown() { return form().lblDensity.caption(); }
    forms::Picture picture() { return form().imgVis.picture(); }
    bool menuTicked() { return form().mnuGetStandard.checked(); }
    int checkBox() { return form().chkSWXSystemStandard.value(); }
};

TEST_F(Readout, ShowsThePartsDensityWithTheUsersSeparatorAndReleasesDocumentFirst) {
    cad.documentDensity = 2700.5;
    click(form().cmdGetDensity);
    EXPECT_EQ(shown(), L"2700,5");
    EXPECT_THAT(cad.members(),
                ElementsAre(L"app.Visible", L"app.ActiveDoc", L"doc.Gettype",
                            L"doc.GetUserPreferenceDoubleValue", L"doc.GetActiveConfiguration",
                            L"config.Name", L"doc.GetMaterialPropertyName2", L"doc.Extension",
                            L"extension.CreateMassProperty", L"massProperty.Density"));
    EXPECT_THAT(cad.calls[1].arguments, ElementsAre(L"Bool:1"));  // SolidWorks is made visible
    EXPECT_THAT(cad.calls[4].arguments, ElementsAre(L"I4:7"));
    EXPECT_THAT(cad.releases,
                ElementsAre(L"config", L"extension", L"massProperty", L"doc", L"app"));
    EXPECT_EQ(cad.liveObjects, 0);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(picture(), forms::Picture::Tool);

    locale.separator = L'.';
    click(form().cmdGetDensity);
    EXPECT_EQ(shown(), L"2700.5");
}

TEST_F(Readout, ANegativeDensityIsShownAsANumber) {
    cad.documentDensity = -2700.5;
    click(form().cmdGetDensity);
    EXPECT_EQ(shown(), L"-2700,5");
    cad.documentDensity = -1e-300;
    click(form().cmdGetDensity);
    EXPECT_EQ(shown(), L"-1E-300");
}

TEST_F(Readout, TheSystemDefaultNeedsNoDocument) {
    form().chkSWXSystemStandard.setValue(1);
    cad.activeDocument = Document::Assembly;
    cad.systemDensity = 7850;
    click(form().cmdGetDensity);
    EXPECT_EQ(shown(), L"7850");
    EXPECT_THAT(cad.members(), ::testing::Contains(L"app.GetUserPreferenceDoubleValue"));
    for (const auto& member : cad.members()) EXPECT_NE(member, L"app.ActiveDoc");
}

TEST_F(Readout, NoDocumentOrNotAPartGivesOneWarningTitledVeluAndKeepsTheLabel) {
    struct Case {
        Document document;
        std::wstring prompt;
    };
    for (const Case& c : {Case{Document::None, testing::builtIn(config::kNoDocument)},
                          Case{Document::Assembly, testing::builtIn(config::kNotAPart)},
                          Case{Document::Drawing, testing::builtIn(config::kNotAPart)}}) {
        boxes.shown.clear();
        form().lblDensity.setCaption(L"vorher");
        form().timImage.setTimerEnabled(false);
        cad.activeDocument = c.document;
        click(form().cmdGetDensity);
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, c.prompt);
        EXPECT_EQ(boxes.shown[0].title, L"velu");
        EXPECT_EQ(boxes.shown[0].style, BoxStyle::Warning);
        EXPECT_EQ(shown(), L"vorher");
        EXPECT_EQ(picture(), forms::Picture::Error);
        EXPECT_TRUE(form().timImage.timerEnabled());
        EXPECT_EQ(cad.liveObjects, 0);
    }
}

TEST_F(Readout, SuppressedErrorsShowNoBoxButStillTheErrorPicture) {
    click(form().mnuShowErrors);
    cad.activeDocument = Document::None;
    click(form().cmdGetDensity);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(picture(), forms::Picture::Error);
}

TEST_F(Readout, AZeroValueShowsMessageEntryOneInsteadOfANumber) {
    cad.documentDensity = 0;
    click(form().cmdGetDensity);
    EXPECT_EQ(shown(), testing::builtIn(config::kSuccess));
}

TEST_F(Readout, AFailingCallIsReportedByNameWithItsCodeAndTheProgramGoesOn) {
    cad.failures[L"doc.GetUserPreferenceDoubleValue"] = static_cast<std::int32_t>(0x80004005);
    form().lblDensity.setCaption(L"vorher");
    click(form().cmdGetDensity);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].title, L"velu");
    EXPECT_EQ(boxes.shown[0].style, BoxStyle::Stop);
    EXPECT_THAT(boxes.shown[0].text, HasSubstr(L"GetUserPreferenceDoubleValue"));
    EXPECT_THAT(boxes.shown[0].text, HasSubstr(L"aktive Dokument"));
    EXPECT_THAT(boxes.shown[0].text, HasSubstr(L"0x80004005"));
    EXPECT_EQ(shown(), L"vorher");
    EXPECT_EQ(picture(), forms::Picture::Error);
    EXPECT_EQ(cad.liveObjects, 0);

    cad.failures.clear();
    cad.documentDensity = 1234;
    click(form().cmdGetDensity);
    EXPECT_EQ(shown(), L"1234");
}

TEST_F(Readout, AMissingServerSaysSolidWorksCouldNotBeReached) {
    cad.unreachable = L"Klasse nicht registriert";
    click(form().cmdGetDensity);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_THAT(boxes.shown[0].text, HasSubstr(L"SolidWorks konnte nicht gestartet"));
    EXPECT_THAT(boxes.shown[0].text, HasSubstr(L"0x80040154: Klasse nicht registriert"));
}

TEST_F(Readout, MenuItemAndCheckBoxSwitchTheSourceTogetherWithOneReadoutEach) {
    cad.systemDensity = 7850;
    cad.documentDensity = 2700;
    click(form().mnuGetStandard);
    EXPECT_EQ(checkBox(), 1);
    EXPECT_TRUE(menuTicked());
    EXPECT_EQ(shown(), L"7850");
    EXPECT_EQ(cad.connects, 1);

    click(form().mnuGetStandard);
    EXPECT_EQ(checkBox(), 0);
    EXPECT_FALSE(menuTicked());
    EXPECT_EQ(shown(), L"2700");
    EXPECT_EQ(cad.connects, 2);

    click(form().chkSWXSystemStandard);
    EXPECT_EQ(checkBox(), 1);
    EXPECT_TRUE(menuTicked());
    EXPECT_EQ(shown(), L"7850");
    EXPECT_EQ(cad.connects, 3);
}

TEST_F(Readout, AfterEveryKindOfFailureCheckBoxAndMenuAgree) {
    const std::vector<std::function<void()>> faults = {
        [&] { cad.unreachable = L"weg"; },
        [&] { cad.failures[L"app.Visible"] = 5; },
        [&] { cad.failures[L"app.GetUserPreferenceDoubleValue"] = 5; },
        [&] { cad.failures[L"doc.GetUserPreferenceDoubleValue"] = 5; },
        [&] { cad.activeDocument = Document::None; },
        [&] { cad.activeDocument = Document::Assembly; },
    };
    for (const auto& fault : faults) {
        for (forms::Control* source : {&form().chkSWXSystemStandard, &form().mnuGetStandard}) {
            cad = testing::FakeCad();
            fault();
            click(*source);
            EXPECT_EQ(menuTicked(), checkBox() != 0);
        }
    }
}

TEST_F(Readout, AMenuClickWhileTheTwoDisagreeOnlyBringsTheMenuInLine) {
    form().chkSWXSystemStandard.setValue(1);  // runs a readout; the menu follows
    form().mnuGetStandard.setChecked(false);  // now they disagree
    const int connects = cad.connects;
    click(form().mnuGetStandard);
    EXPECT_EQ(checkBox(), 1);
    EXPECT_TRUE(menuTicked());
    EXPECT_EQ(cad.connects, connects);
}

}  // namespace
}  // namespace velu::app

// The apply-to selection, the options and the status picture of the main window.

#include <gmock/gmock.h>

#include "main_window_fixture.h"

namespace velu::app {
namespace {

using ::testing::ElementsAre;

class Options : public testing::MainWindowFixture {
  protected:
    void SetUp() override { start(); }
    std::vector<bool> marks() {
        return {control(L"mnuAnwendenSystemStandard").checked(),
                control(L"mnuAnwendenNurAktivesTeil").checked(),
                control(L"mnuAnwendenAllPossible").checked()};
    }
    int mode() { return control(L"cmbAnwendenAuf").listIndex(); }
};

TEST_F(Options, StartUpSelectsActivePartOnlyAndTicksItsMenuItem) {
    EXPECT_EQ(mode(), 1);
    EXPECT_THAT(marks(), ElementsAre(false, true, false));
}

TEST_F(Options, MenuAndListMoveTogetherFromEitherSide) {
    click(L"mnuAnwendenAllPossible");
    EXPECT_EQ(mode(), 2);
    EXPECT_THAT(marks(), ElementsAre(false, false, true));
    click(L"mnuAnwendenSystemStandard");
    EXPECT_EQ(mode(), 0);
    EXPECT_THAT(marks(), ElementsAre(true, false, false));
    control(L"cmbAnwendenAuf").setListIndex(1);
    EXPECT_THAT(marks(), ElementsAre(false, true, false));
    click(L"mnuAnwendenNurAktivesTeil");
    EXPECT_EQ(mode(), 1);
    EXPECT_THAT(marks(), ElementsAre(false, true, false));
}

TEST_F(Options, AnEntryBeyondTheThreeModesLeavesTheMarksAsTheyWere) {
    control(L"cmbAnwendenAuf").addItem(L"Noch etwas");
    click(L"mnuAnwendenAllPossible");
    control(L"cmbAnwendenAuf").setListIndex(3);
    EXPECT_THAT(marks(), ElementsAre(false, false, true));
    control(L"cmbAnwendenAuf").setListIndex(-1);
    EXPECT_THAT(marks(), ElementsAre(false, false, true));
}

TEST_F(Options, SuppressionOptionsFlipOnlyTheirOwnMark) {
    click(L"mnuShowErrors");
    EXPECT_TRUE(control(L"mnuShowErrors").checked());
    EXPECT_FALSE(control(L"mnuShowSuccess").checked());
    click(L"mnuShowSuccess");
    click(L"mnuShowErrors");
    EXPECT_FALSE(control(L"mnuShowErrors").checked());
    EXPECT_TRUE(control(L"mnuShowSuccess").checked());
    EXPECT_TRUE(layer.calls.empty());
}

TEST_F(Options, AlwaysOnTopFollowsItsMarkEachTime) {
    click(L"mnuAlwaysOnTop");
    click(L"mnuAlwaysOnTop");
    click(L"mnuAlwaysOnTop");
    EXPECT_THAT(layer.calls, ElementsAre(true, false, true));
    EXPECT_TRUE(control(L"mnuAlwaysOnTop").checked());
}

TEST_F(Options, TheTimerPutsTheToolPictureBackAndSwitchesItselfOff) {
    EXPECT_TRUE(control(L"timImage").timerEnabled());  // running since creation
    window->form().tick(L"timImage");
    EXPECT_EQ(control(L"imgVis").picture(), forms::Picture::Tool);
    EXPECT_FALSE(control(L"timImage").timerEnabled());

    click(L"cmdSetDensity");
    EXPECT_EQ(control(L"imgVis").picture(), forms::Picture::Success);
    EXPECT_TRUE(control(L"timImage").timerEnabled());
    window->form().tick(L"timImage");
    EXPECT_EQ(control(L"imgVis").picture(), forms::Picture::Tool);
    window->form().tick(L"timImage");  // switched off: nothing happens
    EXPECT_FALSE(control(L"timImage").timerEnabled());
}

TEST_F(Options, ALaterTransferReplacesThePictureOfAnEarlierOne) {
    cad.activeDocument = testing::FakeCad::Document::None;
    click(L"cmdSetDensity");
    EXPECT_EQ(control(L"imgVis").picture(), forms::Picture::Error);
    cad.activeDocument = testing::FakeCad::Document::Part;
    click(L"cmdSetDensity");
    EXPECT_EQ(control(L"imgVis").picture(), forms::Picture::Success);
}

}  // namespace
}  // namespace velu::app

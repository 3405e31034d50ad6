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
        return {form().mnuAnwendenSystemStandard.checked(),
                form().mnuAnwendenNurAktivesTeil.checked(), form().mnuAnwendenAllPossible.checked(),
                form().mnuAnwendenBaugruppe.checked()};
    }
    int mode() { return form().cmbAnwendenAuf.listIndex(); }
};

TEST_F(Options, StartUpSelectsActivePartOnlyAndTicksItsMenuItem) {
    EXPECT_EQ(mode(), 1);
    EXPECT_THAT(marks(), ElementsAre(false, true, false, false));
}

TEST_F(Options, MenuAndListMoveTogetherFromEitherSide) {
    click(form().mnuAnwendenAllPossible);
    EXPECT_EQ(mode(), 2);
    EXPECT_THAT(marks(), ElementsAre(false, false, true, false));
    click(form().mnuAnwendenSystemStandard);
    EXPECT_EQ(mode(), 0);
    EXPECT_THAT(marks(), ElementsAre(true, false, false, false));
    form().cmbAnwendenAuf.setListIndex(1);
    EXPECT_THAT(marks(), ElementsAre(false, true, false, false));
    click(form().mnuAnwendenNurAktivesTeil);
    EXPECT_EQ(mode(), 1);
    EXPECT_THAT(marks(), ElementsAre(false, true, false, false));
}

TEST_F(Options, AnEntryBeyondTheFourModesLeavesTheMarksAsTheyWere) {
    form().cmbAnwendenAuf.addItem(L"Noch etwas");
    click(form().mnuAnwendenAllPossible);
    form().cmbAnwendenAuf.setListIndex(4);
    EXPECT_THAT(marks(), ElementsAre(false, false, true, false));
    form().cmbAnwendenAuf.setListIndex(-1);
    EXPECT_THAT(marks(), ElementsAre(false, false, true, false));
}

TEST_F(Options, SuppressionOptionsFlipOnlyTheirOwnMark) {
    click(form().mnuShowErrors);
    EXPECT_TRUE(form().mnuShowErrors.checked());
    EXPECT_FALSE(form().mnuShowSuccess.checked());
    click(form().mnuShowSuccess);
    click(form().mnuShowErrors);
    EXPECT_FALSE(form().mnuShowErrors.checked());
    EXPECT_TRUE(form().mnuShowSuccess.checked());
    EXPECT_TRUE(layer.calls.empty());
}

TEST_F(Options, AlwaysOnTopFollowsItsMarkEachTime) {
    click(form().mnuAlwaysOnTop);
    click(form().mnuAlwaysOnTop);
    click(form().mnuAlwaysOnTop);
    EXPECT_THAT(layer.calls, ElementsAre(true, false, true));
    EXPECT_TRUE(form().mnuAlwaysOnTop.checked());
}

TEST_F(Options, TheTimerPutsTheToolPictureBackAndSwitchesItselfOff) {
    EXPECT_TRUE(form().timImage.timerEnabled());  // running since creation
    window->form().tick(form().timImage);
    EXPECT_EQ(form().imgVis.picture(), forms::Picture::Tool);
    EXPECT_FALSE(form().timImage.timerEnabled());

    click(form().cmdSetDensity);
    EXPECT_EQ(form().imgVis.picture(), forms::Picture::Success);
    EXPECT_TRUE(form().timImage.timerEnabled());
    window->form().tick(form().timImage);
    EXPECT_EQ(form().imgVis.picture(), forms::Picture::Tool);
    window->form().tick(form().timImage);  // switched off: nothing happens
    EXPECT_FALSE(form().timImage.timerEnabled());
}

TEST_F(Options, ALaterTransferReplacesThePictureOfAnEarlierOne) {
    cad.activeDocument = testing::FakeCad::Document::None;
    click(form().cmdSetDensity);
    EXPECT_EQ(form().imgVis.picture(), forms::Picture::Error);
    cad.activeDocument = testing::FakeCad::Document::Part;
    click(form().cmdSetDensity);
    EXPECT_EQ(form().imgVis.picture(), forms::Picture::Success);
}

}  // namespace
}  // namespace velu::app

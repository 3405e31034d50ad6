// The form model: what its setters accept, which of them raise events, and when.

#include <gmock/gmock.h>

#include "forms/form.h"

namespace velu::forms {
namespace {

using ::testing::ElementsAre;

class FormModel : public ::testing::Test, private FormObserver {
  protected:
    FormModel() {
        form.on(list, Event::Click, [this] { ++clicks; });
        form.on(box, Event::Click, [this] { ++clicks; });
        form.on(timer, Event::Timer, [this] { ++ticks; });
        form.addObserver(this);
    }

    Form form{L"frmProbe", L"Probe", TwipsRect{}};
    Control& list =
        form.add({.name = L"cmbListe", .kind = Kind::ComboBox, .items = {L"a", L"b", L"c"}});
    Control& box = form.add({.name = L"chkKasten", .kind = Kind::CheckBox});
    Control& timer = form.add({.name = L"timUhr", .kind = Kind::Timer, .timerEnabled = true});
    Control& frame = form.add({.name = L"fraRahmen", .kind = Kind::Frame});
    Control& inFrame =
        form.add({.name = L"lblDrin", .kind = Kind::Label, .container = L"fraRahmen"});
    Control& rows = form.add({.name = L"lvwZeilen", .kind = Kind::ListView});
    int clicks = 0;
    int ticks = 0;
    std::vector<Property> changes;

  private:
    void controlChanged(const Control&, Property property) override { changes.push_back(property); }
};

TEST_F(FormModel, AListIndexOutsideTheEntriesIsRefusedAndChangesNothing) {
    for (const int index : {3, -2, 40000}) {
        EXPECT_FALSE(list.setListIndex(index)) << index;
        EXPECT_EQ(list.listIndex(), -1);
    }
    EXPECT_EQ(clicks, 0);
    EXPECT_TRUE(changes.empty());
    EXPECT_TRUE(list.setListIndex(2));
    EXPECT_TRUE(list.setListIndex(-1));
    EXPECT_EQ(clicks, 2);
}

TEST_F(FormModel, OnlyAChangedSelectionOrValueRaisesClick) {
    list.setListIndex(1);
    list.setListIndex(1);
    EXPECT_EQ(clicks, 1);
    box.setValue(1);
    box.setValue(1);
    EXPECT_EQ(clicks, 2);
    form.click(box);  // a user's click ticks or clears the box, which raises its click
    EXPECT_EQ(box.value(), 0);
    EXPECT_EQ(clicks, 3);
    EXPECT_THAT(changes, ElementsAre(Property::ListIndex, Property::Value, Property::Value));
}

TEST_F(FormModel, ATimerRaisesItsEventOnlyWhileItIsEnabled) {
    form.tick(timer);
    timer.setTimerEnabled(false);
    form.tick(timer);
    form.tick(timer);
    EXPECT_EQ(ticks, 1);
}

TEST_F(FormModel, EmptyingAListClearsItsSelectionWithoutAClick) {
    list.setListIndex(2);
    list.clear();
    EXPECT_TRUE(list.items().empty());
    EXPECT_EQ(list.listIndex(), -1);
    EXPECT_EQ(clicks, 1);
}

// A window that closes while it hears of a change removes itself; from then on, even within
// that same change, nothing reaches it.
// A row without a check box is never ticked, and while the ticks are locked no row changes;
// each refusal says so and raises nothing.
TEST_F(FormModel, ARowTickIsRefusedWhereTheRowCannotBeTickedOrTheTicksAreLocked) {
    form.on(rows, Event::Click, [this] { ++clicks; });
    rows.setRows({{.cells = {L"a"}}, {.cells = {L"b"}, .checkable = false}});
    EXPECT_FALSE(rows.setRowChecked(1, true));
    rows.lockTicks(true);
    EXPECT_FALSE(rows.setRowChecked(0, true));
    EXPECT_TRUE(rows.setRowChecked(0, false));  // no change asked for
    rows.lockTicks(false);
    EXPECT_TRUE(rows.setRowChecked(0, true));
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(rows.rows()[0].checked && !rows.rows()[1].checked);
}

TEST_F(FormModel, AnObserverRemovedIsNeverToldAgain) {
    struct Closing final : ::velu::forms::FormObserver {
        Form* form = nullptr;
        ::velu::forms::FormObserver* other = nullptr;
        int heard = 0;
        void controlChanged(const Control&, Property) override {
            ++heard;
            if (other) form->removeObserver(other);
        }
    } first, second;
    first.form = &form;
    first.other = &second;
    form.addObserver(&first);
    form.addObserver(&second);
    box.setValue(1);
    EXPECT_EQ(first.heard, 1);
    EXPECT_EQ(second.heard, 0);
    form.removeObserver(&first);
    box.setValue(0);
    EXPECT_EQ(first.heard, 1);
}

TEST_F(FormModel, AControlKnowsItsContainerAndAContainerMustComeFirst) {
    EXPECT_EQ(inFrame.container(), &frame);
    EXPECT_EQ(frame.container(), nullptr);
    EXPECT_THROW(form.add({.name = L"lblSpaet", .container = L"fraSpaeter"}), std::logic_error);
    EXPECT_EQ(form.find(L"lblSpaet"), nullptr);
}

}  // namespace
}  // namespace velu::forms

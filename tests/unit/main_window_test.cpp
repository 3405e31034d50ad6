#include "app/main_window.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "main_window_fixture.h"
#include "support/text.h"

namespace velu::app {
namespace {

using ::testing::ElementsAre;

using MainWindowStart = testing::MainWindowFixture;

TEST_F(MainWindowStart, WithoutFilesShowsTheBuiltInMaterialsWithStahlSelected) {
    start();
    EXPECT_THAT(form().cmbAuswahl.items(), ElementsAre(L"Wasser", L"Aluminium", L"Stahl"));
    EXPECT_EQ(form().cmbAuswahl.listIndex(), 2);
    EXPECT_EQ(form().lblAuswahlWert.caption(), L"7850");
    EXPECT_EQ(form().cmbAnwendenAuf.listIndex(), 1);
    EXPECT_EQ(form().imgVis.picture(), forms::Picture::Tool);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(MainWindowStart, BeforeLoadTheWindowIsAsItsTablesGiveIt) {
    const auto& form = create().form();
    EXPECT_EQ(form.imgVis.picture(), forms::Picture::None);
    EXPECT_EQ(form.lblAuswahlWert.caption(), L"0,001");
    EXPECT_EQ(form.cmbAnwendenAuf.listIndex(), -1);
    EXPECT_TRUE(form.timImage.timerEnabled());
    for (const auto& c : form.controls()) EXPECT_FALSE(c->checked()) << text::toUtf8(c->name());
}

// The interface text file may fill the material list and select in it before the catalogue
// is there: nothing is shown for that selection, the catalogue then takes the list over, and
// only the tool tip stays.
TEST_F(MainWindowStart, EntriesAndASelectionForTheMaterialListGiveWayToTheCatalogue) {
    struct Shown final : forms::FormObserver {
        explicit Shown(const forms::Control& label) : label(label) {}
        void controlChanged(const forms::Control& c, forms::Property p) override {
            if (&c == &label && p == forms::Property::Caption) captions.push_back(c.caption());
        }
        const forms::Control& label;
        std::vector<std::wstring> captions;
    };
    for (const char* selected : {"0", "1", "4"}) {
        files.writeBeside(L"default.ini",
                          std::string("[frmVelumarDichte.cmbAuswahl]\r\nAnzahlListe=5\r\n"
                                      "AddItem0=a\r\nAddItem1=b\r\nAddItem2=c\r\nAddItem3=d\r\n"
                                      "AddItem4=e\r\nToolTipText=Werkstoff\r\nDefault=") +
                              selected + "\r\n");
        create();
        Shown shown(form().lblAuswahlWert);
        form().addObserver(&shown);
        window->Form_Load();
        // The loader gives the label its own text back; then the catalogue's default shows.
        EXPECT_THAT(shown.captions, ElementsAre(L"0,001", L"7850")) << selected;
        EXPECT_THAT(form().cmbAuswahl.items(), ElementsAre(L"Wasser", L"Aluminium", L"Stahl"));
        EXPECT_EQ(form().cmbAuswahl.listIndex(), 2);
        EXPECT_EQ(form().cmbAuswahl.toolTip(), L"Werkstoff");
        EXPECT_TRUE(boxes.shown.empty());
        form().removeObserver(&shown);
    }
}

// Both lists take their tool tips from the file like every other control.
TEST_F(MainWindowStart, TheListsToolTipsComeFromTheFile) {
    files.writeBeside(L"default.ini",
                      "[frmVelumarDichte.cmbAnwendenAuf]\r\nToolTipText=Wohin\r\n"
                      "[frmVelumarDichte.cmbAuswahl]\r\nToolTipText=Was\r\n");
    start();
    EXPECT_EQ(form().cmbAnwendenAuf.toolTip(), L"Wohin");
    EXPECT_EQ(form().cmbAuswahl.toolTip(), L"Was");
    EXPECT_THAT(form().cmbAnwendenAuf.items(),
                ElementsAre(L"Systemstandard", L"Nur aktives Teil", L"Alles, was möglich ist",
                            L"Alle Teile der Baugruppe"));
}

// A number that does not fit into 16 bits is reported in the order the files are read: the
// catalogue's, then the message table's.
TEST_F(MainWindowStart, OverflowsInBothFilesAreShownInTheOrderTheyAreRead) {
    files.writeBeside(L"velu.ini",
                      "[Dichtewerte]\r\nAnzahl=0\r\ndefault=70000\r\nName0=A\r\n"
                      "Wert0=5\r\n");
    files.writeBeside(L"default.ini", "[messages]\r\nAnzahlInfo=99999\r\nInfo0=Titel\r\n");
    start();
    ASSERT_EQ(boxes.shown.size(), 2u);
    for (const auto& box : boxes.shown) {
        EXPECT_EQ(box.text, L"Error: 6. Overflow");
        EXPECT_EQ(box.title, L"INIGetSettingInteger");
        EXPECT_EQ(box.style, BoxStyle::Plain);
    }
    EXPECT_EQ(form().lblAuswahlWert.caption(), L"5");
    EXPECT_EQ(window->messageTexts()[0], L"Titel");
}

TEST_F(MainWindowStart, ChoosingAMaterialShowsItsDensity) {
    start();
    form().cmbAuswahl.setListIndex(1);
    EXPECT_EQ(form().lblAuswahlWert.caption(), L"2700");
    form().cmbAuswahl.setListIndex(0);
    EXPECT_EQ(form().lblAuswahlWert.caption(), L"1000");
}

TEST_F(MainWindowStart, DensitiesShowWithTheUsersDecimalSeparator) {
    files.writeBeside(L"velu.ini", "[Dichtewerte]\r\nAnzahl=0\r\nName0=Probe\r\nWert0=1,25\r\n");
    start();
    EXPECT_EQ(form().lblAuswahlWert.caption(), L"1,25");

    files.writeBeside(L"velu.ini", "[Dichtewerte]\r\nAnzahl=0\r\nName0=Probe\r\nWert0=1.25\r\n");
    locale.separator = L'.';
    start();
    EXPECT_EQ(form().lblAuswahlWert.caption(), L"1.25");
}

TEST_F(MainWindowStart, TheCatalogueFileBesideTheProgramFillsTheListAndSelectsItsDefault) {
    files.writeBeside(L"velu.ini",
                      "[Dichtewerte]\r\nAnzahl=2\r\ndefault=1\r\nName0=Gold\r\nWert0=19300\r\n"
                      "Name1=Blei\r\nWert1=11340\r\nName2=Zinn\r\nWert2=7310\r\n");
    auto& w = start();
    EXPECT_THAT(form().cmbAuswahl.items(), ElementsAre(L"Gold", L"Blei", L"Zinn"));
    EXPECT_EQ(form().lblAuswahlWert.caption(), L"11340");
    EXPECT_THAT(w.materialDensities(), ElementsAre(19300.0, 11340.0, 7310.0));
}

TEST_F(MainWindowStart, ABadCatalogueIsReportedOnceAndTheBuiltInListShown) {
    files.writeBeside(L"velu.ini", "[Dichtewerte]\r\nAnzahl=1\r\nName0=A\r\nWert0=x\r\n");
    start();
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_THAT(form().cmbAuswahl.items(), ElementsAre(L"Wasser", L"Aluminium", L"Stahl"));
    EXPECT_EQ(form().lblAuswahlWert.caption(), L"7850");
}

TEST_F(MainWindowStart, EndeAndBeendenEndTheProcessAtOnce) {
    start();
    click(form().cmdExit);
    EXPECT_EQ(process.ended, 1);
    click(form().mnuExit);
    EXPECT_EQ(process.ended, 2);
}

}  // namespace
}  // namespace velu::app

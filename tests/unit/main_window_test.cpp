#include "app/main_window.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "main_window_fixture.h"

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
    EXPECT_EQ(form.caption(), L"Velumar - Density");
    EXPECT_EQ(form.imgVis.picture(), forms::Picture::None);
    EXPECT_EQ(form.lblAuswahlWert.caption(), L"0,001");
    EXPECT_EQ(form.cmbAnwendenAuf.listIndex(), -1);
    EXPECT_TRUE(form.timImage.timerEnabled());
    EXPECT_EQ(form.timImage.interval(), 1500);

    int controls = 0, menus = 0;
    for (const auto& c : form.controls()) (c->kind() == forms::Kind::Menu ? menus : controls)++;
    EXPECT_EQ(controls, 22);
    EXPECT_EQ(menus, 15);
    for (const auto& c : form.controls()) EXPECT_FALSE(c->checked()) << c->name().size();
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

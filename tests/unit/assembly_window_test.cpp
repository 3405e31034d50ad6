// The assembly window: which parts it lists and how, what writing them comes to, cancel and
// failures, against a faked SolidWorks.

#include <gmock/gmock.h>

#include "faked_assembly_window.h"

namespace velu::assembly {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using State = testing::FakeAssembly::State;

class AssemblyWindowTest : public ::testing::Test, protected testing::FakedAssemblyWindow {
  protected:
    AssemblyWindowTest() {
        cad.parts[L"C:\\P\\Welle.SLDPRT"] = {};
        cad.parts[L"C:\\P\\Gehäuse.SLDPRT"] = {.materials = {{L"Standard", L"AISI 304"}}};
        cad.parts[L"C:\\P\\Deckel.SLDPRT"] = {};
        cad.parts[L"C:\\P\\Schraube.SLDPRT"] = {};
        cad.parts[L"C:\\P\\Stift.SLDPRT"] = {.writable = false};
        cad.parts[L"C:\\P\\Getriebe.SLDASM^Blech-1.sldprt"] = {.isVirtual = true, .hasBody = false};
        cad.subAssemblies = {L"C:\\P\\Unter.SLDASM"};
        cad.components = {
            {.path = L"C:\\P\\Welle.SLDPRT"},
            {.path = L"C:\\P\\Gehäuse.SLDPRT"},
            {.path = L"C:\\P\\Welle.SLDPRT", .configuration = L"Lang"},
            {.path = L"C:\\P\\Deckel.SLDPRT", .state = State::Lightweight},
            {.path = L"C:\\P\\Schraube.SLDPRT", .state = State::Suppressed},
            {.path = L"C:\\P\\Unter.SLDASM"},
            {.path = L"C:\\P\\Stift.SLDPRT"},
            {.path = L"c:\\p\\GEHÄUSE.sldprt"},
            {.path = L"C:\\P\\Welle.SLDPRT"},
            {.path = L"C:\\P\\Getriebe.SLDASM^Blech-1.sldprt", .name = L"Blech-1"},
        };
    }

    void open() {
        window = openWindow([this] { ++unloads; }, std::chrono::milliseconds(0));
        window->Form_Load();
    }
    // Runs the work to its end: the steps the window would run between the user's input.
    void finish() {
        while (form().runWork()) {
        }
    }
    AssemblyForm& form() { return window->form(); }
    std::vector<std::wstring> column(Column c) {
        std::vector<std::wstring> cells;
        for (const auto& row : form().lvwTeile.rows()) cells.push_back(row.cells[c]);
        return cells;
    }
    std::vector<bool> ticks() {
        std::vector<bool> ticked;
        for (const auto& row : form().lvwTeile.rows()) ticked.push_back(row.checked);
        return ticked;
    }
    void write() {
        form().click(form().cmdUebertragen);
        finish();
    }

    int unloads = 0;
    std::unique_ptr<AssemblyWindow> window;
};

// One row per part document, whatever the case of its path; sub-assemblies and suppressed
// components are no rows; a lightweight part is listed but cannot be ticked.
TEST_F(AssemblyWindowTest, ListsEachPartOnceWithItsUsesAndTicksThoseWithoutMaterial) {
    open();
    EXPECT_EQ(form().lblMaterial.caption(), L"Stahl: 7850,5 kg/m\u00b3");
    EXPECT_FALSE(form().prgFortschritt.progressKnown());  // until SolidWorks says how many
    finish();
    EXPECT_EQ(form().caption(), L"Density for assembly \u2013 Getriebe.SLDASM");
    EXPECT_THAT(column(kPart), ElementsAre(L"Welle.SLDPRT", L"Gehäuse.SLDPRT", L"Deckel.SLDPRT",
                                           L"Stift.SLDPRT", L"Blech-1"));
    EXPECT_THAT(column(kInstances), ElementsAre(L"3", L"2", L"1", L"1", L"1"));
    EXPECT_EQ(column(kConfigurations)[0], L"Standard, Lang");
    EXPECT_THAT(column(kMaterials), ElementsAre(L"", L"AISI 304", L"", L"", L""));
    EXPECT_THAT(column(kDensity), ElementsAre(L"1000", L"1000", L"", L"1000", L"1000"));
    EXPECT_THAT(column(kMassDensity), ElementsAre(L"1000", L"7900", L"", L"1000", L""));
    EXPECT_THAT(column(kResult), ElementsAre(L"", L"", L"not loaded", L"", L""));
    EXPECT_THAT(ticks(), ElementsAre(true, false, false, true, true));
    EXPECT_FALSE(form().lvwTeile.rows()[2].checkable);
    EXPECT_EQ(form().lblStatus.caption(),
              L"5 parts, 3 without material, 1 not loaded, 1 components suppressed");
    EXPECT_THAT(cad.commandInProgress, ElementsAre(true, false));
    // A document is asked about itself once, through its first component.
    EXPECT_EQ(cad.count(L"part.GetUserPreferenceDoubleValue"), 4u);
    EXPECT_EQ(cad.count(L"assembly.GetComponents"), 1u);
    EXPECT_LE(cad.calls.size(), 4 * cad.components.size() + 10 * 5 + 4);
}

TEST_F(AssemblyWindowTest, WritesTheTickedPartsAndSaysWhatEachCameTo) {
    open();
    finish();
    form().lvwTeile.setRowChecked(1, true);  // the one with a material
    write();
    EXPECT_THAT(column(kResult), ElementsAre(L"written", L"Material decides: 7900", L"not loaded",
                                             L"refused", L"written"));
    EXPECT_THAT(column(kDensity), ElementsAre(L"7850,5", L"7850,5", L"", L"1000", L"7850,5"));
    EXPECT_EQ(cad.parts[L"C:\\P\\Welle.SLDPRT"].density, 7850.5);
    EXPECT_EQ(form().lblStatus.caption(),
              L"2 parts written, 1 keep the density of their material, 1 refused. Save the "
              L"assembly in SolidWorks so that the parts keep the new density.");
    // A refused part: the main window shows the error picture, and no box is shown.
    EXPECT_THAT(statuses, ElementsAre(cad::Status::Error));
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_THAT(cad.commandInProgress, ElementsAre(true, false, true, false));

    cad.parts[L"C:\\P\\Stift.SLDPRT"].writable = true;
    form().click(form().cmdOhneMaterial);
    EXPECT_THAT(ticks(), ElementsAre(true, false, false, true, true));
    write();
    EXPECT_EQ(statuses.back(), cad::Status::Success);
    // Everything is let go when the window goes.
    window.reset();
    application.reset();
    EXPECT_EQ(cad.liveObjects, 0);
}

TEST_F(AssemblyWindowTest, ACancelStopsAfterThePartAtHandAndTellsSolidWorksTheRunEnded) {
    open();
    form().runWork();  // the components are asked for
    form().runWork();  // the first one is read
    form().click(form().cmdSchliessen);
    EXPECT_EQ(unloads, 0);
    EXPECT_FALSE(form().runWork());
    EXPECT_THAT(column(kPart), ElementsAre(L"Welle.SLDPRT"));
    EXPECT_THAT(form().lblStatus.caption(), HasSubstr(L"Stopped after 1 of 10."));
    EXPECT_EQ(form().cmdSchliessen.caption(), L"&Schließen");

    form().lvwTeile.setRowChecked(0, true);
    form().click(form().cmdUebertragen);
    EXPECT_EQ(form().cmdSchliessen.caption(), L"&Cancel");
    form().click(form().cmdSchliessen);
    finish();
    EXPECT_EQ(cad.count(L"part.SetUserPreferenceDoubleValue"), 0u);
    EXPECT_THAT(cad.commandInProgress, ElementsAre(true, false, true, false));
    form().click(form().cmdSchliessen);
    EXPECT_EQ(unloads, 1);
}

struct Failure {
    const wchar_t* call;
    bool whileWriting;
    const wchar_t* named;  // what the box says failed
};

class AssemblyFailures : public AssemblyWindowTest,
                         public ::testing::WithParamInterface<Failure> {};

// A failed call stops the run where it is, with the failure box; what was done shows, and the
// window stays usable.
TEST_P(AssemblyFailures, StopTheRunWithTheBoxAndKeepWhatWasDone) {
    const Failure& failure = GetParam();
    if (!failure.whileWriting) cad.failures[failure.call] = 5;
    open();
    finish();
    if (failure.whileWriting) {
        cad.failures[failure.call] = 5;
        write();
        EXPECT_EQ(column(kResult)[0], L"");
        EXPECT_EQ(column(kDensity)[0], L"7850,5");  // written before the mass was asked for
    }
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_THAT(boxes.shown[0].text, HasSubstr(failure.named));
    EXPECT_EQ(boxes.shown[0].style, BoxStyle::Stop);
    EXPECT_EQ(statuses.back(), cad::Status::Error);
    EXPECT_THAT(form().lblStatus.caption(), HasSubstr(L"Stopped after"));
    EXPECT_EQ(cad.commandInProgress.back(), false);
    EXPECT_FALSE(form().working());

    window.reset();
    application.reset();
    EXPECT_EQ(cad.liveObjects, 0);
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, AssemblyFailures,
    ::testing::Values(Failure{L"assembly.GetComponents", false,
                              L"\"GetComponents\" an die Baugruppe"},
                      Failure{L"component.ReferencedConfiguration", false, L"das Bauteil 1 der"},
                      Failure{L"part.GetMaterialPropertyName2", false, L"\"Welle.SLDPRT\""},
                      Failure{L"massProperty.Density", true, L"\"Density\" an das Teil"}));

TEST_F(AssemblyWindowTest, SuppressedErrorsShowNoBoxOnlyTheErrorPicture) {
    suppressed = true;
    cad.failures[L"component.GetModelDoc2"] = 5;
    open();
    finish();
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_THAT(statuses, ElementsAre(cad::Status::Error));
}

TEST_F(AssemblyWindowTest, AHeadingSortsByItsColumnAndASecondClickReverses) {
    open();
    finish();
    form().lvwTeile.setRowChecked(1, true);
    form().lvwTeile.clickHeading(kMassDensity);
    EXPECT_THAT(column(kPart), ElementsAre(L"Welle.SLDPRT", L"Stift.SLDPRT", L"Gehäuse.SLDPRT",
                                           L"Deckel.SLDPRT", L"Blech-1"));
    form().lvwTeile.clickHeading(kMassDensity);
    EXPECT_THAT(column(kPart), ElementsAre(L"Gehäuse.SLDPRT", L"Welle.SLDPRT", L"Stift.SLDPRT",
                                           L"Deckel.SLDPRT", L"Blech-1"));
    form().lvwTeile.clickHeading(kPart);
    EXPECT_THAT(column(kPart), ElementsAre(L"Blech-1", L"Deckel.SLDPRT", L"Gehäuse.SLDPRT",
                                           L"Stift.SLDPRT", L"Welle.SLDPRT"));
    // The ticks go with their rows.
    EXPECT_THAT(ticks(), ElementsAre(true, false, true, true, true));
}

}  // namespace
}  // namespace velu::assembly

// The assembly window: which parts it lists and how, what writing them comes to and why,
// the masses before and after, cancel and failures, against a faked SolidWorks.

#include <gmock/gmock.h>

#include <cmath>
#include <functional>
#include <limits>

#include "faked_assembly_window.h"

namespace velu::assembly {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using Fake = testing::FakeAssembly;
using State = Fake::State;

class AssemblyWindowTest : public ::testing::Test, protected testing::FakedAssemblyWindow {
  protected:
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
    void tickAll() {
        for (std::size_t i = 0; i < form().lvwTeile.rows().size(); ++i) {
            form().lvwTeile.setRowChecked(i, true);
        }
    }
    void write() {
        form().click(form().cmdUebertragen);
        finish();
    }
    std::wstring status() { return form().lblStatus.caption(); }
    void closeAndRelease() {
        window.reset();
        application.reset();
    }

    int unloads = 0;
    std::unique_ptr<AssemblyWindow> window;
};

// --- Listing ---------------------------------------------------------------------------------

struct Listing {
    const char* name;
    std::function<void(Fake&)> setUp;
    // Per row: part, count, configurations, materials, density, mass.
    std::vector<std::vector<std::wstring>> rows;
    std::vector<bool> ticks;
    const wchar_t* status;   // what the status line holds
    const wchar_t* failure;  // what the one failure box names; nothing: no box
};

class ListingRules : public AssemblyWindowTest, public ::testing::WithParamInterface<Listing> {};

TEST_P(ListingRules, GiveEachPartOneWholeRowAndTickThoseWithoutMaterial) {
    const Listing& listing = GetParam();
    listing.setUp(cad);
    open();
    finish();
    std::vector<std::vector<std::wstring>> rows;
    for (const auto& row : form().lvwTeile.rows()) {
        rows.push_back({row.cells[kPart], row.cells[kInstances], row.cells[kConfigurations],
                        row.cells[kMaterials], row.cells[kDensity], row.cells[kMass]});
    }
    EXPECT_EQ(rows, listing.rows);
    EXPECT_THAT(ticks(), ElementsAreArray(listing.ticks));
    EXPECT_THAT(status(), HasSubstr(listing.status));
    if (listing.failure) {
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_THAT(boxes.shown[0].text, HasSubstr(listing.failure));
    } else {
        EXPECT_TRUE(boxes.shown.empty());
    }
    EXPECT_THAT(cad.commandInProgress, ElementsAre(true, false));
    // A failed listing lets go of the components it did not read.
    EXPECT_EQ(cad.liveObjects, 2 + static_cast<int>(std::count_if(
                                       window->rows().begin(), window->rows().end(),
                                       [](const PartRow& row) { return row.part.loaded(); })));
}

void part(Fake& cad, const std::wstring& path, Fake::Part made = {}) {
    cad.parts[path] = std::move(made);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ListingRules,
    ::testing::Values(
        Listing{"PathsDifferingOnlyInCaseAreOnePart",
                [](Fake& cad) {
                    part(cad, L"C:\\P\\Gehäuse.SLDPRT");
                    part(cad, L"C:\\P\\ΩΜΕΓΑ.SLDPRT", {.density = 2700});
                    cad.components = {{.path = L"C:\\P\\Gehäuse.SLDPRT"},
                                      {.path = L"C:\\P\\ΩΜΕΓΑ.SLDPRT"},
                                      {.path = L"c:\\p\\GEHÄUSE.sldprt"},
                                      {.path = L"c:\\p\\ωμεγα.sldprt"}};
                },
                {{L"Gehäuse.SLDPRT", L"2", L"Standard", L"", L"1000", L"1,000"},
                 {L"ΩΜΕΓΑ.SLDPRT", L"2", L"Standard", L"", L"2700", L"2,700"}},
                {true, true},
                L"2 parts, 2 without material, 0 not loaded, 0 components suppressed",
                nullptr},
        Listing{"AComponentWithoutADocumentNamingAnAssemblyIsNoPart",
                [](Fake& cad) {
                    part(cad, L"C:\\P\\Welle.SLDPRT");
                    cad.subAssemblies = {L"C:\\P\\Unter.SLDASM", L"C:\\P\\Leicht.sldasm"};
                    cad.components = {
                        {.path = L"C:\\P\\Leicht.sldasm", .state = State::Lightweight},
                        {.path = L"C:\\P\\Unter.SLDASM"},
                        {.path = L"C:\\P\\Welle.SLDPRT", .state = State::Lightweight}};
                },
                {{L"Welle.SLDPRT", L"1", L"Standard", L"", L"", L""}},
                {false},
                L"1 parts, 0 without material, 1 not loaded, 0 components suppressed",
                nullptr},
        Listing{
            "APartFirstMetLightweightKeepsEveryConfigurationsMaterial",
            [](Fake& cad) {
                part(cad, L"C:\\P\\Welle.SLDPRT", {.materials = {{L"Lang", L"AISI 304"}}});
                cad.components = {{.path = L"C:\\P\\Welle.SLDPRT",
                                   .configuration = L"Lang",
                                   .state = State::Lightweight},
                                  {.path = L"C:\\P\\Welle.SLDPRT"}};
            },
            {{L"Welle.SLDPRT", L"2", L"Lang, Standard", L"AISI 304, \u2013", L"1000", L"1,000"}},
            {true},
            L"1 parts, 1 without material",
            nullptr},
        Listing{"EveryUsedConfigurationNeedsAMaterialToLeaveAPartUnticked",
                [](Fake& cad) {
                    part(cad, L"C:\\P\\A.SLDPRT",
                         {.materials = {{L"Standard", L"AISI 304"}, {L"Lang", L"Messing"}}});
                    part(cad, L"C:\\P\\B.SLDPRT", {.materials = {{L"Standard", L"AISI 304"}}});
                    part(cad, L"C:\\P\\C.SLDPRT", {.materials = {{L"Lang", L"Messing"}}});
                    for (const auto* path :
                         {L"C:\\P\\A.SLDPRT", L"C:\\P\\B.SLDPRT", L"C:\\P\\C.SLDPRT"}) {
                        cad.components.push_back({.path = path});
                        cad.components.push_back({.path = path, .configuration = L"Lang"});
                    }
                    cad.components.erase(cad.components.begin() + 3);  // B only in Standard
                },
                {{L"A.SLDPRT", L"2", L"Standard, Lang", L"AISI 304, Messing", L"1000", L"7,900"},
                 {L"B.SLDPRT", L"1", L"Standard", L"AISI 304", L"1000", L"7,900"},
                 {L"C.SLDPRT", L"2", L"Standard, Lang", L"\u2013, Messing", L"1000", L"1,000"}},
                {false, false, true},
                L"3 parts, 1 without material, 0 not loaded",
                nullptr},
        Listing{"SuppressedComponentsAreCountedWhateverTheirOrder",
                [](Fake& cad) {
                    part(cad, L"C:\\P\\Welle.SLDPRT");
                    cad.subAssemblies = {L"C:\\P\\Unter.SLDASM"};
                    cad.components = {{.path = L"C:\\P\\Unter.SLDASM"},
                                      {.path = L"C:\\P\\Unter.SLDASM", .state = State::Suppressed},
                                      {.path = L"C:\\P\\Welle.SLDPRT"},
                                      {.path = L"C:\\P\\Welle.SLDPRT", .state = State::Suppressed}};
                },
                {{L"Welle.SLDPRT", L"1", L"Standard", L"", L"1000", L"1,000"}},
                {true},
                L"1 parts, 1 without material, 0 not loaded, 2 components suppressed",
                nullptr},
        Listing{"AFailureInTheMiddleOfAPartLeavesItWithoutARow",
                [](Fake& cad) {
                    for (const auto* path :
                         {L"C:\\P\\A.SLDPRT", L"C:\\P\\B.SLDPRT", L"C:\\P\\C.SLDPRT"}) {
                        part(cad, path);
                    }
                    // B has a row from its first, lightweight use; reading its document fails.
                    cad.components = {{.path = L"C:\\P\\B.SLDPRT", .state = State::Lightweight},
                                      {.path = L"C:\\P\\A.SLDPRT"},
                                      {.path = L"C:\\P\\B.SLDPRT", .configuration = L"Lang"},
                                      {.path = L"C:\\P\\C.SLDPRT"}};
                    cad.failures[L"part[C:\\P\\B.SLDPRT].GetMaterialPropertyName2"] = 5;
                },
                {{L"A.SLDPRT", L"1", L"Standard", L"", L"1000", L"1,000"}},
                {true},
                L"Stopped after 3 of 4. 1 parts, 1 without material",
                L"\"GetMaterialPropertyName2\" an das Teil \"B.SLDPRT\""},
        Listing{"ADensitySettingThatIsNoFiniteNumberIsUnusable",
                [](Fake& cad) {
                    part(cad, L"C:\\P\\A.SLDPRT");
                    part(cad, L"C:\\P\\B.SLDPRT",
                         {.density = std::numeric_limits<double>::infinity()});
                    cad.components = {{.path = L"C:\\P\\A.SLDPRT"}, {.path = L"C:\\P\\B.SLDPRT"}};
                },
                {{L"A.SLDPRT", L"1", L"Standard", L"", L"1000", L"1,000"}},
                {true},
                L"Stopped after 2 of 2.",
                L"\"GetUserPreferenceDoubleValue\" an das Teil \"B.SLDPRT\""},
        Listing{"AnElementThatIsNoObjectMakesTheAnswerUnusable",
                [](Fake& cad) {
                    part(cad, L"C:\\P\\A.SLDPRT");
                    cad.components = {{.path = L"C:\\P\\A.SLDPRT"}};
                    cad.otherElements = {cad::Variant()};
                },
                {},
                {},
                L"0 parts",
                L"\"GetComponents\" an die Baugruppe"},
        Listing{"AnElementThatIsNothingMakesTheAnswerUnusable",
                [](Fake& cad) {
                    part(cad, L"C:\\P\\A.SLDPRT");
                    cad.components = {{.path = L"C:\\P\\A.SLDPRT"}};
                    cad.otherElements = {cad::Variant(cad::ObjectRef())};
                },
                {},
                {},
                L"0 parts",
                L"\"GetComponents\" an die Baugruppe"}),
    [](const auto& info) { return std::string(info.param.name); });

// Each component is asked for its path and state; only the first resolved use of a document
// fetches it, and a known sub-assembly or a suppressed component needs nothing more.
TEST_F(AssemblyWindowTest, ListingAsksEachComponentOnlyWhatItNeeds) {
    part(cad, L"C:\\P\\A.SLDPRT");
    part(cad, L"C:\\P\\B.SLDPRT");
    part(cad, L"C:\\P\\C.SLDPRT");
    cad.subAssemblies = {L"C:\\P\\S.SLDASM"};
    cad.components = {{.path = L"C:\\P\\C.SLDPRT", .state = State::IdMismatch},
                      {.path = L"C:\\P\\C.SLDPRT", .state = State::IdMismatch},
                      {.path = L"C:\\P\\A.SLDPRT"},
                      {.path = L"C:\\P\\S.SLDASM"},
                      {.path = L"C:\\P\\B.SLDPRT", .state = State::Lightweight},
                      {.path = L"C:\\P\\A.SLDPRT", .configuration = L"Lang"},
                      {.path = L"C:\\P\\S.SLDASM"},
                      {.path = L"C:\\P\\A.SLDPRT", .state = State::Suppressed},
                      {.path = L"C:\\P\\A.SLDPRT"}};
    open();
    finish();
    EXPECT_EQ(cad.count(L"component.GetPathName"), 9u);
    EXPECT_EQ(cad.count(L"component.GetSuppression2"), 9u);
    EXPECT_EQ(cad.count(L"component.ReferencedConfiguration"), 6u);
    // C gives no document: its second use does not ask again.
    EXPECT_EQ(cad.count(L"component.GetModelDoc2"), 3u);
    EXPECT_EQ(cad.count(L"part.GetMaterialPropertyName2"), 2u);
    EXPECT_EQ(cad.count(L"part.GetUserPreferenceDoubleValue"), 1u);
    EXPECT_EQ(cad.count(L"massProperty.Mass"), 2u);  // A's, and the assembly's
    // The application, the assembly, the components, two documents, and the extension and
    // mass properties of A and of the assembly.
    EXPECT_EQ(cad.objectsHandedOut, 2 + 9 + 2 + 2 + 2);
}

// --- Writing -----------------------------------------------------------------------------------

class Writing : public AssemblyWindowTest {
  protected:
    // n parts of one kind, each used once.
    void parts(const std::wstring& stem, int n, Fake::Part made,
               const std::wstring& configuration = L"Standard") {
        for (int i = 0; i < n; ++i) {
            const std::wstring path = L"C:\\P\\" + stem + std::to_wstring(i) + L".SLDPRT";
            cad.parts[path] = made;
            cad.components.push_back({.path = path, .configuration = configuration});
        }
    }
    std::vector<std::wstring> results() {
        std::vector<std::wstring> seen = column(kResult);
        std::sort(seen.begin(), seen.end());
        seen.erase(std::unique(seen.begin(), seen.end()), seen.end());
        return seen;
    }
};

// Each result is named by its cause, counted apart in the summary, and shows the density and
// mass as SolidWorks computes them after the write; the picture is the error picture as soon
// as a part refused.
TEST_F(Writing, NamesEachResultByItsCauseAndCountsEachCauseApart) {
    parts(L"Ohne", 1, {});
    parts(L"Material", 2, {.materials = {{L"Standard", L"AISI 304"}}});
    parts(L"Vorgegeben", 3, {.materials = {{L"Standard", L"AISI 304"}}, .overriddenMass = 12.0});
    // Used in a configuration without material; the active one has one.
    parts(L"Anders", 4, {.materials = {{L"Standard", L"AISI 304"}}}, L"Lang");
    parts(L"Gesperrt", 5, {.writable = false});
    open();
    finish();
    tickAll();
    write();
    EXPECT_THAT(results(), ElementsAre(L"Mass computed with: 7900", L"Material decides: 7900",
                                       L"mass set by hand", L"refused", L"written"));
    EXPECT_THAT(status(), HasSubstr(L"1 parts written, 2 keep the density of their material, 3 "
                                    L"with their mass set by hand, 4 computed with another "
                                    L"density, 5 refused."));
    EXPECT_EQ(column(kDensity)[0], L"7850,5");
    EXPECT_EQ(column(kMass)[0], L"7,851");
    EXPECT_THAT(statuses, ElementsAre(cad::Status::Error));
    // A refused write needs no mass call; the override is asked where the density differs.
    EXPECT_EQ(cad.count(L"extension.CreateMassProperty"), 15u + 10u + 1u + 1u);
    EXPECT_EQ(cad.count(L"massProperty.OverrideMass"), 9u);
}

struct Outcome {
    const char* name;
    std::function<void(Fake&)> setUp;
    const wchar_t* result;
    cad::Status picture;
};

class Outcomes : public Writing, public ::testing::WithParamInterface<Outcome> {};

TEST_P(Outcomes, OfOnePartNameItsCauseAndSetThePicture) {
    cad.parts[L"C:\\P\\A.SLDPRT"] = {};
    cad.components = {{.path = L"C:\\P\\A.SLDPRT"}};
    GetParam().setUp(cad);
    open();
    finish();
    tickAll();
    write();
    EXPECT_THAT(column(kResult), ElementsAre(GetParam().result));
    ASSERT_FALSE(statuses.empty());
    EXPECT_EQ(statuses.back(), GetParam().picture);
    EXPECT_TRUE(boxes.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Outcomes,
    ::testing::Values(Outcome{"TheDensityTakesEffect", [](Fake&) {}, L"written",
                              cad::Status::Success},
                      Outcome{"EveryPartKeepsItsMaterialsDensity",
                              [](Fake& cad) {
                                  cad.parts.begin()->second.materials = {{L"Standard", L"X"}};
                              },
                              L"Material decides: 7900", cad::Status::Error},
                      // The name is unknown at the look-up, or the member at the call.
                      Outcome{"AServerWithoutTheOverrideHasNone",
                              [](Fake& cad) {
                                  cad.unknownOverride = static_cast<std::int32_t>(0x80020006);
                                  cad.parts.begin()->second.materials = {{L"Standard", L"X"}};
                              },
                              L"Material decides: 7900", cad::Status::Error},
                      Outcome{"AServerThatFindsNoOverrideHasNone",
                              [](Fake& cad) {
                                  cad.unknownOverride = static_cast<std::int32_t>(0x80020003);
                                  cad.parts.begin()->second.materials = {{L"Standard", L"X"}};
                              },
                              L"Material decides: 7900", cad::Status::Error},
                      Outcome{"TheMassIsSetByHand",
                              [](Fake& cad) { cad.parts.begin()->second.overriddenMass = 3.0; },
                              L"mass set by hand", cad::Status::Error},
                      Outcome{"APartWithoutABodyTakesIt",
                              [](Fake& cad) { cad.parts.begin()->second.hasBody = false; },
                              L"written", cad::Status::Success}),
    [](const auto& info) { return std::string(info.param.name); });

// The status line ends with the assembly's mass: after listing as it is, after writing (and
// after a cancel) before and after, read anew after the last write.
TEST_F(Writing, ShowsTheAssemblysMassBeforeAndAfter) {
    parts(L"Teil", 3, {.volume = 0.002});
    cad.components.push_back({.path = L"C:\\P\\Teil0.SLDPRT", .state = State::Suppressed});
    open();
    finish();
    EXPECT_THAT(status(), HasSubstr(L"suppressed Mass of the assembly: 6,000 kg"));
    tickAll();
    form().lvwTeile.setRowChecked(2, false);
    write();
    EXPECT_THAT(status(),
                HasSubstr(L"new density. Mass of the assembly: 6,000 kg \u2192 33,402 kg"));
    EXPECT_THAT(column(kMass), ElementsAre(L"15,701", L"15,701", L"2,000"));

    // Changed in SolidWorks meanwhile: the mass after the run is read anew.
    cad.parts[L"C:\\P\\Teil2.SLDPRT"].density = 500;
    form().lvwTeile.setRowChecked(2, true);
    form().click(form().cmdUebertragen);
    form().runWork();
    form().click(form().cmdSchliessen);
    finish();
    EXPECT_THAT(status(), HasSubstr(L"Stopped after 1 of 3."));
    EXPECT_THAT(status(), HasSubstr(L"33,402 kg \u2192 32,402 kg"));
    EXPECT_THAT(cad.commandInProgress, ElementsAre(true, false, true, false, true, false));
}

// A part that took the density counts as written when the mass call after the write fails;
// the failure box names the mass call, and the status line gives no mass it does not know.
TEST_F(Writing, AFailedMassCallAfterAWriteStillCountsThePartAsWritten) {
    parts(L"Teil", 2, {});
    open();
    finish();
    tickAll();
    cad.failures[L"massProperty.Mass"] = 5;
    write();
    EXPECT_THAT(column(kResult), ElementsAre(L"written", L""));
    EXPECT_EQ(column(kDensity)[0], L"7850,5");
    EXPECT_EQ(column(kMass)[0], L"");
    EXPECT_THAT(status(), HasSubstr(L"Stopped after 1 of 2. 1 parts written"));
    EXPECT_THAT(status(), ::testing::Not(HasSubstr(L"Mass of the assembly")));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_THAT(boxes.shown[0].text, HasSubstr(L"\"Mass\" an das Teil \"Teil0.SLDPRT\""));
    EXPECT_EQ(cad.commandInProgress.back(), false);
    closeAndRelease();
    EXPECT_EQ(cad.liveObjects, 0);
}

// While a run works, "Dichte übertragen" waits and the ticks stay as they were at the click:
// the run writes exactly the rows the list shows ticked.
TEST_F(Writing, TheTicksAndTheButtonsWaitWhileTheWindowWrites) {
    parts(L"Teil", 3, {});
    open();
    EXPECT_FALSE(form().cmdUebertragen.enabled());
    form().runWork();  // the components are counted
    EXPECT_TRUE(form().prgFortschritt.progressKnown());
    finish();
    form().lvwTeile.setRowChecked(1, false);
    form().click(form().cmdUebertragen);
    form().runWork();
    EXPECT_FALSE(form().cmdUebertragen.enabled());
    EXPECT_FALSE(form().cmdOhneMaterial.enabled());
    EXPECT_FALSE(form().lvwTeile.setRowChecked(1, true));
    EXPECT_FALSE(form().lvwTeile.setRowChecked(2, false));
    finish();
    EXPECT_THAT(ticks(), ElementsAre(true, false, true));
    EXPECT_THAT(column(kResult), ElementsAre(L"written", L"", L"written"));
    EXPECT_TRUE(form().lvwTeile.setRowChecked(1, true));
    EXPECT_TRUE(form().cmdUebertragen.enabled());
}

// --- Undo ---------------------------------------------------------------------------------------

// Undo writes back into each part the window changed the density it had when listed, whatever
// was written in between; a part that refused is left alone; undo is then done.
TEST_F(Writing, UndoReturnsEveryChangedPartToItsListedDensity) {
    parts(L"Teil", 2, {.volume = 0.002});
    parts(L"Gesperrt", 1, {.writable = false});
    cad.parts[L"C:\\P\\Teil1.SLDPRT"].density = 2700;
    open();
    finish();
    EXPECT_FALSE(form().cmdRueckgaengig.enabled());
    tickAll();
    write();
    EXPECT_TRUE(form().cmdRueckgaengig.enabled());
    density = 1234;  // another material chosen: a second write in one opening
    write();
    form().click(form().cmdRueckgaengig);
    EXPECT_FALSE(form().cmdRueckgaengig.enabled());  // while it runs
    finish();
    EXPECT_EQ(cad.parts[L"C:\\P\\Teil0.SLDPRT"].density, 1000.0);
    EXPECT_EQ(cad.parts[L"C:\\P\\Teil1.SLDPRT"].density, 2700.0);
    EXPECT_THAT(column(kResult), ElementsAre(L"reset", L"reset", L"refused"));
    EXPECT_THAT(column(kDensity), ElementsAre(L"1000", L"2700", L"1000"));
    EXPECT_THAT(column(kMass), ElementsAre(L"2,000", L"5,400", L"1,000"));
    EXPECT_THAT(status(), HasSubstr(L"2 parts reset, 0 refused. Mass of the assembly: "
                                    L"5,936 kg \u2192 8,400 kg"));
    EXPECT_EQ(cad.count(L"part.SetUserPreferenceDoubleValue"), 3u + 3u + 2u);
    EXPECT_FALSE(form().cmdRueckgaengig.enabled());
    EXPECT_EQ(statuses.back(), cad::Status::Success);
    // Writing works again as before.
    write();
    EXPECT_EQ(cad.parts[L"C:\\P\\Teil0.SLDPRT"].density, 1234.0);
    EXPECT_TRUE(form().cmdRueckgaengig.enabled());
}

TEST_F(Writing, AnUndoThatIsRefusedStaysToBeDone) {
    parts(L"Teil", 2, {});
    open();
    finish();
    tickAll();
    write();
    cad.parts[L"C:\\P\\Teil1.SLDPRT"].writable = false;
    form().click(form().cmdRueckgaengig);
    finish();
    EXPECT_THAT(column(kResult), ElementsAre(L"reset", L"refused"));
    EXPECT_THAT(status(), HasSubstr(L"1 parts reset, 1 refused."));
    EXPECT_EQ(statuses.back(), cad::Status::Error);
    EXPECT_TRUE(form().cmdRueckgaengig.enabled());
    cad.parts[L"C:\\P\\Teil1.SLDPRT"].writable = true;
    form().click(form().cmdRueckgaengig);
    finish();
    EXPECT_THAT(column(kResult), ElementsAre(L"reset", L"reset"));
    EXPECT_EQ(cad.parts[L"C:\\P\\Teil1.SLDPRT"].density, 1000.0);
}

// --- The list saved and copied -----------------------------------------------------------------

// The list as shown, in its order, with each part's path, and the assembly's title and mass;
// no call to SolidWorks.
TEST_F(Writing, SavingWritesTheListAsShownWithPathsTitleAndMass) {
    parts(L"Zwei", 1, {.density = 2000});
    parts(L"Eins", 1, {});
    open();
    finish();
    form().lvwTeile.clickHeading(kPart);
    saving.chosen = L"C:\\Ablage\\Liste.csv";
    const std::size_t calls = cad.calls.size();
    form().click(form().cmdSpeichern);
    EXPECT_EQ(cad.calls.size(), calls);
    ASSERT_EQ(saving.requests.size(), 1u);
    EXPECT_EQ(saving.requests[0].suggestedName, L"Getriebe - Densities.csv");
    EXPECT_EQ(saving.requests[0].fileType, L"CSV (comma delimited) (*.csv)");
    EXPECT_EQ(saving.written[L"C:\\Ablage\\Liste.csv"],
              "\xEF\xBB\xBF"
              "Teil;Anzahl;Konfiguration;Material;Dichte [kg/m\xC2\xB3];Masse rechnet mit "
              "[kg/m\xC2\xB3];Masse [kg];Ergebnis;Path\r\n"
              "Eins0.SLDPRT;1;Standard;;1000;1000;1,000;;C:\\P\\Eins0.SLDPRT\r\n"
              "Zwei0.SLDPRT;1;Standard;;2000;2000;2,000;;C:\\P\\Zwei0.SLDPRT\r\n"
              "Getriebe.SLDASM;Mass of the assembly: 3,000 kg\r\n");
    EXPECT_TRUE(boxes.shown.empty());

    saving.failure = L"Zugriff verweigert";
    form().click(form().cmdSpeichern);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              L"The list could not be saved as C:\\Ablage\\Liste.csv. Zugriff verweigert");
    saving.chosen.reset();  // cancelled: nothing is written, nothing is said
    form().click(form().cmdSpeichern);
    EXPECT_EQ(boxes.shown.size(), 1u);
}

TEST_F(Writing, CopyingPutsTheSelectedRowsOrAllOnTheClipboard) {
    parts(L"Teil", 3, {});
    open();
    finish();
    form().click(form().mnuKopieren);
    EXPECT_EQ(std::count(saving.clipboard.begin(), saving.clipboard.end(), L'\n'), 4);
    form().lvwTeile.setRowSelected(2, true);
    form().lvwTeile.setRowSelected(0, true);
    form().click(form().mnuKopieren);
    const std::wstring headings =
        L"Teil\tAnzahl\tKonfiguration\tMaterial\tDichte [kg/m\u00b3]\t"
        L"Masse rechnet mit [kg/m\u00b3]\tMasse [kg]\tErgebnis\r\n";
    EXPECT_EQ(saving.clipboard, headings +
                                    L"Teil0.SLDPRT\t1\tStandard\t\t1000\t1000\t1,000\t\r\n"
                                    L"Teil2.SLDPRT\t1\tStandard\t\t1000\t1000\t1,000\t\r\n");
    // Selecting leaves the ticks alone; "select all" selects every row.
    EXPECT_THAT(ticks(), ElementsAre(true, true, true));
    form().click(form().mnuAlleAuswaehlen);
    EXPECT_TRUE(form().lvwTeile.rowSelected(1));
    saving.failure = L"besetzt";
    form().click(form().mnuKopieren);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, L"The list could not be copied to the clipboard. besetzt");
}

// --- Cancel, closing, failures -----------------------------------------------------------------

TEST_F(AssemblyWindowTest, ACancelledListingLetsGoOfTheComponentsWhileTheWindowIsOpen) {
    for (const auto* path : {L"C:\\P\\A.SLDPRT", L"C:\\P\\B.SLDPRT", L"C:\\P\\C.SLDPRT"}) {
        part(cad, path);
        cad.components.push_back({.path = path});
    }
    open();
    form().runWork();  // the components are asked for
    form().runWork();  // the first one is read
    form().click(form().cmdSchliessen);
    EXPECT_EQ(unloads, 0);
    EXPECT_FALSE(form().runWork());
    EXPECT_THAT(column(kPart), ElementsAre(L"A.SLDPRT"));
    EXPECT_THAT(status(), HasSubstr(L"Stopped after 1 of 3."));
    EXPECT_THAT(status(), HasSubstr(L"Mass of the assembly: 3,000 kg"));
    EXPECT_EQ(form().cmdSchliessen.caption(), L"&Schließen");
    // The application, the assembly and the one part's document are held; nothing else.
    EXPECT_EQ(cad.liveObjects, 3);

    form().click(form().cmdUebertragen);
    EXPECT_EQ(form().cmdSchliessen.caption(), L"&Cancel");
    form().click(form().cmdSchliessen);
    finish();
    EXPECT_EQ(cad.count(L"part.SetUserPreferenceDoubleValue"), 0u);
    form().click(form().cmdSchliessen);
    EXPECT_EQ(unloads, 1);
}

TEST_F(AssemblyWindowTest, AWindowThatGoesWhileItWorksTellsSolidWorksTheRunEnded) {
    part(cad, L"C:\\P\\A.SLDPRT");
    cad.components = {{.path = L"C:\\P\\A.SLDPRT"}, {.path = L"C:\\P\\A.SLDPRT"}};
    open();
    form().runWork();
    EXPECT_TRUE(form().working());
    closeAndRelease();
    EXPECT_THAT(cad.commandInProgress, ElementsAre(true, false));
    EXPECT_EQ(cad.liveObjects, 0);
}

TEST_F(AssemblyWindowTest, SuppressedErrorsShowNoBoxOnlyTheErrorPicture) {
    part(cad, L"C:\\P\\A.SLDPRT");
    cad.components = {{.path = L"C:\\P\\A.SLDPRT"}};
    suppressed = true;
    cad.failures[L"component.GetModelDoc2"] = 5;
    open();
    finish();
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_THAT(statuses, ElementsAre(cad::Status::Error));
}

// --- Sorting -----------------------------------------------------------------------------------

TEST_F(AssemblyWindowTest, AHeadingSortsByItsColumnNumbersByValueAndASecondClickReverses) {
    part(cad, L"C:\\P\\Zwei.SLDPRT", {.volume = 0.01});
    part(cad, L"C:\\P\\Zehn.SLDPRT", {.materials = {{L"Standard", L"AISI 304"}}});
    part(cad, L"C:\\P\\Leicht.SLDPRT");
    for (int i = 0; i < 10; ++i) cad.components.push_back({.path = L"C:\\P\\Zehn.SLDPRT"});
    for (int i = 0; i < 2; ++i) cad.components.push_back({.path = L"C:\\P\\Zwei.SLDPRT"});
    cad.components.push_back({.path = L"C:\\P\\Leicht.SLDPRT", .state = State::Lightweight});
    open();
    finish();
    form().lvwTeile.clickHeading(kInstances);
    EXPECT_THAT(column(kPart), ElementsAre(L"Leicht.SLDPRT", L"Zwei.SLDPRT", L"Zehn.SLDPRT"));
    form().lvwTeile.clickHeading(kInstances);
    EXPECT_THAT(column(kPart), ElementsAre(L"Zehn.SLDPRT", L"Zwei.SLDPRT", L"Leicht.SLDPRT"));
    // A part without a number in the column comes last either way.
    form().lvwTeile.clickHeading(kMass);
    EXPECT_THAT(column(kPart), ElementsAre(L"Zehn.SLDPRT", L"Zwei.SLDPRT", L"Leicht.SLDPRT"));
    form().lvwTeile.clickHeading(kMass);
    EXPECT_THAT(column(kPart), ElementsAre(L"Zwei.SLDPRT", L"Zehn.SLDPRT", L"Leicht.SLDPRT"));
    form().lvwTeile.clickHeading(kPart);
    EXPECT_THAT(column(kPart), ElementsAre(L"Leicht.SLDPRT", L"Zehn.SLDPRT", L"Zwei.SLDPRT"));
    // The ticks go with their rows.
    EXPECT_THAT(ticks(), ElementsAre(false, false, true));
}

}  // namespace
}  // namespace velu::assembly

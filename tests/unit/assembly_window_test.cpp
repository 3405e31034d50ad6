// The assembly window: which parts it lists and how, what writing them comes to and why,
// the masses before and after, undo, the list saved and copied, cancel and failures, against a
// faked SolidWorks.

#include <gmock/gmock.h>

#include <limits>
#include <set>

#include "faked_assembly_window.h"

namespace velu::assembly {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Fake = testing::FakeAssembly;
using State = Fake::State;

// A part's path, by its name.
std::wstring path(const std::wstring& name) {
    return L"C:\\P\\" + name + L".SLDPRT";
}

class AssemblyWindowTest : public ::testing::Test, protected testing::FakedAssemblyWindow {
  protected:
    // Parts of that make, each used once: A0, A1, ... for the stem "A".
    void parts(const std::wstring& stem, int n, Fake::Part made = {},
               const std::wstring& configuration = L"Standard") {
        for (int i = 0; i < n; ++i) {
            cad.parts[path(stem + std::to_wstring(i))] = made;
            cad.components.push_back(
                {.path = path(stem + std::to_wstring(i)), .configuration = configuration});
        }
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
    void listed() {
        open();
        finish();
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
    void click(forms::Control& button) {
        form().click(button);
        finish();
    }
    std::wstring status() { return form().lblStatus.caption(); }

    int unloads = 0;
    std::unique_ptr<AssemblyWindow> window;
};

// --- Listing ---------------------------------------------------------------------------------

struct Listing {
    const char* name;
    std::map<std::wstring, Fake::Part> parts;  // by name
    // Parts by name, sub-assemblies by their whole path.
    std::vector<Fake::Component> components;
    // Each row: "x" when ticked, then part, count, configurations, materials, density, mass.
    std::vector<std::wstring> rows;
    const wchar_t* status;
    const wchar_t* failure = nullptr;  // what the one failure box names; nothing: no box
    std::map<std::wstring, std::int32_t> failures;
    std::vector<cad::Variant> otherElements;
};

class ListingRules : public AssemblyWindowTest, public ::testing::WithParamInterface<Listing> {};

// Each part gets one whole row, ticked when a used configuration lacks a material; a failed
// call stops the listing with one box and leaves the part at hand without a row.
TEST_P(ListingRules, GiveEachPartOneWholeRow) {
    const Listing& listing = GetParam();
    for (const auto& [name, made] : listing.parts) cad.parts[path(name)] = made;
    for (auto component : listing.components) {
        if (component.path.find(L'\\') != std::wstring::npos) {
            cad.subAssemblies.push_back(component.path);
        } else {
            component.path = path(component.path);
        }
        cad.components.push_back(component);
    }
    cad.failures = listing.failures;
    cad.otherElements = listing.otherElements;
    listed();
    std::vector<std::wstring> rows;
    for (const auto& row : form().lvwTeile.rows()) {
        std::wstring shown = row.checked ? L"x" : L"";
        for (const Column c : {kPart, kInstances, kConfigurations, kMaterials, kDensity, kMass}) {
            shown += L"|" + row.cells[c];
        }
        rows.push_back(shown);
    }
    EXPECT_EQ(rows, listing.rows);
    EXPECT_THAT(status(), HasSubstr(listing.status));
    if (listing.failure) {
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_THAT(boxes.shown[0].text, HasSubstr(listing.failure));
    } else {
        EXPECT_TRUE(boxes.shown.empty());
    }
    EXPECT_THAT(cad.commandInProgress, ElementsAre(true, false));
    // What is not listed is let go: the application, the assembly and the documents stay.
    EXPECT_EQ(cad.liveObjects, 2 + static_cast<int>(std::count_if(
                                       window->rows().begin(), window->rows().end(),
                                       [](const PartRow& row) { return row.part.loaded(); })));
}

const auto kLightweight = State::Lightweight;
const Fake::Part kSteel{.materials = {{L"Standard", L"AISI 304"}}};

INSTANTIATE_TEST_SUITE_P(
    Cases, ListingRules,
    ::testing::Values(
        Listing{
            "PathsDifferingOnlyInCaseAreOnePart",
            {{L"Gehäuse", {}}, {L"ΩΜΕΓΑ", {.density = 2700}}},
            {{L"Gehäuse"}, {L"ΩΜΕΓΑ"}, {L"GEHÄUSE"}, {L"ωμεγα"}},
            {L"x|Gehäuse.SLDPRT|2|Standard||1000|1,000", L"x|ΩΜΕΓΑ.SLDPRT|2|Standard||2700|2,700"},
            L"2 parts, 2 without material, 0 not loaded, 0 components suppressed"},
        Listing{"AComponentWithoutADocumentNamingAnAssemblyIsNoPart",
                {{L"Welle", {}}},
                {{.path = L"C:\\P\\Leicht.sldasm", .state = kLightweight},
                 {L"C:\\P\\Unter.SLDASM"},
                 {.path = L"Welle", .state = kLightweight}},
                {L"|Welle.SLDPRT|1|Standard|||"},
                L"1 parts, 0 without material, 1 not loaded, 0 components suppressed"},
        Listing{"APartFirstMetLightweightKeepsEveryConfigurationsMaterial",
                {{L"Welle", {.materials = {{L"Lang", L"AISI 304"}}}}},
                {{.path = L"Welle", .configuration = L"Lang", .state = kLightweight}, {L"Welle"}},
                {L"x|Welle.SLDPRT|2|Lang, Standard|AISI 304, \u2013|1000|1,000"},
                L"1 parts, 1 without material"},
        Listing{"EveryUsedConfigurationNeedsAMaterialToLeaveAPartUnticked",
                {{L"A", {.materials = {{L"Standard", L"AISI 304"}, {L"Lang", L"Messing"}}}},
                 {L"B", kSteel},
                 {L"C", {.materials = {{L"Lang", L"Messing"}}}}},
                {{L"A"}, {L"A", L"Lang"}, {L"B"}, {L"C"}, {L"C", L"Lang"}},
                {L"|A.SLDPRT|2|Standard, Lang|AISI 304, Messing|1000|7,900",
                 L"|B.SLDPRT|1|Standard|AISI 304|1000|7,900",
                 L"x|C.SLDPRT|2|Standard, Lang|\u2013, Messing|1000|1,000"},
                L"3 parts, 1 without material, 0 not loaded"},
        Listing{"SuppressedComponentsAreCountedWhateverTheirOrder",
                {{L"Welle", {}}},
                {{L"C:\\P\\Unter.SLDASM"},
                 {.path = L"C:\\P\\Unter.SLDASM", .state = State::Suppressed},
                 {L"Welle"},
                 {.path = L"Welle", .state = State::Suppressed}},
                {L"x|Welle.SLDPRT|1|Standard||1000|1,000"},
                L"1 parts, 1 without material, 0 not loaded, 2 components suppressed"},
        // B has a row from its first, lightweight use; reading its document fails.
        Listing{"AFailureInTheMiddleOfAPartLeavesItWithoutARow",
                {{L"A", {}}, {L"B", {}}, {L"C", {}}},
                {{.path = L"B", .state = kLightweight}, {L"A"}, {L"B", L"Lang"}, {L"C"}},
                {L"x|A.SLDPRT|1|Standard||1000|1,000"},
                L"Stopped after 3 of 4. 1 parts, 1 without material",
                L"\"GetMaterialPropertyName2\" an das Teil \"B.SLDPRT\"",
                {{L"part[C:\\P\\B.SLDPRT].GetMaterialPropertyName2", 5}}},
        Listing{"ADensitySettingThatIsNoFiniteNumberIsUnusable",
                {{L"A", {}}, {L"B", {.density = std::numeric_limits<double>::infinity()}}},
                {{L"A"}, {L"B"}},
                {L"x|A.SLDPRT|1|Standard||1000|1,000"},
                L"Stopped after 2 of 2.",
                L"\"GetUserPreferenceDoubleValue\" an das Teil \"B.SLDPRT\""},
        Listing{"AnElementThatIsNoObjectMakesTheAnswerUnusable",
                {{L"A", {}}},
                {{L"A"}},
                {},
                L"0 parts",
                L"\"GetComponents\" an die Baugruppe",
                {},
                {cad::Variant()}},
        Listing{"AnElementThatIsNothingMakesTheAnswerUnusable",
                {{L"A", {}}},
                {{L"A"}},
                {},
                L"0 parts",
                L"\"GetComponents\" an die Baugruppe",
                {},
                {cad::Variant(cad::ObjectRef())}}),
    [](const auto& info) { return std::string(info.param.name); });

// Each component is asked for its path and state; only the first resolved use of a document
// fetches it, and a known sub-assembly or a suppressed component needs nothing more.
TEST_F(AssemblyWindowTest, ListingAsksEachComponentOnlyWhatItNeeds) {
    for (const auto* name : {L"A", L"B", L"C"}) cad.parts[path(name)] = {};
    cad.subAssemblies = {L"C:\\P\\S.SLDASM"};
    cad.components = {{.path = path(L"C"), .state = State::IdMismatch},
                      {.path = path(L"C"), .state = State::IdMismatch},
                      {.path = path(L"A")},
                      {.path = L"C:\\P\\S.SLDASM"},
                      {.path = path(L"B"), .state = State::Lightweight},
                      {.path = path(L"A"), .configuration = L"Lang"},
                      {.path = L"C:\\P\\S.SLDASM"},
                      {.path = path(L"A"), .state = State::Suppressed},
                      {.path = path(L"A")}};
    listed();
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

// Each result is named by its cause, counted apart in the summary, and shows the density and
// mass as SolidWorks computes them after the write; a refused write needs no mass call, and
// the override is asked only where the density differs.
TEST_F(AssemblyWindowTest, NamesEachResultByItsCauseAndCountsEachCauseApart) {
    parts(L"Ohne", 1);
    parts(L"Material", 2, kSteel);
    parts(L"Vorgegeben", 3, {.materials = kSteel.materials, .overriddenMass = 12.0});
    parts(L"Anders", 4, kSteel, L"Lang");  // its active configuration has the material
    parts(L"Gesperrt", 5, {.writable = false});
    listed();
    tickAll();
    click(form().cmdUebertragen);
    const auto shown = column(kResult);
    const std::set<std::wstring> results(shown.begin(), shown.end());
    EXPECT_THAT(results, ElementsAre(L"Mass computed with: 7900", L"Material decides: 7900",
                                     L"mass set by hand", L"refused", L"written"));
    EXPECT_THAT(status(), HasSubstr(L"1 parts written, 2 keep the density of their material, 3 "
                                    L"with their mass set by hand, 4 computed with another "
                                    L"density, 5 refused."));
    EXPECT_EQ(column(kDensity)[0] + L" " + column(kMass)[0], L"7850,5 7,851");
    EXPECT_THAT(statuses, ElementsAre(cad::Status::Error));
    EXPECT_EQ(cad.count(L"extension.CreateMassProperty"), 15u + 10u + 1u + 1u);
    EXPECT_EQ(cad.count(L"massProperty.OverrideMass"), 9u);
}

struct Outcome {
    const char* name;
    Fake::Part part;
    std::int32_t unknownOverride;  // what the server answers for OverrideMass; 0: it knows it
    const wchar_t* result;
    cad::Status picture;
};

class Outcomes : public AssemblyWindowTest, public ::testing::WithParamInterface<Outcome> {};

TEST_P(Outcomes, OfOnePartNameItsCauseAndSetThePicture) {
    cad.parts[path(L"A")] = GetParam().part;
    cad.components = {{.path = path(L"A")}};
    cad.unknownOverride = GetParam().unknownOverride;
    listed();
    tickAll();
    click(form().cmdUebertragen);
    EXPECT_THAT(column(kResult), ElementsAre(GetParam().result));
    ASSERT_FALSE(statuses.empty());
    EXPECT_EQ(statuses.back(), GetParam().picture);
    EXPECT_TRUE(boxes.shown.empty());
}

constexpr auto kUnknownName = static_cast<std::int32_t>(0x80020006);
constexpr auto kMemberNotFound = static_cast<std::int32_t>(0x80020003);

// A server without the override does not know its name at the look-up, or the member at the
// call; either way the part has no override.
INSTANTIATE_TEST_SUITE_P(
    Cases, Outcomes,
    ::testing::Values(Outcome{"TheDensityTakesEffect", {}, 0, L"written", cad::Status::Success},
                      Outcome{"EveryPartKeepsItsMaterial", kSteel, 0, L"Material decides: 7900",
                              cad::Status::Error},
                      Outcome{"NoOverrideName", kSteel, kUnknownName, L"Material decides: 7900",
                              cad::Status::Error},
                      Outcome{"NoOverrideMember", kSteel, kMemberNotFound,
                              L"Material decides: 7900", cad::Status::Error},
                      Outcome{"TheMassIsSetByHand",
                              {.overriddenMass = 3.0},
                              0,
                              L"mass set by hand",
                              cad::Status::Error},
                      Outcome{"NoBody", {.hasBody = false}, 0, L"written", cad::Status::Success}),
    [](const auto& info) { return std::string(info.param.name); });

// A part that took the density counts as written when the mass call after the write fails;
// the failure box names the mass call, and the status line gives no mass it does not know.
TEST_F(AssemblyWindowTest, AFailedMassCallAfterAWriteStillCountsThePartAsWritten) {
    parts(L"Teil", 2);
    listed();
    cad.failures[L"massProperty.Mass"] = 5;
    click(form().cmdUebertragen);
    EXPECT_THAT(column(kResult), ElementsAre(L"written", L""));
    EXPECT_EQ(column(kDensity)[0] + L"|" + column(kMass)[0], L"7850,5|");
    EXPECT_THAT(status(), HasSubstr(L"Stopped after 1 of 2. 1 parts written"));
    EXPECT_THAT(status(), ::testing::Not(HasSubstr(L"Mass of the assembly")));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_THAT(boxes.shown[0].text, HasSubstr(L"\"Mass\" an das Teil \"Teil0.SLDPRT\""));
    EXPECT_EQ(cad.commandInProgress.back(), false);
    window.reset();
    application.reset();
    EXPECT_EQ(cad.liveObjects, 0);
}

// While a run works, "Dichte übertragen" waits and the ticks stay as they were at the click:
// the run writes exactly the rows the list shows ticked.
TEST_F(AssemblyWindowTest, TheTicksAndTheButtonsWaitWhileTheWindowWrites) {
    parts(L"Teil", 3);
    open();
    EXPECT_FALSE(form().cmdUebertragen.enabled());
    form().runWork();  // the components are counted
    EXPECT_TRUE(form().prgFortschritt.progressKnown());
    finish();
    form().lvwTeile.setRowChecked(1, false);
    form().click(form().cmdUebertragen);
    form().runWork();
    EXPECT_FALSE(form().cmdUebertragen.enabled() || form().cmdOhneMaterial.enabled());
    EXPECT_FALSE(form().lvwTeile.setRowChecked(1, true) || form().lvwTeile.setRowChecked(2, false));
    finish();
    EXPECT_THAT(ticks(), ElementsAre(true, false, true));
    EXPECT_THAT(column(kResult), ElementsAre(L"written", L"", L"written"));
    EXPECT_TRUE(form().lvwTeile.setRowChecked(1, true) && form().cmdUebertragen.enabled());
}

// --- Undo ---------------------------------------------------------------------------------------

// Undo writes back into each part the window changed the density it had when listed, whatever
// was written in between; a part that refused a write is left alone, one that refuses the
// undo stays to be undone.
TEST_F(AssemblyWindowTest, UndoReturnsEveryChangedPartToItsListedDensity) {
    parts(L"Teil", 3, {.volume = 0.002});
    parts(L"Gesperrt", 1, {.writable = false});
    cad.parts[path(L"Teil1")].density = 2700;
    listed();
    EXPECT_FALSE(form().cmdRueckgaengig.enabled());
    tickAll();
    click(form().cmdUebertragen);
    density = 1234;  // another material chosen: a second write in one opening
    click(form().cmdUebertragen);
    cad.parts[path(L"Teil2")].writable = false;
    form().click(form().cmdRueckgaengig);
    EXPECT_FALSE(form().cmdRueckgaengig.enabled());  // while it runs
    finish();
    EXPECT_EQ(cad.parts[path(L"Teil1")].density, 2700.0);
    EXPECT_THAT(column(kResult), ElementsAre(L"reset", L"reset", L"refused", L"refused"));
    EXPECT_THAT(column(kDensity), ElementsAre(L"1000", L"2700", L"1234", L"1000"));
    EXPECT_THAT(column(kMass), ElementsAre(L"2,000", L"5,400", L"2,468", L"1,000"));
    EXPECT_THAT(status(), HasSubstr(L"2 parts reset, 1 refused. Mass of the assembly: "
                                    L"8,404 kg \u2192 10,868 kg"));
    EXPECT_EQ(statuses.back(), cad::Status::Error);
    EXPECT_EQ(cad.count(L"part.SetUserPreferenceDoubleValue"), 4u + 4u + 3u);
    cad.parts[path(L"Teil2")].writable = true;
    click(form().cmdRueckgaengig);
    EXPECT_EQ(cad.parts[path(L"Teil2")].density, 1000.0);
    EXPECT_FALSE(form().cmdRueckgaengig.enabled());
    // Writing works again as before.
    click(form().cmdUebertragen);
    EXPECT_EQ(cad.parts[path(L"Teil0")].density, 1234.0);
}

// --- The list saved and copied -----------------------------------------------------------------

// The list as shown, in its order, with each part's path, and the assembly's title and mass;
// no call to SolidWorks.
TEST_F(AssemblyWindowTest, SavingWritesTheListAsShownWithPathsTitleAndMass) {
    parts(L"Zwei", 1, {.density = 2000});
    parts(L"Eins", 1);
    listed();
    form().lvwTeile.clickHeading(kPart);
    saving.chosen = L"C:\\Ablage\\Liste.csv";
    const std::size_t calls = cad.calls.size();
    form().click(form().cmdSpeichern);
    EXPECT_EQ(cad.calls.size(), calls);
    ASSERT_EQ(saving.requests.size(), 1u);
    EXPECT_EQ(saving.requests[0].suggestedName, L"Getriebe - Densities.csv");
    EXPECT_EQ(saving.written[*saving.chosen],
              "\xEF\xBB\xBF"
              "Teil;Anzahl;Konfiguration;Material;Dichte [kg/m\xC2\xB3];Masse rechnet mit "
              "[kg/m\xC2\xB3];Masse [kg];Ergebnis;Path\r\n"
              "Eins0.SLDPRT;1;Standard;;1000;1000;1,000;;C:\\P\\Eins0.SLDPRT\r\n"
              "Zwei0.SLDPRT;1;Standard;;2000;2000;2,000;;C:\\P\\Zwei0.SLDPRT\r\n"
              "Getriebe.SLDASM;Mass of the assembly: 3,000 kg\r\n");
    saving.failure = L"Zugriff verweigert";
    form().click(form().cmdSpeichern);
    saving.chosen.reset();  // cancelled: nothing is written, nothing is said
    form().click(form().cmdSpeichern);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              L"The list could not be saved as C:\\Ablage\\Liste.csv. Zugriff verweigert");
}

TEST_F(AssemblyWindowTest, CopyingPutsTheSelectedRowsOrAllOnTheClipboard) {
    parts(L"Teil", 3);
    listed();
    form().click(form().mnuKopieren);
    EXPECT_EQ(std::count(saving.clipboard.begin(), saving.clipboard.end(), L'\n'), 4);
    form().lvwTeile.setRowSelected(2, true);
    form().lvwTeile.setRowSelected(0, true);
    form().click(form().mnuKopieren);
    EXPECT_THAT(saving.clipboard,
                ::testing::EndsWith(L"Ergebnis\r\nTeil0.SLDPRT\t1\tStandard\t\t1000\t1000\t1,000"
                                    L"\t\r\nTeil2.SLDPRT\t1\tStandard\t\t1000\t1000\t1,000\t\r\n"));
    EXPECT_THAT(ticks(), ElementsAre(true, true, true));  // selecting leaves the ticks alone
    form().click(form().mnuAlleAuswaehlen);
    EXPECT_TRUE(form().lvwTeile.rowSelected(1));
    saving.failure = L"besetzt";
    form().click(form().mnuKopieren);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, L"The list could not be copied to the clipboard. besetzt");
}

// --- Cancel, closing, failures, sorting --------------------------------------------------------

TEST_F(AssemblyWindowTest, ACancelledListingLetsGoOfTheComponentsWhileTheWindowIsOpen) {
    parts(L"Teil", 3);
    open();
    form().runWork();  // the components are asked for
    form().runWork();  // the first one is read
    form().click(form().cmdSchliessen);
    EXPECT_EQ(unloads, 0);
    EXPECT_FALSE(form().runWork());
    EXPECT_THAT(column(kPart), ElementsAre(L"Teil0.SLDPRT"));
    EXPECT_THAT(status(), HasSubstr(L"Stopped after 1 of 3."));
    EXPECT_THAT(status(), HasSubstr(L"Mass of the assembly: 3,000 kg"));
    // The application, the assembly and the one part's document are held; nothing else.
    EXPECT_EQ(cad.liveObjects, 3);
    form().click(form().cmdUebertragen);
    EXPECT_EQ(form().cmdSchliessen.caption(), L"&Cancel");
    click(form().cmdSchliessen);
    EXPECT_EQ(cad.count(L"part.SetUserPreferenceDoubleValue"), 0u);
    EXPECT_EQ(form().cmdSchliessen.caption(), L"&Schließen");
    form().click(form().cmdSchliessen);
    EXPECT_EQ(unloads, 1);
}

TEST_F(AssemblyWindowTest, AWindowThatGoesWhileItWorksTellsSolidWorksTheRunEnded) {
    parts(L"Teil", 2);
    open();
    form().runWork();
    EXPECT_TRUE(form().working());
    window.reset();
    application.reset();
    EXPECT_THAT(cad.commandInProgress, ElementsAre(true, false));
    EXPECT_EQ(cad.liveObjects, 0);
}

TEST_F(AssemblyWindowTest, SuppressedErrorsShowNoBoxOnlyTheErrorPicture) {
    parts(L"Teil", 1);
    suppressed = true;
    cad.failures[L"component.GetModelDoc2"] = 5;
    listed();
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_THAT(statuses, ElementsAre(cad::Status::Error));
}

TEST_F(AssemblyWindowTest, AHeadingSortsByItsColumnNumbersByValueAndASecondClickReverses) {
    parts(L"Zehn", 1, kSteel);
    parts(L"Zwei", 1, {.volume = 0.01});
    for (int i = 0; i < 9; ++i) cad.components.push_back({.path = path(L"Zehn0")});
    cad.components.push_back({.path = path(L"Zwei0")});
    parts(L"Leicht", 1);
    cad.components.back().state = State::Lightweight;
    listed();
    const auto sorted = [this](Column by) {
        form().lvwTeile.clickHeading(by);
        return column(kPart);
    };
    EXPECT_THAT(sorted(kInstances),
                ElementsAre(L"Leicht0.SLDPRT", L"Zwei0.SLDPRT", L"Zehn0.SLDPRT"));
    EXPECT_THAT(sorted(kInstances),
                ElementsAre(L"Zehn0.SLDPRT", L"Zwei0.SLDPRT", L"Leicht0.SLDPRT"));
    // A part without a number in the column comes last either way.
    EXPECT_THAT(sorted(kMass), ElementsAre(L"Zehn0.SLDPRT", L"Zwei0.SLDPRT", L"Leicht0.SLDPRT"));
    EXPECT_THAT(sorted(kMass), ElementsAre(L"Zwei0.SLDPRT", L"Zehn0.SLDPRT", L"Leicht0.SLDPRT"));
    EXPECT_THAT(sorted(kPart), ElementsAre(L"Leicht0.SLDPRT", L"Zehn0.SLDPRT", L"Zwei0.SLDPRT"));
    EXPECT_THAT(ticks(), ElementsAre(false, false, true));  // the ticks go with their rows
}

}  // namespace
}  // namespace velu::assembly

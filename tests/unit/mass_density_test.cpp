// After a part's density was written or read, the program asks SolidWorks what the part's
// mass is computed with and warns when that is another density.

#include <gmock/gmock.h>

#include "built_in_texts.h"
#include "cad/mass_density.h"
#include "config/message_table.h"
#include "main_window_fixture.h"

namespace velu::app {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Document = testing::FakeCad::Document;

const std::wstring kTitle = testing::builtIn(config::kBoxTitle);
const std::wstring kWithMaterial =
    L"The part's material AISI 304 sets its density to 8000 kg/m\u00b3; the density written "
    L"applies only to parts without a material.";
const std::wstring kWithoutMaterial =
    L"SolidWorks computes this part's mass with 1000,5 kg/m\u00b3, not with the density written.";
const std::wstring kOverridden = testing::builtIn(config::kMassOverridden);

// What the user does: a transfer in one of the three modes, or a readout from the part or
// from the system default.
enum class Click { Mode0, Mode1, Mode2, ReadPart, ReadSystem };

const char* nameOf(Click click) {
    switch (click) {
        case Click::Mode0:
            return "Mode0";
        case Click::Mode1:
            return "Mode1";
        case Click::Mode2:
            return "Mode2";
        case Click::ReadPart:
            return "ReadPart";
        case Click::ReadSystem:
            return "ReadSystem";
    }
    return "";
}

class MassCheck : public testing::MainWindowFixture {
  protected:
    void SetUp() override {
        start();  // "Stahl", 7850 kg/m³, is selected
        cad.documentDensity = 7850;
    }
    void perform(Click click) {
        boxes.shown.clear();
        cad.calls.clear();
        const bool transfer =
            click == Click::Mode0 || click == Click::Mode1 || click == Click::Mode2;
        if (transfer) {
            form().cmbAnwendenAuf.setListIndex(static_cast<int>(click));
            form().chkSWXSystemStandard.setValue(0);
            boxes.shown.clear();
            cad.calls.clear();
            this->click(form().cmdSetDensity);
        } else {
            // The check box's own click reads as well; the readout under test is the button's.
            form().chkSWXSystemStandard.setValue(click == Click::ReadSystem ? 1 : 0);
            boxes.shown.clear();
            cad.calls.clear();
            this->click(form().cmdGetDensity);
        }
    }
    // The prompts of the boxes titled with message entry 0 and shown with the warning icon.
    std::vector<std::wstring> massWarnings() {
        std::vector<std::wstring> prompts;
        for (const auto& box : boxes.shown) {
            if (box.style == BoxStyle::Warning && box.title == kTitle) prompts.push_back(box.text);
        }
        return prompts;
    }
    bool asked(const wchar_t* call = L"doc.GetMaterialPropertyName2") {
        for (const auto& member : cad.members()) {
            if (member == call) return true;
        }
        return false;
    }
    void assignMaterial(double density) {
        cad.material = testing::FakeCad::Material{L"AISI 304", L"SOLIDWORKS Materials", density};
    }
};

// --- The decision table ---------------------------------------------------------------------

struct Row {
    Click click;
    bool material;    // a material of the library is assigned to the part
    bool differs;     // the density the mass is computed with differs from the written or read
    bool suppressed;  // "Fehlermeldungen unterdrücken" is ticked
    bool overridden = false;  // the part's mass is set by hand
};

class MassCheckTable : public MassCheck, public ::testing::WithParamInterface<Row> {};

TEST_P(MassCheckTable, WarnsOnlyAfterAPartWhenTheMassIsComputedWithAnotherDensity) {
    const Row& row = GetParam();
    if (row.material) {
        assignMaterial(row.differs ? 8000 : 7850);
    } else if (row.differs) {
        cad.answers[L"massProperty.Density"] = 1000.5;
    }
    if (row.overridden) cad.answers[L"massProperty.OverrideMass"] = true;
    if (row.suppressed) click(form().mnuShowErrors);
    perform(row.click);

    const bool onAPart = row.click != Click::Mode0 && row.click != Click::ReadSystem;
    // Not asked at all when the warning would not be shown; the override only when the
    // density differs.
    EXPECT_EQ(asked(), onAPart && !row.suppressed);
    EXPECT_EQ(asked(L"massProperty.OverrideMass"), onAPart && !row.suppressed && row.differs);
    std::vector<std::wstring> expected;
    if (onAPart && row.differs && !row.suppressed) {
        expected.push_back(row.overridden ? kOverridden
                           : row.material ? kWithMaterial
                                          : kWithoutMaterial);
    }
    EXPECT_EQ(massWarnings(), expected);
    // The warning comes after the success box and does not change the picture.
    if (row.click == Click::Mode1 || row.click == Click::Mode2) {
        ASSERT_FALSE(boxes.shown.empty());
        EXPECT_EQ(boxes.shown[0].text, testing::builtIn(config::kSuccess));
        EXPECT_EQ(form().imgVis.picture(), forms::Picture::Success);
    }
    EXPECT_EQ(cad.liveObjects, 0);
}

std::vector<Row> everyRow() {
    std::vector<Row> rows;
    for (Click click :
         {Click::Mode0, Click::Mode1, Click::Mode2, Click::ReadPart, Click::ReadSystem}) {
        for (bool material : {false, true}) {
            for (bool differs : {false, true}) {
                for (bool suppressed : {false, true}) {
                    rows.push_back({click, material, differs, suppressed});
                    rows.push_back({click, material, differs, suppressed, true});
                }
            }
        }
    }
    return rows;
}

INSTANTIATE_TEST_SUITE_P(EveryRow, MassCheckTable, ::testing::ValuesIn(everyRow()),
                         [](const auto& info) {
                             const Row& row = info.param;
                             return std::string(nameOf(row.click)) +
                                    (row.material ? "_Material" : "_NoMaterial") +
                                    (row.differs ? "_Differs" : "_Equal") +
                                    (row.suppressed ? "_Suppressed" : "") +
                                    (row.overridden ? "_Overridden" : "");
                         });

// --- What goes wrong on the way ----------------------------------------------------------------

struct Fault {
    const char* name;
    const wchar_t* member;  // "object.member" as the fake knows it
    bool answer;            // true: the member answers with a text instead of failing
    bool stillWarns;        // the check goes on (the configuration's name is only a help)
};

class MassCheckFaults : public MassCheck,
                        public ::testing::WithParamInterface<std::tuple<Fault, Click>> {};

TEST_P(MassCheckFaults, AFailureOnTheWayShowsNoBoxAndChangesNothingElse) {
    const auto& [fault, click] = GetParam();
    assignMaterial(8000);
    if (fault.answer) {
        cad.answers[fault.member] = cad::Variant(std::wstring(L"kein Wert"));
    } else {
        cad.failures[fault.member] = static_cast<std::int32_t>(0x80004005);
    }
    perform(click);
    EXPECT_EQ(massWarnings(),
              fault.stillWarns ? std::vector{kWithMaterial} : std::vector<std::wstring>{});
    for (const auto& box : boxes.shown) EXPECT_NE(box.style, BoxStyle::Stop) << fault.name;
    if (click == Click::ReadPart) {
        EXPECT_EQ(form().lblDensity.caption(), L"7850");
    } else {
        EXPECT_EQ(form().imgVis.picture(), forms::Picture::Success);
        EXPECT_EQ(boxes.shown.front().text, testing::builtIn(config::kSuccess));
    }
    EXPECT_EQ(cad.liveObjects, 0);
    EXPECT_EQ(cad.releases.back(), L"app");
}

INSTANTIATE_TEST_SUITE_P(
    EachCall, MassCheckFaults,
    ::testing::Combine(
        ::testing::Values(Fault{"ConfigurationFails", L"doc.GetActiveConfiguration", false, true},
                          Fault{"NameFails", L"config.Name", false, true},
                          Fault{"ConfigurationIsText", L"doc.GetActiveConfiguration", true, true},
                          Fault{"MaterialFails", L"doc.GetMaterialPropertyName2", false, false},
                          Fault{"ExtensionFails", L"doc.Extension", false, false},
                          Fault{"ExtensionIsText", L"doc.Extension", true, false},
                          Fault{"MassPropertyFails", L"extension.CreateMassProperty", false, false},
                          Fault{"MassPropertyIsText", L"extension.CreateMassProperty", true, false},
                          Fault{"DensityFails", L"massProperty.Density", false, false},
                          Fault{"DensityIsText", L"massProperty.Density", true, false},
                          Fault{"OverrideFails", L"massProperty.OverrideMass", false, true},
                          Fault{"OverrideIsText", L"massProperty.OverrideMass", true, true}),
        ::testing::Values(Click::Mode1, Click::Mode2, Click::ReadPart)),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) + "_" + nameOf(std::get<1>(info.param));
    });

// A density that is no number, or a material that is no text, is no answer to warn about: not a
// warning about a density of 0 or -1, nor one about a part without material.
TEST_F(MassCheck, AnAnswerThatCannotBeUsedGivesNoWarning) {
    assignMaterial(8000);
    const std::pair<const wchar_t*, cad::Variant> answers[] = {
        {L"massProperty.Density", cad::Variant()},
        {L"massProperty.Density", cad::Variant(true)},
        {L"massProperty.Density", cad::Variant(std::wstring(L"schwer"))},
        {L"doc.GetMaterialPropertyName2", cad::Variant()},
        {L"doc.GetMaterialPropertyName2", cad::Variant(std::int32_t{0})},
    };
    for (const auto& [member, answer] : answers) {
        cad.answers = {{member, answer}};
        boxes.shown.clear();
        perform(Click::Mode1);
        EXPECT_THAT(massWarnings(), IsEmpty()) << text::toUtf8(member);
    }
    cad.answers.clear();
    perform(Click::Mode1);
    EXPECT_THAT(massWarnings(), ::testing::SizeIs(1));  // the same part, answered as it should
}

TEST_F(MassCheck, APartWithoutABodyHasNoMassAndGivesNoWarning) {
    assignMaterial(8000);
    cad.hasBody = false;
    perform(Click::Mode1);
    EXPECT_THAT(massWarnings(), IsEmpty());
    EXPECT_THAT(cad.members(), Contains(L"extension.CreateMassProperty"));
    EXPECT_THAT(cad.members(), ::testing::Not(Contains(L"massProperty.Density")));
}

TEST_F(MassCheck, TheMaterialIsAskedForTheActiveConfigurationWithTheDatabaseByReference) {
    assignMaterial(8000);
    cad.configurationName = L"Leicht";
    perform(Click::Mode1);
    for (const auto& call : cad.calls) {
        if (call.member == L"GetMaterialPropertyName2") {
            EXPECT_THAT(call.arguments, ElementsAre(L"BSTR:Leicht", L"BSTR&:"));
        }
    }
    cad.failures[L"config.Name"] = 5;
    perform(Click::Mode1);
    for (const auto& call : cad.calls) {
        if (call.member == L"GetMaterialPropertyName2") {
            EXPECT_THAT(call.arguments, ElementsAre(L"BSTR:", L"BSTR&:"));
        }
    }
}

TEST_F(MassCheck, EveryObjectIsLetGoBeforeTheDocumentAndTheDocumentBeforeTheApplication) {
    assignMaterial(8000);
    perform(Click::Mode2);
    // The readout's document and application (it runs inside the transfer, before the
    // check), then the objects of the check, then the transfer's own.
    EXPECT_THAT(cad.releases, ElementsAre(L"doc", L"app", L"config", L"extension", L"massProperty",
                                          L"doc", L"app"));
}

TEST_F(MassCheck, AWriteThatIsRefusedOrAPartThatIsNotThereIsNotChecked) {
    assignMaterial(8000);
    cad.documentWriteResult = false;
    perform(Click::Mode1);
    EXPECT_FALSE(asked());
    perform(Click::Mode2);  // the system default is written, the part refused
    EXPECT_FALSE(asked());
    cad.documentWriteResult = true;
    cad.activeDocument = Document::Assembly;
    perform(Click::Mode2);
    EXPECT_FALSE(asked());
}

TEST_F(MassCheck, TheDensityIsShownInTheUsersNumberFormat) {
    assignMaterial(7850.25);
    locale.separator = L'.';
    perform(Click::ReadPart);
    ASSERT_EQ(massWarnings().size(), 1u);
    EXPECT_THAT(massWarnings()[0], ::testing::HasSubstr(L" 7850.25 kg/m"));
}

TEST_F(MassCheck, TheWarningsComeFromTheMessageTableWithTheirValuesFilledIn) {
    files.writeBeside(L"default.ini",
                      "[messages]\r\nAnzahlInfo=8\r\nInfo0=Titel\r\nInfo7=%2 durch %1 (%1)\r\n"
                      "Info8=ohne Platzhalter\r\n");
    start();
    cad.documentDensity = 7850;
    cad.material = testing::FakeCad::Material{L"Stahl %2", L"db", 8000};
    perform(Click::Mode1);
    std::vector<std::wstring> warnings;
    for (const auto& box : boxes.shown) {
        if (box.style == BoxStyle::Warning) warnings.push_back(box.title + L": " + box.text);
    }
    EXPECT_THAT(warnings, ElementsAre(L"Titel: 8000 durch Stahl %2 (Stahl %2)"));

    cad.material.reset();
    cad.answers[L"massProperty.Density"] = 2.5;
    perform(Click::Mode1);
    EXPECT_EQ(boxes.shown.back().text, L"ohne Platzhalter");
}

TEST(MessageTexts, FillInReplacesThePlaceholdersLiterallyInOnePass) {
    EXPECT_EQ(config::fillIn(L"%1 und %2", {L"a", L"b"}), L"a und b");
    EXPECT_EQ(config::fillIn(L"%2%1%2", {L"%2", L"x"}), L"x%2x");
    EXPECT_EQ(config::fillIn(L"100 %, %3 bleibt", {L"a"}), L"100 %, %3 bleibt");
    EXPECT_EQ(config::fillIn(L"ohne", {L"a", L"b"}), L"ohne");
    EXPECT_EQ(config::fillIn(L"%", {L"a"}), L"%");
}

TEST(Densities, DifferByMoreThanARelativeBillionth) {
    EXPECT_FALSE(cad::densitiesDiffer(7850, 7850));
    EXPECT_FALSE(cad::densitiesDiffer(7850, 7850 * (1 + 0.5e-9)));
    EXPECT_TRUE(cad::densitiesDiffer(7850, 7850 * (1 + 2e-9)));
    EXPECT_TRUE(cad::densitiesDiffer(7850 * (1 + 2e-9), 7850));
    EXPECT_FALSE(cad::densitiesDiffer(0, 0));
    EXPECT_TRUE(cad::densitiesDiffer(0, 1e-300));
    EXPECT_TRUE(cad::densitiesDiffer(-7850, 7850));
}

}  // namespace
}  // namespace velu::app

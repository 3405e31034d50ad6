// Tests of the CAD stand-in: the scenario and log text, and cadsim.exe itself, driven the way
// the program drives the CAD program: plain IDispatch late binding across processes.
//
// The end-to-end tests register a ProgID of their own (pointing at a temporary state file and
// log), start the server through COM, and unregister it at the end.

#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "cadsim_state.h"
#include "registration.h"
#include "stand_in.h"
#include "support/text.h"
#include "testing/files.h"
#include "testing/messages.h"
#include "win32/support/com_apartment.h"
#include "win32/support/com_object.h"
#include "win32/support/com_values.h"
#include "win32/support/handles.h"
#include "win32/support/user.h"

namespace cadsim {
namespace {

using velu::text::toUtf8;
using velu::win32::ComPtr;
using velu::win32::UniqueBstr;
using velu::win32::UniqueVariant;

// ---------------------------------------------------------------------------------------------
// The state file

TEST(StateText, MissingKeysKeepTheirDefaults) {
    std::vector<std::string> problems;
    const State state = parse("[cadsim]\nActiveDoc=drawing\n", &problems);
    EXPECT_TRUE(problems.empty());
    State expected;
    expected.activeDoc = DocKind::Drawing;
    EXPECT_EQ(state, expected);
    EXPECT_EQ(expected.activeDoc, DocKind::Drawing);
    EXPECT_EQ(State{}.systemDensity, 1000.0);
    EXPECT_EQ(State{}.activeDoc, DocKind::Part);
}

TEST(StateText, ReadsEveryKeyWithCommentsCrlfAndBom) {
    const std::string text =
        "\xEF\xBB\xBF; scenario\r\n"
        "[cadsim]\r\n"
        "ActiveDoc = Assembly   ; none | part | assembly | drawing\r\n"
        "SystemDensity=1000.5\r\n"
        "DocumentDensity=7850\r\n"
        "SystemWriteResult=0\r\n"
        "DocumentWriteResult=true\r\n"
        "Fail.Visible=0x80004005\r\n"
        "Fail.ActiveDoc=-2147467259\r\n"
        "Fail.GetType=2147500037\r\n"
        "fail.app.setuserpreferencedoublevalue=0x8001010A\r\n"
        "Fail.App.GetUserPreferenceDoubleValue=0x80020009\r\n"
        "Fail.Doc.SetUserPreferenceDoubleValue=0X80070005\r\n"
        "Fail.Doc.GetUserPreferenceDoubleValue=0\r\n"
        "RetryLater=3\r\n"
        "CreateDelayMs=2500\r\n"
        "DieInMember=Doc.GetType\r\n";
    std::vector<std::string> problems;
    const State s = parse(text, &problems);
    EXPECT_TRUE(problems.empty()) << problems.front();
    EXPECT_EQ(s.activeDoc, DocKind::Assembly);
    EXPECT_EQ(s.systemDensity, 1000.5);
    EXPECT_EQ(s.documentDensity, 7850.0);
    EXPECT_FALSE(s.systemWriteResult);
    EXPECT_TRUE(s.documentWriteResult);
    EXPECT_EQ(s.failureFor("app", "Visible"), static_cast<std::int32_t>(0x80004005u));
    EXPECT_EQ(s.failureFor("app", "ActiveDoc"), static_cast<std::int32_t>(0x80004005u));
    EXPECT_EQ(s.failureFor("doc", "GetType"), static_cast<std::int32_t>(0x80004005u));
    EXPECT_EQ(s.failureFor("app", "SetUserPreferenceDoubleValue"),
              static_cast<std::int32_t>(0x8001010Au));
    EXPECT_EQ(s.failureFor("app", "GetUserPreferenceDoubleValue"),
              static_cast<std::int32_t>(0x80020009u));
    EXPECT_EQ(s.failureFor("doc", "SetUserPreferenceDoubleValue"),
              static_cast<std::int32_t>(0x80070005u));
    EXPECT_EQ(s.failureFor("doc", "GetUserPreferenceDoubleValue"), 0);
    EXPECT_EQ(s.retryLater, 3u);
    EXPECT_EQ(s.createDelayMs, 2500u);
    EXPECT_EQ(s.dieInMember, "Doc.GetType");
}

TEST(StateText, ReportsBadValuesUnknownKeysAndKeepsDefaults) {
    std::vector<std::string> problems;
    const State s = parse(
        "[other]\nSystemDensity=5\n[cadsim]\nSystemDensity=1,5\nActiveDoc=sketch\nRetryLater=-1\n"
        "Fail.GetType=0xZZ\nNoSuchKey=1\njust text\nDocumentDensity=nan\n",
        &problems);
    EXPECT_EQ(s, State{});
    ASSERT_EQ(problems.size(), 7u);
    EXPECT_NE(problems[0].find("line 4"), std::string::npos);
    EXPECT_NE(problems[0].find("SystemDensity"), std::string::npos);
    EXPECT_NE(problems[4].find("NoSuchKey"), std::string::npos);
}

TEST(StateText, RoundTripsExactly) {
    State s;
    s.activeDoc = DocKind::None;
    s.systemDensity = 0.1;
    s.documentDensity = 7850.000000000001;
    s.systemWriteResult = false;
    s.fail.set("Visible", static_cast<std::int32_t>(0x80010108u));
    s.fail.set("Doc.GetUserPreferenceDoubleValue", 5);
    s.retryLater = 2;
    s.createDelayMs = 40;
    s.dieInMember = "App.Visible";
    s.textAnswer = "Doc.GetType";
    std::vector<std::string> problems;
    const State back = parse(toText(s), &problems);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(back, s);
    EXPECT_NE(toText(s).find("SystemDensity=0.10000000000000001\n"), std::string::npos);
    // Written with the object, whichever form it was read in.
    EXPECT_NE(toText(s).find("Fail.App.Visible=0x80010108\n"), std::string::npos);
    EXPECT_NE(toText(s).find("DocumentDensity=7850.0000000000009\n"), std::string::npos);

    for (double d : {1000.0, 7850.0, 1e-300, 2.5e300, -0.0, 123456.78901234567}) {
        s.systemDensity = d;
        EXPECT_EQ(parse(toText(s)).systemDensity, d) << formatDouble(d);
    }
}

TEST(StateText, DoublesUseADecimalPointInAnyLocale) {
    const char* german = std::setlocale(LC_ALL, "German_Germany.1252");
    if (german == nullptr) german = std::setlocale(LC_ALL, "de-DE");
    if (german == nullptr) GTEST_SKIP() << "no German locale to switch to";
    State s;
    s.systemDensity = 2.5;
    const std::string text = toText(s);
    const State back = parse("[cadsim]\nDocumentDensity=7.25\n");
    std::setlocale(LC_ALL, "C");
    EXPECT_NE(text.find("SystemDensity=2.5\n"), std::string::npos);
    EXPECT_EQ(back.documentDensity, 7.25);
}

TEST(StateText, FailuresAndDieInMemberAreLookedUpByObjectAndMember) {
    State s;
    s.fail.set("Visible", 1);
    s.fail.set("ActiveDoc", 2);
    s.fail.set("GetType", 3);
    s.fail.set("App.SetUserPreferenceDoubleValue", 4);
    s.fail.set("App.GetUserPreferenceDoubleValue", 5);
    s.fail.set("Doc.SetUserPreferenceDoubleValue", 6);
    s.fail.set("Doc.GetUserPreferenceDoubleValue", 7);
    EXPECT_EQ(s.failureFor("app", "Visible"), 1);
    EXPECT_EQ(s.failureFor("app", "activedoc"), 2);
    EXPECT_EQ(s.failureFor("doc", "GetType"), 3);
    EXPECT_EQ(s.failureFor("app", "GetType"), 0);
    EXPECT_EQ(s.failureFor("app", "SetUserPreferenceDoubleValue"), 4);
    EXPECT_EQ(s.failureFor("app", "GetUserPreferenceDoubleValue"), 5);
    EXPECT_EQ(s.failureFor("doc", "SetUserPreferenceDoubleValue"), 6);
    EXPECT_EQ(s.failureFor("doc", "GetUserPreferenceDoubleValue"), 7);
    EXPECT_EQ(s.failureFor("doc", "Visible"), 0);

    s.dieInMember = "GetUserPreferenceDoubleValue";
    EXPECT_TRUE(s.diesIn("app", "GetUserPreferenceDoubleValue"));
    EXPECT_TRUE(s.diesIn("doc", "getuserpreferencedoublevalue"));
    EXPECT_FALSE(s.diesIn("doc", "SetUserPreferenceDoubleValue"));
    s.dieInMember = "Doc.GetUserPreferenceDoubleValue";
    EXPECT_FALSE(s.diesIn("app", "GetUserPreferenceDoubleValue"));
    EXPECT_TRUE(s.diesIn("doc", "GetUserPreferenceDoubleValue"));
    s.dieInMember.clear();
    EXPECT_FALSE(s.diesIn("app", "Visible"));

    s.textAnswer = "Doc.GetType";
    EXPECT_TRUE(s.answersWithText("doc", "gettype"));
    EXPECT_FALSE(s.answersWithText("app", "GetType"));
}

// Parses a text of good lines only.
State parseWithoutProblems(std::string_view text) {
    std::vector<std::string> problems;
    State state = parse(text, &problems);
    EXPECT_EQ(problems, std::vector<std::string>{});
    return state;
}

// Parses a text of nothing but bad lines: the state keeps its defaults (unless its sections
// add parts or components), and the problems found, one a line, mention what is expected of
// each.
void expectOnlyProblems(std::string_view text, const std::vector<std::string>& mentions,
                        bool keepsDefaults = true) {
    std::vector<std::string> problems;
    const State state = parse(text, &problems);
    if (keepsDefaults) {
        EXPECT_EQ(state, State{});
    }
    ASSERT_EQ(problems.size(), mentions.size());
    for (std::size_t i = 0; i < mentions.size(); ++i) {
        EXPECT_NE(problems[i].find(mentions[i]), std::string::npos) << problems[i];
    }
}

TEST(StateText, ThePartHasOneConfigurationNoMaterialAndOneBodyByDefault) {
    const State s;
    EXPECT_EQ(s.configuration, "Standard");
    EXPECT_EQ(s.material, "");
    EXPECT_EQ(s.materialDatabase, "SOLIDWORKS Materials");
    EXPECT_EQ(s.materialDensity, 1000.0);
    EXPECT_EQ(s.volume, 0.001);
    EXPECT_EQ(s.bodies, 1u);
    for (std::size_t i = 0; i < kMembers.size(); ++i) EXPECT_EQ(s.fail.at(i), 0) << i;
}

TEST(StateText, ReadsThePartsConfigurationMaterialVolumeAndBodies) {
    const State s = parseWithoutProblems(
        "[cadsim]\n"
        "configuration = Leicht\n"
        "Material=Edelstahl 1.4301 \xE2\x80\x93 geb\xC3\xBCrstet   \n"
        "MaterialDatabase=custom materials\n"
        "MaterialDensity=7900.25\n"
        "Volume=2.5e-4\n"
        "Bodies=0\n");
    EXPECT_EQ(s.configuration, "Leicht");
    EXPECT_EQ(s.material, "Edelstahl 1.4301 \xE2\x80\x93 geb\xC3\xBCrstet");
    EXPECT_EQ(s.materialDatabase, "custom materials");
    EXPECT_EQ(s.materialDensity, 7900.25);
    EXPECT_EQ(s.volume, 2.5e-4);
    EXPECT_EQ(s.bodies, 0u);

    expectOnlyProblems("[cadsim]\nMaterialDensity=8000 kg\nVolume=\nBodies=one\n",
                       {"MaterialDensity", "Volume", "Bodies"});
}

TEST(StateText, FailuresAreNamedByObjectAndMemberOrByTheMemberAlone) {
    const State s = parseWithoutProblems(
        "[cadsim]\n"
        "Fail.Doc.GetMaterialPropertyName2=0x80004005\n"
        "fail.massproperty.DENSITY=5\n"
        "Fail.Config.Name=\n"
        "Fail.Extension.CreateMassProperty=0x80020009\n"
        "Fail.SetUserPreferenceDoubleValue=7\n"  // on every object that has it
        "Fail.Volume=-1\n");
    EXPECT_EQ(s.failureFor("Doc", "GetMaterialPropertyName2"),
              static_cast<std::int32_t>(0x80004005u));
    EXPECT_EQ(s.failureFor("massProperty", "Density"), 5);
    EXPECT_EQ(s.failureFor("Config", "Name"), 0);
    EXPECT_EQ(s.failureFor("extension", "CreateMassProperty"),
              static_cast<std::int32_t>(0x80020009u));
    EXPECT_EQ(s.failureFor("app", "SetUserPreferenceDoubleValue"), 7);
    EXPECT_EQ(s.failureFor("doc", "SetUserPreferenceDoubleValue"), 7);
    EXPECT_EQ(s.failureFor("MassProperty", "Volume"), -1);
    EXPECT_EQ(s.failureFor("MassProperty", "Mass"), 0);

    expectOnlyProblems(
        "[cadsim]\nFail.App.GetType=1\nFail.Nothing=1\nFail.=1\nFail.Config.Density=1\n"
        "Fail.Extension.CreateMassProperty=zz\n",
        {"unknown key \"Fail.App.GetType\"", "unknown key \"Fail.Nothing\"",
         "unknown key \"Fail.\"", "unknown key \"Fail.Config.Density\"", "bad value \"zz\""});
}

TEST(StateText, ThePartAndEveryFailureRoundTrip) {
    State s;
    s.configuration = "Leicht";
    s.material = "AISI 304";
    s.materialDatabase = "SOLIDWORKS Materials";
    s.materialDensity = 7999.999999999999;
    s.volume = 1.0 / 3.0;
    s.bodies = 3;
    for (std::size_t i = 0; i < kMembers.size(); ++i) {
        const std::string name =
            std::string(objectName(kMembers[i].object)) + "." + std::string(kMembers[i].name);
        ASSERT_EQ(s.fail.set(name, static_cast<std::int32_t>(0x80040100u + i)), 1u) << name;
    }
    std::vector<std::string> problems;
    const std::string text = toText(s);
    EXPECT_EQ(parse(text, &problems), s);
    EXPECT_TRUE(problems.empty());
    EXPECT_NE(text.find("\nMaterial=AISI 304\n"), std::string::npos);
    EXPECT_NE(text.find("\nFail.Doc.GetMaterialPropertyName2=0x80040108\n"), std::string::npos);
    EXPECT_NE(text.find("\nFail.MassProperty.Volume=0x8004010E\n"), std::string::npos);
    // Every member's failure is written once.
    std::size_t failures = 0;
    for (auto at = text.find("\nFail."); at != std::string::npos; at = text.find("\nFail.", at + 1))
        ++failures;
    EXPECT_EQ(failures, kMembers.size());
}

TEST(StateText, TheMassIsTheMaterialsOrElseTheDocumentsDensityTimesTheVolume) {
    State s;
    s.documentDensity = 2700;
    s.volume = 0.002;
    EXPECT_EQ(s.massDensity(), 2700.0);
    EXPECT_EQ(s.mass(), 2700.0 * 0.002);
    s.material = "AISI 304";
    s.materialDensity = 8000;
    EXPECT_EQ(s.massDensity(), 8000.0);
    EXPECT_EQ(s.mass(), 16.0);
}

TEST(StateText, TheWindowShowsTheMaterialAndTheMassOrThatThereIsNone) {
    State s;
    s.documentDensity = 7850;
    auto lines = describeScenario(s);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "Active document: part, configuration Standard");
    EXPECT_EQ(lines[2], "Document density: 7850 kg/m\xC2\xB3");
    EXPECT_EQ(lines[3], "Material: none");
    EXPECT_EQ(lines[4], "Mass: 7.85 kg = 7850 kg/m\xC2\xB3 \xC3\x97 0.001 m\xC2\xB3");

    s.material = "AISI 304";
    s.materialDensity = 8000.5;
    s.volume = 0.002;
    lines = describeScenario(s);
    EXPECT_EQ(lines[3], "Material: AISI 304 (SOLIDWORKS Materials), 8000.5 kg/m\xC2\xB3");
    EXPECT_EQ(lines[4], "Mass: 16.001 kg = 8000.5 kg/m\xC2\xB3 \xC3\x97 0.002 m\xC2\xB3");

    s.bodies = 0;
    EXPECT_EQ(describeScenario(s)[4], "Mass: none, the part has no body");
}

// ---------------------------------------------------------------------------------------------
// The assembly

// Two sub-assemblies, one of them suppressed; a part used twice in two configurations, a
// read-only one, one whose write fails, a virtual one.
Assembly sampleAssembly() {
    Assembly a;
    AssemblyPart welle{"C:\\Konstruktion\\Welle.SLDPRT"};
    welle.configurations = {{"Standard", "AISI 304", "SOLIDWORKS Materials", 8000}, {"Leicht"}};
    welle.density = 7850;
    welle.volume = 0.002;
    AssemblyPart lager{"C:\\Konstruktion\\Lager.SLDPRT", "Lager", {{"Standard"}}};
    lager.readOnly = true;
    AssemblyPart deckel{"C:\\Konstruktion\\Deckel.SLDPRT", "", {{"Standard"}}};
    deckel.failWrite = static_cast<std::int32_t>(0x80004005u);
    AssemblyPart blech{"C:\\Temp\\swx4711\\Blech^Baugruppe1.SLDPRT", "", {{"Standard"}}};
    blech.isVirtual = true;
    blech.bodies = 0;
    a.parts = {welle, lager, deckel, blech};
    a.subAssemblies = {"C:\\Konstruktion\\Getriebe.SLDASM", "C:\\Konstruktion\\Halter.SLDASM"};
    a.components = {
        {"Getriebe-1", a.subAssemblies[0]},
        {"Welle-1", welle.path, "Standard", Suppression::Resolved, 0},
        {"Welle-2", welle.path, "Leicht", Suppression::Lightweight, 0},
        {"Lager-1", lager.path, "Standard", Suppression::Resolved, 0},
        {"Halter-1", a.subAssemblies[1], "Standard", Suppression::Suppressed},
        {"Deckel-1", deckel.path, "Standard", Suppression::Resolved, 4},  // in the suppressed one
        {"Deckel-1", deckel.path},
        {"Blech^Baugruppe1-1", blech.path},
    };
    return a;
}

TEST(AssemblyText, TheAssemblyAndEveryNewKeyRoundTrip) {
    State s;
    s.activeDoc = DocKind::Assembly;
    s.assembly = sampleAssembly();
    s.assembly.title = "Getriebe komplett.SLDASM";
    s.assembly.componentsAsVariants = true;
    s.generate = {50, 10, 2};
    s.writtenDensities = {{"C:\\a=b.SLDPRT", 2700.5}, {"C:\\Konstruktion\\Teil0001.SLDPRT", 1e-3}};
    s.commandInProgress = true;
    s.callDelayMs = 250;
    s.massOverride = 3.5;
    s.assembly.mismatchedComponents = true;
    s.assembly.parts[1].massOverride = 12.5;
    s.assembly.parts[2].failMember = "Mass";
    ASSERT_EQ(s.fail.set("Component.Name2", 3), 1u);
    ASSERT_EQ(s.fail.set("PartDoc.GetType", 4), 1u);
    std::vector<std::string> problems;
    const std::string text = toText(s);
    EXPECT_EQ(parse(text, &problems), s);
    EXPECT_EQ(problems, std::vector<std::string>{});
    for (const char* line :
         {"\n[part C:\\Konstruktion\\Welle.SLDPRT]\nTitle=\nDensity=7850\n", "\nReadOnly=1\n",
          "\nConfiguration=Leicht\nMaterial=\n", "\nFailWrite=0x80004005\n",
          "\n[component Welle-2]\nDocument=C:\\Konstruktion\\Welle.SLDPRT\nConfiguration=Leicht\n"
          "Suppression=lightweight\nParent=0\n",
          "\n[subassembly C:\\Konstruktion\\Halter.SLDASM]\n", "\nGenerate=50,10,2\n",
          "\nFail.Component.Name2=0x00000003\n", "\n[densities]\nC:\\a=b.SLDPRT=2700.5\n",
          "\nMassOverride=3.5\n", "\nMassOverride=12.5\n", "\nFailMember=Mass\n",
          "\nMismatchedComponents=1\n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line;
    }
}

TEST(AssemblyText, BadSectionsAndValuesAreReportedAndSkipped) {
    expectOnlyProblems(
        "[part]\nDensity=1\n[assembly]\nGenerate=5,0\nGenerate=1,1,9\nColour=red\n"
        "[part C:\\x.SLDPRT]\nMaterial=Stahl\nConfiguration=\n[component A-1]\nParent=0\n"
        "Suppression=halb\n[densities]\nC:\\x.SLDPRT=schwer\n[subassembly C:\\y.SLDASM]\nTitle=y\n",
        {"[part] names nothing", "Generate", "Generate", "unknown key \"Colour\"",
         "Material before any Configuration", "Configuration", "Parent", "Suppression",
         "C:\\x.SLDPRT", "unknown key \"Title\""},
        /*keepsDefaults=*/false);
    // Bare member names keep naming the active part's objects only.
    State s;
    EXPECT_EQ(s.fail.set("GetType", 1), 1u);
    EXPECT_EQ(s.failureFor("PartDoc", "GetType"), 0);
    EXPECT_TRUE(findMember(ObjectKind::PartDoc, "getcomponents"));
    EXPECT_FALSE(findMember(ObjectKind::Component, "GetType"));
}

TEST(AssemblyModel, ComponentsAreListedAsGetComponentsAnswersWithTheirNames) {
    const Assembly a = sampleAssembly();
    struct Case {
        int root;
        bool topLevelOnly;
        std::vector<std::size_t> listed;
        std::vector<std::string> names;
    };
    for (const Case& c : std::vector<Case>{
             {-1, true, {0, 4, 6, 7}, {"Getriebe-1", "Halter-1", "Deckel-1", "Blech^Baugruppe1-1"}},
             {-1,
              false,
              {0, 1, 2, 3, 4, 6, 7},
              {"Getriebe-1", "Getriebe-1/Welle-1", "Getriebe-1/Welle-2", "Getriebe-1/Lager-1",
               "Halter-1", "Deckel-1", "Blech^Baugruppe1-1"}},
             {0, false, {1, 2, 3}, {"Welle-1", "Welle-2", "Lager-1"}},
             {4, true, {5}, {"Deckel-1"}},
             {1, false, {}, {}}}) {
        const auto listed = listComponents(a, c.root, c.topLevelOnly);
        EXPECT_EQ(listed, c.listed) << c.root << c.topLevelOnly;
        std::vector<std::string> names;
        for (std::size_t i : listed) names.push_back(componentName2(a, i, c.root));
        EXPECT_EQ(names, c.names);
    }
    EXPECT_EQ(a.parts[0].massDensity(), 8000.0);  // its active configuration's material
    EXPECT_EQ(a.parts[1].massDensity(), 1000.0);  // none: its density setting
    EXPECT_EQ(a.parts[0].configuration("leicht"), &a.parts[0].configurations[1]);
    EXPECT_EQ(a.parts[0].configuration(""), &a.parts[0].configurations[0]);
    EXPECT_EQ(a.parts[1].shownTitle(), "Lager");
    EXPECT_EQ(a.parts[2].shownTitle(), "Deckel.SLDPRT");
}

TEST(AssemblyModel, TheGeneratorMakesWhatTheReadmeSays) {
    struct Case {
        Generation g;
        std::size_t subAssemblies, topLevel, suppressed, lightweight, virtualParts, readOnly;
    };
    for (const Case& c : std::vector<Case>{{{5000, 1000, 3}, 6, 716, 262, 263, 5, 10},
                                           {{10, 3, 3}, 2, 5, 0, 0, 0, 0},
                                           {{1, 1, 1}, 0, 1, 0, 0, 0, 0}}) {
        const Assembly a = generateAssembly(c.g);
        SCOPED_TRACE(formatGeneration(c.g));
        EXPECT_EQ(a.components.size(), c.g.components);
        EXPECT_EQ(a.parts.size(), c.g.parts);
        EXPECT_EQ(a.subAssemblies.size(), c.subAssemblies);
        EXPECT_EQ(listComponents(a, -1, true).size(), c.topLevel);
        EXPECT_EQ(listComponents(a, -1, false).size(), c.g.components);
        auto count = [&](auto&& range, auto&& predicate) {
            return static_cast<std::size_t>(std::count_if(range.begin(), range.end(), predicate));
        };
        EXPECT_EQ(
            count(a.components, [](auto& x) { return x.suppression == Suppression::Suppressed; }),
            c.suppressed);
        EXPECT_EQ(
            count(a.components, [](auto& x) { return x.suppression == Suppression::Lightweight; }),
            c.lightweight);
        EXPECT_EQ(count(a.parts, [](auto& p) { return p.isVirtual; }), c.virtualParts);
        EXPECT_EQ(count(a.parts, [](auto& p) { return p.readOnly; }), c.readOnly);
        EXPECT_EQ(generateAssembly(c.g), a);  // the same every time
    }
    const Assembly big = generateAssembly({5000, 1000, 3});
    EXPECT_EQ(big.parts[0].path, "C:\\Konstruktion\\Teil0001.SLDPRT");
    EXPECT_EQ(big.parts[199].path, "C:\\Temp\\swx4711\\Teil0200^Baugruppe1.SLDPRT");
    EXPECT_EQ(big.components[0].name, "Gruppe01-1");
    EXPECT_EQ(componentName2(big, 2, -1), "Gruppe01-1/Gruppe02-1/Teil0003-1");
    EXPECT_EQ(parseGeneration("5000,1000"), (Generation{5000, 1000, 1}));
    EXPECT_FALSE(parseGeneration("5000,1000,3,1"));
}

TEST(AssemblyModel, ExplicitPartsAndWrittenDensitiesAreLaidOverTheGeneratedOnes) {
    Assembly explicitParts;
    AssemblyPart failing{"c:\\konstruktion\\teil0002.sldprt", "", {{"Standard"}}};
    failing.failWrite = 5;
    explicitParts.parts = {failing, AssemblyPart{"C:\\Extra.SLDPRT"}};
    explicitParts.components = {{"Extra-1", "C:\\Extra.SLDPRT"}};
    const Assembly played =
        playedAssembly(explicitParts, {20, 5, 2},
                       {{"C:\\Konstruktion\\Teil0001.SLDPRT", 7}, {"C:\\Extra.SLDPRT", 8}});
    ASSERT_EQ(played.parts.size(), 6u);
    EXPECT_EQ(played.parts[1].failWrite, 5);
    EXPECT_EQ(played.parts[0].density, 7.0);
    EXPECT_EQ(played.parts[5].density, 8.0);
    EXPECT_EQ(played.components.size(), 21u);
    EXPECT_EQ(played.components.back().name, "Extra-1");
    EXPECT_EQ(playedAssembly(explicitParts, {}, {}), explicitParts);
}

TEST(Objects, OneVocabularyOfObjectNamesAndTheirMembers) {
    EXPECT_EQ(objectName(ObjectKind::MassProperty), "MassProperty");
    EXPECT_EQ(logObjectName(ObjectKind::MassProperty), "massProperty");
    EXPECT_EQ(logObjectName(ObjectKind::App), "app");
    for (ObjectKind kind : {ObjectKind::App, ObjectKind::Doc, ObjectKind::Config,
                            ObjectKind::Extension, ObjectKind::MassProperty}) {
        EXPECT_EQ(objectKindFromName(objectName(kind)), kind);
        EXPECT_EQ(objectKindFromName(logObjectName(kind)), kind);
    }
    EXPECT_FALSE(objectKindFromName("Part"));

    const Member* name = findMember(ObjectKind::Doc, "getmaterialpropertyname2");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->arguments, 2u);
    EXPECT_TRUE(name->answersText);
    EXPECT_EQ(findMember(ObjectKind::Doc, static_cast<std::int32_t>(name->id)), name);
    EXPECT_EQ(findMember(ObjectKind::App, "GetMaterialPropertyName2"), nullptr);
    EXPECT_EQ(findMember(ObjectKind::Config, static_cast<std::int32_t>(MemberId::Density)),
              nullptr);
    // A member on two objects has one DISPID.
    EXPECT_EQ(findMember(ObjectKind::App, "SetUserPreferenceDoubleValue")->id,
              findMember(ObjectKind::Doc, "SetUserPreferenceDoubleValue")->id);

    State s;
    s.dieInMember = "MassProperty.Density";
    EXPECT_TRUE(s.diesIn("massProperty", "Density"));
    EXPECT_FALSE(s.diesIn("doc", "Density"));
    s.textAnswer = "Extension";
    EXPECT_TRUE(s.answersWithText("doc", "Extension"));
    EXPECT_FALSE(s.answersWithText("extension", "CreateMassProperty"));
}

TEST(StateText, HresultsParseInEveryNotation) {
    EXPECT_EQ(parseHresult("0x8001010A"), static_cast<std::int32_t>(0x8001010Au));
    EXPECT_EQ(parseHresult("2147549450"), static_cast<std::int32_t>(0x8001010Au));
    EXPECT_EQ(parseHresult("-2147417846"), static_cast<std::int32_t>(0x8001010Au));
    EXPECT_EQ(parseHresult("1"), 1);
    EXPECT_FALSE(parseHresult("4294967296"));
    EXPECT_FALSE(parseHresult("-2147483649"));
    EXPECT_FALSE(parseHresult("0x"));
    EXPECT_FALSE(parseHresult("12abc"));
    EXPECT_EQ(formatHresult(static_cast<std::int32_t>(0x8001010Au)), "0x8001010A");
    EXPECT_EQ(formatHresult(5), "0x00000005");
}

TEST(ClassIds, SldWorksGetsTheFixedIdAndOthersAStableOwnOne) {
    EXPECT_EQ(clsidForProgId("SldWorks.Application"), kBaseClsid);
    EXPECT_EQ(clsidForProgId("sldworks.APPLICATION"), kBaseClsid);
    const std::string test = clsidForProgId("VelumarTest.CadSim");
    EXPECT_NE(test, kBaseClsid);
    EXPECT_EQ(test, clsidForProgId("velumartest.cadsim"));
    EXPECT_NE(test, clsidForProgId("VelumarTest.CadSim2"));
    ASSERT_EQ(test.size(), 38u);
    CLSID parsed{};
    EXPECT_EQ(CLSIDFromString(velu::text::fromUtf8(test).c_str(), &parsed), NOERROR);
    EXPECT_EQ(test[15], '4');  // still a version-4 id
}

// ---------------------------------------------------------------------------------------------
// The log

TEST(LogText, FormatsAndParsesEveryOutcome) {
    LogEntry ok{12,
                "app",
                "SetUserPreferenceDoubleValue",
                "call",
                {{"VT_I4", "7"}, {"VT_BYREF|VT_R8", "7850"}},
                Outcome::Ok,
                {"VT_BOOL", "true"},
                0};
    EXPECT_EQ(formatLogLine(ok),
              "12\tapp\tSetUserPreferenceDoubleValue\tcall\tVT_I4:7,VT_BYREF|VT_R8:7850\tok:VT_"
              "BOOL:true");
    EXPECT_EQ(parseLogLine(formatLogLine(ok)), ok);

    LogEntry fail{13, "doc",         "GetType", "get",
                  {}, Outcome::Fail, {},        static_cast<std::int32_t>(0x80004005u)};
    EXPECT_EQ(formatLogLine(fail), "13\tdoc\tGetType\tget\t\tfail:0x80004005");
    EXPECT_EQ(parseLogLine(formatLogLine(fail)), fail);

    LogEntry retry{14, "app", "Visible", "put", {{"VT_BOOL", "true"}}, Outcome::RetryLater, {}, 0};
    EXPECT_EQ(formatLogLine(retry), "14\tapp\tVisible\tput\tVT_BOOL:true\tretrylater");
    EXPECT_EQ(parseLogLine(formatLogLine(retry)), retry);

    LogEntry died{15, "doc", "GetType", "call", {}, Outcome::Died, {}, 0};
    EXPECT_EQ(formatLogLine(died), "15\tdoc\tGetType\tcall\t\tdied");
    EXPECT_EQ(parseLogLine(formatLogLine(died)), died);

    LogEntry put{16, "app", "Visible", "put", {{"VT_BOOL", "false"}}, Outcome::Ok, {"VT_EMPTY", ""},
                 0};
    EXPECT_EQ(formatLogLine(put), "16\tapp\tVisible\tput\tVT_BOOL:false\tok:VT_EMPTY:");
    EXPECT_EQ(parseLogLine(formatLogLine(put)), put);
}

TEST(LogText, EscapesSeparatorsInsideValues) {
    LogEntry e{1,
               "app",
               "#99",
               "call",
               {{"VT_BSTR", "a,b\tc\\d\ne"}, {"VT_BSTR", ""}},
               Outcome::Ok,
               {"VT_BSTR", "x,y"},
               0};
    const std::string line = formatLogLine(e);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 5);
    EXPECT_NE(line.find("VT_BSTR:a\\,b\\tc\\\\d\\ne,VT_BSTR:"), std::string::npos);
    EXPECT_EQ(parseLogLine(line), e);
}

TEST(LogText, RejectsMalformedLinesAndSkipsThemInALog) {
    EXPECT_FALSE(parseLogLine(""));
    EXPECT_FALSE(parseLogLine("x\tapp\tVisible\tget\t\tok:VT_BOOL:true"));
    EXPECT_FALSE(parseLogLine("1\tapp\tVisible\tfetch\t\tok:VT_BOOL:true"));
    EXPECT_FALSE(parseLogLine("1\tapp\tVisible\tget\t\tgood"));
    EXPECT_FALSE(parseLogLine("1\tapp\tVisible\tget\tnocolon\tok:VT_BOOL:true"));
    EXPECT_FALSE(parseLogLine("1\tapp\tVisible\tget\tVT_BSTR:a\\\tok:VT_BOOL:true"));
    EXPECT_FALSE(parseLogLine("1\tapp\tVisible\tget\t\tfail:nothex"));
    EXPECT_FALSE(parseLogLine("1\tapp\tVisible\tget\t\tok:VT_BOOL:true\textra"));
    EXPECT_TRUE(parseLogLine("1\tapp\tVisible\tget\t\tok:VT_BOOL:true\r"));

    std::vector<std::string> problems;
    const auto entries = parseLog(
        "1\tapp\tVisible\tget\t\tok:VT_BOOL:false\n\ngarbage\n2\tapp\tActiveDoc\tget\t\tok:VT_"
        "DISPATCH:doc\n",
        &problems);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].sequence, 1u);
    EXPECT_EQ(entries[1].member, "ActiveDoc");
    EXPECT_EQ(entries[1].result, (LogValue{"VT_DISPATCH", "doc"}));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("line 3"), std::string::npos);
}

// Each type has a name of its own, an unknown one too, and the flags go in front of it.
TEST(LogText, NamesEveryVarTypeApartWithItsFlagsInFront) {
    std::set<std::string> names;
    for (const VARTYPE type : std::initializer_list<VARTYPE>{
             VT_EMPTY, VT_I4, VT_R8, VT_BOOL, VT_BSTR, VT_DISPATCH, VT_VARIANT, 0x0FFE}) {
        const std::string name = varTypeName(type);
        EXPECT_TRUE(name.starts_with("VT_")) << name;
        EXPECT_TRUE(names.insert(name).second) << name;
        EXPECT_EQ(varTypeName(static_cast<VARTYPE>(VT_BYREF | type)), "VT_BYREF|" + name);
        EXPECT_EQ(varTypeName(static_cast<VARTYPE>(VT_ARRAY | type)), "VT_ARRAY|" + name);
    }
}

// ---------------------------------------------------------------------------------------------
// Helpers for the end-to-end tests

std::wstring cadsimExe() {
    return velu::testing::windowsPath(VELU_CADSIM_EXE);
}

// Runs cadsim.exe with the arguments and returns its exit code (-1 if it did not run or end).
int runCadsim(const std::wstring& arguments) {
    return velu::testing::StandIn(cadsimExe()).run(arguments);
}

// Calls a member by name through IDispatch; `args` in parameter order.
HRESULT call(IDispatch* target, const wchar_t* name, WORD flags, std::vector<UniqueVariant> args,
             UniqueVariant* result = nullptr, EXCEPINFO* exception = nullptr,
             UINT* argError = nullptr) {
    if (target == nullptr) return E_POINTER;
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = target->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    std::vector<VARIANT> reversed;
    for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(*it->get());
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    if (flags & DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }
    UniqueVariant ignored;
    UINT ignoredArg = 0;
    return target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                          result != nullptr ? result->put() : ignored.put(), exception,
                          argError != nullptr ? argError : &ignoredArg);
}

// What a client sees when the server process has ended under it.
bool serverIsGone(HRESULT hr) {
    for (HRESULT gone :
         {RPC_E_DISCONNECTED, RPC_E_SERVER_DIED, RPC_E_SERVER_DIED_DNE,
          HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE), HRESULT_FROM_WIN32(RPC_S_CALL_FAILED),
          HRESULT_FROM_WIN32(RPC_S_CALL_FAILED_DNE)}) {
        if (hr == gone) return true;
    }
    return false;
}

// A text passed by reference, as the program passes the material's database: the server may
// free what it holds and leave another text there.
UniqueVariant textReference(UniqueBstr& text) {
    UniqueVariant reference;
    reference->vt = VT_BYREF | VT_BSTR;
    reference->pbstrVal = text.inOut();
    return reference;
}

// A variable passed by reference, as VBScript passes one: a VARIANT inside a VARIANT.
UniqueVariant variantReference(UniqueVariant& variable) {
    UniqueVariant reference;
    reference->vt = VT_BYREF | VT_VARIANT;
    reference->pvarVal = variable.get();
    return reference;
}

constexpr WORD kGet = DISPATCH_PROPERTYGET;
constexpr WORD kMethod = DISPATCH_METHOD;
constexpr WORD kVbStyle = DISPATCH_METHOD | DISPATCH_PROPERTYGET;
constexpr LONG kDensity = 7;

class CadSimServer : public ::testing::Test {
  protected:
    static constexpr const wchar_t* kProgId = L"VelumarTest.CadSim";

    static void SetUpTestSuite() {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        dir_ = std::wstring(temp) + L"cadsim-test-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(dir_.c_str(), nullptr);
        server_ = std::make_unique<velu::testing::StandIn>(
            cadsimExe(), kProgId, dir_ + L"\\state.ini", dir_ + L"\\calls.log");
        // A server left over from an interrupted run would serve other files.
        server_->shutDown();
        registered_ = server_->registerServer();
        if (registered_) registered_ = SUCCEEDED(CLSIDFromProgID(kProgId, &clsid_));
    }

    static void TearDownTestSuite() {
        server_->remove();
        server_.reset();
        RemoveDirectoryW(dir_.c_str());
    }

    void SetUp() override {
        ASSERT_TRUE(registered_) << "registering " << toUtf8(kProgId) << " failed";
        State initial;
        initial.activeDoc = DocKind::Part;
        writeState(initial);
        server_->forgetCalls();
    }

    static void writeState(const State& state) { ASSERT_TRUE(server_->write(state)); }
    static State readState() { return server_->scenario(); }
    static std::vector<LogEntry> readLog() { return server_->calls(); }

    static ComPtr<IDispatch> connect() {
        ComPtr<IDispatch> app;
        const HRESULT hr =
            CoCreateInstance(clsid_, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, app.putVoid());
        EXPECT_EQ(hr, S_OK) << "CoCreateInstance of " << toUtf8(kProgId);
        return app;
    }

    static ComPtr<IDispatch> activeDoc(IDispatch* app) {
        UniqueVariant doc;
        EXPECT_EQ(call(app, L"ActiveDoc", kGet, {}, &doc), S_OK);
        EXPECT_EQ(doc->vt, VT_DISPATCH);
        return doc->vt == VT_DISPATCH ? ComPtr<IDispatch>(doc->pdispVal) : ComPtr<IDispatch>();
    }

    // The object a member answers with (VB style, as the program asks); empty if it answers
    // with none.
    static ComPtr<IDispatch> object(IDispatch* target, const wchar_t* member) {
        UniqueVariant answer;
        EXPECT_EQ(call(target, member, kVbStyle, {}, &answer), S_OK) << toUtf8(member);
        return answer->vt == VT_DISPATCH ? ComPtr<IDispatch>(answer->pdispVal)
                                         : ComPtr<IDispatch>();
    }

    // The mass properties of the active part, reached as the program reaches them.
    static ComPtr<IDispatch> massProperties() {
        auto doc = activeDoc(connect().get());
        auto extension = object(doc.get(), L"Extension");
        return object(extension.get(), L"CreateMassProperty");
    }

    // The active document of a part with this material assigned.
    static ComPtr<IDispatch> partWithMaterial(const char* material,
                                              const char* database = "SOLIDWORKS Materials") {
        State s;
        s.material = material;
        s.materialDatabase = database;
        writeState(s);
        return activeDoc(connect().get());
    }

    // Asks the document for the material of a configuration, the database going into the
    // reference: the name, or what went wrong instead.
    static std::wstring materialOf(IDispatch* doc, const wchar_t* configuration,
                                   const UniqueVariant& reference) {
        UniqueVariant name;
        const HRESULT hr = call(doc, L"GetMaterialPropertyName2", kVbStyle,
                                {UniqueVariant::fromString(configuration), reference}, &name);
        if (FAILED(hr)) return L"<failed " + velu::text::fromUtf8(formatHresult(hr)) + L">";
        if (name->vt != VT_BSTR) return L"<not a text>";
        return std::wstring(name->bstrVal, SysStringLen(name->bstrVal));
    }

    // The active document is this assembly.
    static void writeAssembly(Assembly assembly) {
        State s;
        s.activeDoc = DocKind::Assembly;
        s.assembly = std::move(assembly);
        writeState(s);
    }

    // What a member answers (VB style); VT_ERROR with the HRESULT if the call fails.
    static UniqueVariant valueOf(IDispatch* target, const wchar_t* member,
                                 std::vector<UniqueVariant> args = {}) {
        UniqueVariant value;
        if (const HRESULT hr = call(target, member, kVbStyle, std::move(args), &value);
            FAILED(hr)) {
            value->vt = VT_ERROR;
            value->scode = hr;
        }
        return value;
    }

    static std::wstring textOf(IDispatch* target, const wchar_t* member) {
        const UniqueVariant value = valueOf(target, member);
        return value->vt == VT_BSTR ? std::wstring(value->bstrVal, SysStringLen(value->bstrVal))
                                    : L"<not a text>";
    }

    // The components GetComponents answers with, walked as a C++ client walks the array:
    // each element taken out with SafeArrayGetElement is a reference of its own.
    static std::vector<ComPtr<IDispatch>> componentsOf(IDispatch* doc, bool topLevelOnly,
                                                       VARTYPE form = VT_ARRAY | VT_DISPATCH) {
        const UniqueVariant answer =
            valueOf(doc, L"GetComponents", {UniqueVariant::fromBool(topLevelOnly)});
        std::vector<ComPtr<IDispatch>> components;
        EXPECT_EQ(answer->vt, form);
        if (answer->vt != form) return components;
        LONG lower = 0, upper = -1;
        SafeArrayGetLBound(answer->parray, 1, &lower);
        SafeArrayGetUBound(answer->parray, 1, &upper);
        for (LONG i = lower; i <= upper; ++i) {
            ComPtr<IDispatch> component;
            if (form == (VT_ARRAY | VT_VARIANT)) {
                UniqueVariant element;
                EXPECT_EQ(SafeArrayGetElement(answer->parray, &i, element.get()), S_OK);
                EXPECT_EQ(element->vt, VT_DISPATCH);
                if (element->vt == VT_DISPATCH) component = ComPtr<IDispatch>(element->pdispVal);
            } else {
                EXPECT_EQ(SafeArrayGetElement(answer->parray, &i, component.put()), S_OK);
            }
            components.push_back(std::move(component));
        }
        return components;
    }

    static std::vector<std::wstring> names2(const std::vector<ComPtr<IDispatch>>& components) {
        std::vector<std::wstring> names;
        for (const auto& component : components) names.push_back(textOf(component.get(), L"Name2"));
        return names;
    }

    // The stand-in's live objects once they have settled at `expected`: a release may reach
    // the server a moment after the client let go, so the count is given a second to get there.
    static std::optional<long> liveObjectsSettlingAt(long expected) {
        std::optional<long> live;
        velu::testing::pumpUntil(
            [&] {
                live = server_->liveObjects();
                return live == expected;
            },
            std::chrono::seconds(1));
        return live;
    }

    // Ends the running server (if any) the way a user would, and waits until it is gone.
    static void stopServer() { EXPECT_EQ(server_->shutDown(), 0); }

    static std::wstring dir_;
    static std::unique_ptr<velu::testing::StandIn> server_;
    static CLSID clsid_;
    static bool registered_;
};

std::wstring CadSimServer::dir_;
std::unique_ptr<velu::testing::StandIn> CadSimServer::server_;
CLSID CadSimServer::clsid_{};
bool CadSimServer::registered_ = false;

// ---------------------------------------------------------------------------------------------
// End to end

TEST_F(CadSimServer, SetsTheSystemDensityByReferenceAndReadsItBackExactly) {
    auto app = connect();
    for (double wanted : {7850.0, 2699.9999999999995, 0.001}) {
        double value = wanted;
        UniqueVariant ok;
        ASSERT_EQ(call(app.get(), L"SetUserPreferenceDoubleValue", kMethod,
                       {UniqueVariant::fromI4(kDensity), UniqueVariant::refR8(&value)}, &ok),
                  S_OK);
        EXPECT_EQ(ok->vt, VT_BOOL);
        EXPECT_EQ(ok->boolVal, VARIANT_TRUE);
        UniqueVariant back;
        ASSERT_EQ(call(app.get(), L"GetUserPreferenceDoubleValue", kMethod,
                       {UniqueVariant::fromI4(kDensity)}, &back),
                  S_OK);
        ASSERT_EQ(back->vt, VT_R8);
        EXPECT_EQ(back->dblVal, wanted);
        EXPECT_EQ(readState().systemDensity, wanted);
        EXPECT_EQ(readState().documentDensity, 1000.0);
    }
}

TEST_F(CadSimServer, LogsEveryCallWithItsArgumentsInOrder) {
    auto app = connect();
    double value = 7850.0;
    ASSERT_EQ(call(app.get(), L"SetUserPreferenceDoubleValue", kMethod,
                   {UniqueVariant::fromI4(kDensity), UniqueVariant::refR8(&value)}),
              S_OK);
    ASSERT_EQ(
        call(app.get(), L"GetUserPreferenceDoubleValue", kGet, {UniqueVariant::fromI4(kDensity)}),
        S_OK);
    ASSERT_EQ(call(app.get(), L"Visible", DISPATCH_PROPERTYPUT, {UniqueVariant::fromBool(false)}),
              S_OK);
    ASSERT_EQ(call(app.get(), L"ActiveDoc", kVbStyle, {}), S_OK);

    const auto log = readLog();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].object, "app");
    EXPECT_EQ(log[0].member, "SetUserPreferenceDoubleValue");
    EXPECT_EQ(log[0].kind, "call");
    EXPECT_EQ(log[0].arguments,
              (std::vector<LogValue>{{"VT_I4", "7"}, {"VT_BYREF|VT_R8", "7850"}}));
    EXPECT_EQ(log[0].outcome, Outcome::Ok);
    EXPECT_EQ(log[0].result, (LogValue{"VT_BOOL", "true"}));
    EXPECT_EQ(log[1].kind, "get");
    EXPECT_EQ(log[1].result, (LogValue{"VT_R8", "7850"}));
    EXPECT_EQ(log[2].kind, "put");
    EXPECT_EQ(log[2].member, "Visible");
    EXPECT_EQ(log[2].arguments, (std::vector<LogValue>{{"VT_BOOL", "false"}}));
    EXPECT_EQ(log[3].kind, "call");
    EXPECT_EQ(log[3].result, (LogValue{"VT_DISPATCH", "doc"}));
    for (std::size_t i = 1; i < log.size(); ++i)
        EXPECT_EQ(log[i].sequence, log[i - 1].sequence + 1);
}

TEST_F(CadSimServer, DocumentReportsItsTypeAndKeepsItsOwnDensity) {
    auto app = connect();
    for (DocKind kind : {DocKind::Part, DocKind::Assembly, DocKind::Drawing}) {
        State s;
        s.activeDoc = kind;
        s.documentDensity = 2700.0;
        writeState(s);
        auto doc = activeDoc(app.get());
        ASSERT_TRUE(doc);
        for (WORD flags : {kMethod, kGet, kVbStyle}) {
            UniqueVariant type;
            ASSERT_EQ(call(doc.get(), L"GetType", flags, {}, &type), S_OK);
            EXPECT_EQ(type->vt, VT_I4);
            EXPECT_EQ(type->lVal, static_cast<LONG>(kind)) << docKindName(kind);
        }
        double value = 7850.5;
        UniqueVariant ok;
        ASSERT_EQ(call(doc.get(), L"SetUserPreferenceDoubleValue", kMethod,
                       {UniqueVariant::fromI4(kDensity), UniqueVariant::refR8(&value)}, &ok),
                  S_OK);
        EXPECT_EQ(ok->boolVal, VARIANT_TRUE);
        UniqueVariant back;
        ASSERT_EQ(call(doc.get(), L"GetUserPreferenceDoubleValue", kMethod,
                       {UniqueVariant::fromI4(kDensity)}, &back),
                  S_OK);
        EXPECT_EQ(back->dblVal, 7850.5);
        EXPECT_EQ(readState().documentDensity, 7850.5);
        EXPECT_EQ(readState().systemDensity, 1000.0);
    }
    const auto log = readLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().object, "doc");
}

TEST_F(CadSimServer, ActiveDocIsNothingWithoutADocument) {
    State s;
    s.activeDoc = DocKind::None;
    writeState(s);
    auto app = connect();
    UniqueVariant doc;
    ASSERT_EQ(call(app.get(), L"ActiveDoc", kVbStyle, {}, &doc), S_OK);
    EXPECT_EQ(doc->vt, VT_DISPATCH);
    EXPECT_EQ(doc->pdispVal, nullptr);
    const auto log = readLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].result, (LogValue{"VT_DISPATCH", "null"}));
}

TEST_F(CadSimServer, NamesAreCaseInsensitiveAndArgumentsAreCoerced) {
    auto app = connect();
    DISPID upper = 0, lower = 0;
    LPOLESTR a[] = {const_cast<LPOLESTR>(L"SETUSERPREFERENCEDOUBLEVALUE")};
    LPOLESTR b[] = {const_cast<LPOLESTR>(L"setuserpreferencedoublevalue")};
    ASSERT_EQ(app->GetIDsOfNames(IID_NULL, a, 1, LOCALE_USER_DEFAULT, &upper), S_OK);
    ASSERT_EQ(app->GetIDsOfNames(IID_NULL, b, 1, LOCALE_USER_DEFAULT, &lower), S_OK);
    EXPECT_EQ(upper, lower);
    DISPID unknown = 0;
    LPOLESTR c[] = {const_cast<LPOLESTR>(L"GetType")};  // a document member, not the application's
    EXPECT_EQ(app->GetIDsOfNames(IID_NULL, c, 1, LOCALE_USER_DEFAULT, &unknown),
              DISP_E_UNKNOWNNAME);
    EXPECT_EQ(unknown, DISPID_UNKNOWN);

    // A short for the id, a float for the value: both converted.
    UniqueVariant shortId;
    shortId.get()->vt = VT_I2;
    shortId.get()->iVal = 7;
    UniqueVariant floatValue;
    floatValue.get()->vt = VT_R4;
    floatValue.get()->fltVal = 2.5f;
    UniqueVariant ok;
    ASSERT_EQ(
        call(app.get(), L"setuserpreferencedoublevalue", kVbStyle, {shortId, floatValue}, &ok),
        S_OK);
    EXPECT_EQ(ok->boolVal, VARIANT_TRUE);
    EXPECT_EQ(readState().systemDensity, 2.5);
    UniqueVariant back;
    ASSERT_EQ(call(app.get(), L"GETUSERPREFERENCEDOUBLEVALUE", kGet,
                   {UniqueVariant::fromString(L"7")}, &back),
              S_OK);
    EXPECT_EQ(back->dblVal, 2.5);
}

TEST_F(CadSimServer, RejectsWrongArgumentsAndInvokeKinds) {
    auto app = connect();
    EXPECT_EQ(call(app.get(), L"SetUserPreferenceDoubleValue", kMethod,
                   {UniqueVariant::fromI4(kDensity)}),
              DISP_E_BADPARAMCOUNT);
    UINT argError = 99;
    EXPECT_EQ(call(app.get(), L"SetUserPreferenceDoubleValue", kMethod,
                   {UniqueVariant::fromI4(kDensity), UniqueVariant::fromString(L"heavy")}, nullptr,
                   nullptr, &argError),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argError, 0u);  // rgvarg[0] is the last parameter
    EXPECT_EQ(
        call(app.get(), L"ActiveDoc", DISPATCH_PROPERTYPUT, {UniqueVariant::fromDispatch(nullptr)}),
        DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(readState().systemDensity, 1000.0);

    const auto log = readLog();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].outcome, Outcome::Fail);
    EXPECT_EQ(log[0].hresult, DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(log[1].arguments[1], (LogValue{"VT_BSTR", "heavy"}));
    EXPECT_EQ(log[1].hresult, DISP_E_TYPEMISMATCH);
    EXPECT_EQ(log[2].kind, "put");
    EXPECT_EQ(log[2].hresult, DISP_E_MEMBERNOTFOUND);
}

TEST_F(CadSimServer, WriteResultFalseLeavesTheDensityAlone) {
    State s;
    s.systemWriteResult = false;
    s.documentWriteResult = false;
    s.documentDensity = 1200.0;
    writeState(s);
    auto app = connect();
    auto doc = activeDoc(app.get());
    for (IDispatch* target : {app.get(), doc.get()}) {
        double value = 7850.0;
        UniqueVariant ok;
        ASSERT_EQ(call(target, L"SetUserPreferenceDoubleValue", kMethod,
                       {UniqueVariant::fromI4(kDensity), UniqueVariant::refR8(&value)}, &ok),
                  S_OK);
        EXPECT_EQ(ok->vt, VT_BOOL);
        EXPECT_EQ(ok->boolVal, VARIANT_FALSE);
    }
    EXPECT_EQ(readState().systemDensity, 1000.0);
    EXPECT_EQ(readState().documentDensity, 1200.0);
}

TEST_F(CadSimServer, TheActiveConfigurationIsAnObjectThatKnowsItsName) {
    auto app = connect();
    auto doc = activeDoc(app.get());
    auto config = object(doc.get(), L"GetActiveConfiguration");
    ASSERT_TRUE(config);
    UniqueVariant name;
    ASSERT_EQ(call(config.get(), L"Name", kVbStyle, {}, &name), S_OK);
    ASSERT_EQ(name->vt, VT_BSTR);
    EXPECT_EQ(std::wstring(name->bstrVal), L"Standard");
    // The name is read when it is asked for.
    State s;
    s.configuration = "Gewicht \xC3\xBC";
    writeState(s);
    ASSERT_EQ(call(config.get(), L"name", kGet, {}, &name), S_OK);
    EXPECT_EQ(std::wstring(name->bstrVal), L"Gewicht \u00FC");

    const auto log = readLog();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[1].object, "doc");
    EXPECT_EQ(log[1].result, (LogValue{"VT_DISPATCH", "config"}));
    EXPECT_EQ(log[2].object, "config");
    EXPECT_EQ(log[2].member, "Name");
    EXPECT_EQ(log[2].result, (LogValue{"VT_BSTR", "Standard"}));
}

TEST_F(CadSimServer, TheMaterialsNameComesBackAndItsDatabaseInTheReference) {
    auto doc = partWithMaterial("AISI 304");
    // The active configuration by its name in any case, or by the empty name.
    for (const wchar_t* configuration : {L"Standard", L"STANDARD", L""}) {
        SCOPED_TRACE(toUtf8(configuration));
        UniqueBstr database(L"vorher");
        EXPECT_EQ(materialOf(doc.get(), configuration, textReference(database)), L"AISI 304");
        EXPECT_EQ(database.view(), L"SOLIDWORKS Materials");
    }
    // Another configuration has no material here.
    UniqueBstr database(L"vorher");
    EXPECT_EQ(materialOf(doc.get(), L"Leicht", textReference(database)), L"");
    EXPECT_EQ(database.view(), L"");

    const auto log = readLog();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[1].member, "GetMaterialPropertyName2");
    EXPECT_EQ(log[1].kind, "call");
    // The reference is logged as it arrived.
    EXPECT_EQ(log[1].arguments,
              (std::vector<LogValue>{{"VT_BSTR", "Standard"}, {"VT_BYREF|VT_BSTR", "vorher"}}));
    EXPECT_EQ(log[1].result, (LogValue{"VT_BSTR", "AISI 304"}));
}

TEST_F(CadSimServer, TheDatabaseComesBackInAVariantReferenceAsVbScriptPassesAVariable) {
    auto doc = partWithMaterial("Aluminium", "Eigene");
    UniqueVariant variable;  // empty, as a variable VBScript has only declared
    EXPECT_EQ(materialOf(doc.get(), L"", variantReference(variable)), L"Aluminium");
    ASSERT_EQ(variable->vt, VT_BSTR);
    EXPECT_EQ(std::wstring(variable->bstrVal), L"Eigene");
    EXPECT_EQ(readLog().back().arguments[1], (LogValue{"VT_BYREF|VT_VARIANT", "VT_EMPTY:"}));
}

TEST_F(CadSimServer, WithoutAMaterialTheNameAndTheDatabaseAreEmpty) {
    auto app = connect();
    auto doc = activeDoc(app.get());
    UniqueBstr database(L"vorher");
    EXPECT_EQ(materialOf(doc.get(), L"Standard", textReference(database)), L"");
    EXPECT_EQ(database.view(), L"");
}

TEST_F(CadSimServer, TheDatabaseMustBePassedByReference) {
    auto doc = partWithMaterial("AISI 304");
    double number = 1;
    for (UniqueVariant wrong :
         {UniqueVariant::fromString(L"by value"), UniqueVariant::refR8(&number)}) {
        UINT argError = 99;
        EXPECT_EQ(call(doc.get(), L"GetMaterialPropertyName2", kVbStyle,
                       {UniqueVariant::fromString(L""), wrong}, nullptr, nullptr, &argError),
                  DISP_E_TYPEMISMATCH);
        EXPECT_EQ(argError, 0u);  // rgvarg[0], the last parameter
    }
    UniqueBstr database;
    EXPECT_EQ(call(doc.get(), L"GetMaterialPropertyName2", kVbStyle, {textReference(database)}),
              DISP_E_BADPARAMCOUNT);
}

TEST_F(CadSimServer, TheMassPropertiesFollowTheMaterialOrElseTheDocumentsDensity) {
    State s;
    s.material = "AISI 304";
    s.materialDensity = 8000;
    s.documentDensity = 2700;
    s.volume = 0.002;
    writeState(s);
    auto massProperty = massProperties();
    ASSERT_TRUE(massProperty);
    auto read = [&](const wchar_t* member) {
        UniqueVariant value;
        EXPECT_EQ(call(massProperty.get(), member, kVbStyle, {}, &value), S_OK);
        EXPECT_EQ(value->vt, VT_R8) << toUtf8(member);
        return value->vt == VT_R8 ? value->dblVal : -1.0;
    };
    EXPECT_EQ(read(L"Density"), 8000.0);
    EXPECT_EQ(read(L"Volume"), 0.002);
    EXPECT_EQ(read(L"Mass"), 8000.0 * 0.002);

    // Without a material, the mass follows the document's density setting.
    s.material.clear();
    writeState(s);
    EXPECT_EQ(read(L"Density"), 2700.0);
    EXPECT_EQ(read(L"Mass"), 2700.0 * 0.002);

    const auto log = readLog();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[1].object, "doc");
    EXPECT_EQ(log[1].member, "Extension");
    EXPECT_EQ(log[1].result, (LogValue{"VT_DISPATCH", "extension"}));
    EXPECT_EQ(log[2].object, "extension");
    EXPECT_EQ(log[2].result, (LogValue{"VT_DISPATCH", "massProperty"}));
    EXPECT_EQ(log[3].object, "massProperty");
    EXPECT_EQ(log[3].result, (LogValue{"VT_R8", "8000"}));
}

TEST_F(CadSimServer, APartWithoutABodyHasNoMassProperties) {
    State s;
    s.bodies = 0;
    writeState(s);
    auto app = connect();
    auto doc = activeDoc(app.get());
    auto extension = object(doc.get(), L"Extension");
    UniqueVariant properties;
    ASSERT_EQ(call(extension.get(), L"CreateMassProperty", kVbStyle, {}, &properties), S_OK);
    EXPECT_EQ(properties->vt, VT_DISPATCH);
    EXPECT_EQ(properties->pdispVal, nullptr);
    EXPECT_EQ(readLog().back().result, (LogValue{"VT_DISPATCH", "null"}));
    EXPECT_EQ(liveObjectsSettlingAt(3), 3);  // the application, the document and the extension
}

TEST_F(CadSimServer, ANewMemberNamedInTextAnswerAnswersWithAWrongType) {
    auto app = connect();
    auto doc = activeDoc(app.get());
    auto config = object(doc.get(), L"GetActiveConfiguration");
    auto extension = object(doc.get(), L"Extension");
    auto massProperty = object(extension.get(), L"CreateMassProperty");
    ASSERT_TRUE(config && extension && massProperty);
    const long live = *liveObjectsSettlingAt(5);
    struct Case {
        const char* name;
        IDispatch* target;
        VARTYPE answer;  // an object or a number answers with a text, a text with a number
    };
    for (const Case& c :
         {Case{"Doc.GetActiveConfiguration", doc.get(), VT_BSTR},
          Case{"Doc.Extension", doc.get(), VT_BSTR}, Case{"Config.Name", config.get(), VT_I4},
          Case{"Extension.CreateMassProperty", extension.get(), VT_BSTR},
          Case{"MassProperty.Density", massProperty.get(), VT_BSTR},
          Case{"MassProperty.Mass", massProperty.get(), VT_BSTR},
          Case{"MassProperty.Volume", massProperty.get(), VT_BSTR}}) {
        SCOPED_TRACE(c.name);
        State s;
        s.textAnswer = c.name;
        writeState(s);
        const std::string member = std::string(c.name).substr(std::string(c.name).find('.') + 1);
        UniqueVariant answer;
        ASSERT_EQ(call(c.target, velu::text::fromUtf8(member).c_str(), kVbStyle, {}, &answer),
                  S_OK);
        EXPECT_EQ(answer->vt, c.answer);
        if (answer->vt == VT_BSTR) {
            EXPECT_EQ(std::wstring(answer->bstrVal), L"kein Wert");
        } else if (answer->vt == VT_I4) {
            EXPECT_EQ(answer->lVal, 0);
        }
    }
    // No object was handed out instead.
    EXPECT_EQ(liveObjectsSettlingAt(live), live);

    // The material's name is a text: it answers with a number and leaves the reference alone.
    State s;
    s.material = "AISI 304";
    s.textAnswer = "GetMaterialPropertyName2";
    writeState(s);
    UniqueBstr database(L"vorher");
    UniqueVariant answer;
    ASSERT_EQ(call(doc.get(), L"GetMaterialPropertyName2", kVbStyle,
                   {UniqueVariant::fromString(L""), textReference(database)}, &answer),
              S_OK);
    EXPECT_EQ(answer->vt, VT_I4);
    EXPECT_EQ(database.view(), L"vorher");
}

TEST_F(CadSimServer, RetryLaterRejectsTheMaterialQueryTooAndLeavesTheReferenceAlone) {
    auto doc = partWithMaterial("AISI 304");
    State s = readState();
    s.retryLater = 1;
    writeState(s);
    UniqueBstr database(L"vorher");
    EXPECT_EQ(
        materialOf(doc.get(), L"", textReference(database)),
        L"<failed " + velu::text::fromUtf8(formatHresult(RPC_E_SERVERCALL_RETRYLATER)) + L">");
    EXPECT_EQ(database.view(), L"vorher");
    EXPECT_EQ(readState().retryLater, 0u);
    EXPECT_EQ(materialOf(doc.get(), L"", textReference(database)), L"AISI 304");
    const auto log = readLog();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2].member, "GetMaterialPropertyName2");
    EXPECT_EQ(log[log.size() - 2].outcome, Outcome::RetryLater);
    EXPECT_EQ(log.back().outcome, Outcome::Ok);
}

TEST_F(CadSimServer, DieInMemberEndsTheServerInTheMassProperties) {
    auto massProperty = massProperties();
    ASSERT_TRUE(massProperty);
    State s;
    s.dieInMember = "MassProperty.Density";
    writeState(s);
    const HRESULT hr = call(massProperty.get(), L"Density", kVbStyle, {});
    EXPECT_TRUE(serverIsGone(hr)) << formatHresult(hr);
    EXPECT_EQ(readState().dieInMember, "");
    const auto log = readLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().object, "massProperty");
    EXPECT_EQ(log.back().outcome, Outcome::Died);
}

TEST_F(CadSimServer, LiveObjectsCountWhatClientsHoldUntilTheyLetGo) {
    auto app = connect();
    EXPECT_EQ(liveObjectsSettlingAt(1), 1);  // the application
    {
        auto doc = activeDoc(app.get());
        auto again = activeDoc(app.get());  // every call hands out an object of its own
        EXPECT_EQ(liveObjectsSettlingAt(3), 3);
        auto config = object(doc.get(), L"GetActiveConfiguration");
        auto extension = object(doc.get(), L"Extension");
        auto massProperty = object(extension.get(), L"CreateMassProperty");
        EXPECT_EQ(liveObjectsSettlingAt(6), 6);
        const auto printed = server_->output(L"/live --progid " + std::wstring(kProgId));
        EXPECT_EQ(printed, "6\n");
        again.reset();
        EXPECT_EQ(liveObjectsSettlingAt(5), 5);
    }
    EXPECT_EQ(liveObjectsSettlingAt(1), 1);
    app.reset();
    EXPECT_EQ(liveObjectsSettlingAt(0), 0);
}

// The running object table and the class factory hold the application all along; it counts
// only while a client holds it, whether the client created it or attached to it.
TEST_F(CadSimServer, TheApplicationCountsWhileAClientHoldsIt) {
    stopServer();
    auto created = connect();
    EXPECT_EQ(liveObjectsSettlingAt(1), 1);
    created.reset();
    EXPECT_EQ(liveObjectsSettlingAt(0), 0);
    // Still registered as the running instance once every client let go.
    ComPtr<IUnknown> running;
    ASSERT_EQ(GetActiveObject(clsid_, nullptr, running.put()), S_OK);
    auto attached = running.query<IDispatch>(IID_IDispatch);
    running.reset();
    EXPECT_EQ(call(attached.get(), L"Visible", kGet, {}), S_OK);
    EXPECT_EQ(liveObjectsSettlingAt(1), 1);
    attached.reset();
    EXPECT_EQ(liveObjectsSettlingAt(0), 0);
}

TEST_F(CadSimServer, TheCallsAreCountedNameLookUpsAndInvocationsApart) {
    auto app = connect();
    ASSERT_TRUE(server_->resetCallCounts());
    for (int i = 0; i < 3; ++i) ASSERT_EQ(call(app.get(), L"Visible", kGet, {}), S_OK);
    DISPID id = 0;
    LPOLESTR name[] = {const_cast<LPOLESTR>(L"NoSuchMember")};
    EXPECT_EQ(app->GetIDsOfNames(IID_NULL, name, 1, LOCALE_USER_DEFAULT, &id), DISP_E_UNKNOWNNAME);
    const auto counts = server_->callCounts();
    ASSERT_TRUE(counts);
    EXPECT_EQ(counts->nameLookups, 4u);
    EXPECT_EQ(counts->invocations, 3u);
    EXPECT_EQ(server_->output(L"/counts --reset --progid " + std::wstring(kProgId))
                  .value_or("")
                  .substr(0, 38),
              "GetIDsOfNames 4\nInvoke 3\nMicroseconds ");
    EXPECT_NE(server_->output(L"/counts --progid " + std::wstring(kProgId))
                  .value_or("")
                  .find("\nObjects 0\n"),
              std::string::npos);
    EXPECT_EQ(server_->callCounts(), (CallCounts{0, 0, 0, 0}));
    // Each object handed out counts, each component of an array among them.
    writeAssembly(sampleAssembly());
    static_cast<void>(componentsOf(activeDoc(app.get()).get(), false));
    EXPECT_EQ(server_->callCounts()->objects, 1u + 7u);
}

TEST_F(CadSimServer, LiveObjectsAreNotKnownWithoutARunningInstance) {
    stopServer();
    EXPECT_EQ(server_->liveObjects(), std::nullopt);
    EXPECT_EQ(runCadsim(L"/live --progid " + std::wstring(kProgId)), 1);
    EXPECT_EQ(runCadsim(L"/live"), 2);
}

TEST_F(CadSimServer, AnObjectStillHeldWhenTheServerEndsIsCutOff) {
    auto app = connect();
    auto config = object(activeDoc(app.get()).get(), L"GetActiveConfiguration");
    ASSERT_TRUE(config);
    stopServer();
    const HRESULT hr = call(config.get(), L"Name", kVbStyle, {});
    EXPECT_TRUE(serverIsGone(hr)) << formatHresult(hr);
}

TEST_F(CadSimServer, InjectedFailuresReachTheClientWithTheirCode) {
    auto app = connect();
    auto doc = activeDoc(app.get());
    ASSERT_TRUE(doc);
    auto config = object(doc.get(), L"GetActiveConfiguration");
    auto extension = object(doc.get(), L"Extension");
    auto massProperty = object(extension.get(), L"CreateMassProperty");
    ASSERT_TRUE(config && extension && massProperty);
    const std::size_t before = readLog().size();
    struct Case {
        const char* key;  // Fail.<key>
        IDispatch* target;
        const wchar_t* member;
        WORD flags;
        std::vector<UniqueVariant> args;
        double State::*written;  // the density a working call changes, if any
    };
    double value = 7850.0;
    UniqueBstr database;
    const std::vector<UniqueVariant> none;
    const std::vector<UniqueVariant> hide{UniqueVariant::fromBool(false)};
    const std::vector<UniqueVariant> density{UniqueVariant::fromI4(kDensity)};
    const std::vector<UniqueVariant> write{UniqueVariant::fromI4(kDensity),
                                           UniqueVariant::refR8(&value)};
    const std::vector<UniqueVariant> material{UniqueVariant::fromString(L"Standard"),
                                              textReference(database)};
    const wchar_t* const set = L"SetUserPreferenceDoubleValue";
    const wchar_t* const get = L"GetUserPreferenceDoubleValue";
    const std::vector<Case> cases{
        {"Visible", app.get(), L"Visible", kGet, none, nullptr},
        {"Visible", app.get(), L"Visible", DISPATCH_PROPERTYPUT, hide, nullptr},
        {"ActiveDoc", app.get(), L"ActiveDoc", kGet, none, nullptr},
        {"GetType", doc.get(), L"GetType", kMethod, none, nullptr},
        {"App.SetUserPreferenceDoubleValue", app.get(), set, kMethod, write, &State::systemDensity},
        {"App.GetUserPreferenceDoubleValue", app.get(), get, kMethod, density, nullptr},
        {"Doc.SetUserPreferenceDoubleValue", doc.get(), set, kMethod, write,
         &State::documentDensity},
        {"Doc.GetUserPreferenceDoubleValue", doc.get(), get, kMethod, density, nullptr},
        {"Doc.GetActiveConfiguration", doc.get(), L"GetActiveConfiguration", kVbStyle, none,
         nullptr},
        {"Doc.GetMaterialPropertyName2", doc.get(), L"GetMaterialPropertyName2", kVbStyle, material,
         nullptr},
        {"Doc.Extension", doc.get(), L"Extension", kVbStyle, none, nullptr},
        {"Config.Name", config.get(), L"Name", kVbStyle, none, nullptr},
        {"Extension.CreateMassProperty", extension.get(), L"CreateMassProperty", kVbStyle, none,
         nullptr},
        {"MassProperty.Density", massProperty.get(), L"Density", kVbStyle, none, nullptr},
        {"MassProperty.Mass", massProperty.get(), L"Mass", kVbStyle, none, nullptr},
        {"MassProperty.Volume", massProperty.get(), L"Volume", kVbStyle, none, nullptr},
    };
    std::int32_t code = static_cast<std::int32_t>(0x80040201u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        ++code;  // a different code for every member, so that a mix-up shows
        State failing;
        ASSERT_EQ(failing.fail.set(c.key, code), 1u);
        writeState(failing);
        UniqueVariant result;
        EXPECT_EQ(call(c.target, c.member, c.flags, c.args, &result), code);
        EXPECT_EQ(readState(), failing);  // a failing call changes nothing
        writeState(State{});
        EXPECT_EQ(call(c.target, c.member, c.flags, c.args, &result), S_OK);
        if (c.written != nullptr) {
            EXPECT_EQ(readState().*c.written, 7850.0);
        }
    }
    auto log = readLog();
    ASSERT_EQ(log.size(), before + 2 * cases.size());
    log.erase(log.begin(), log.begin() + static_cast<std::ptrdiff_t>(before));
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(log[2 * i].member, toUtf8(cases[i].member));
        EXPECT_EQ(log[2 * i].outcome, Outcome::Fail);
        EXPECT_EQ(log[2 * i].hresult, static_cast<std::int32_t>(0x80040202u + i));
        EXPECT_EQ(log[2 * i + 1].outcome, Outcome::Ok);
    }
}

TEST_F(CadSimServer, FailureWithDispExceptionDescribesTheMember) {
    State s;
    s.fail.set("GetType", DISP_E_EXCEPTION);
    writeState(s);
    auto app = connect();
    auto doc = activeDoc(app.get());
    velu::win32::UniqueExcepInfo exception;
    EXPECT_EQ(call(doc.get(), L"GetType", kMethod, {}, nullptr, exception.get()), DISP_E_EXCEPTION);
    EXPECT_EQ(exception->scode, E_FAIL);
    ASSERT_NE(exception->bstrDescription, nullptr);
    EXPECT_NE(std::wstring(exception->bstrDescription).find(L"GetType"), std::wstring::npos);
}

TEST_F(CadSimServer, FailureWithDispExceptionOnTheMassPropertiesDescribesTheMember) {
    auto massProperty = massProperties();
    ASSERT_TRUE(massProperty);
    State s;
    s.fail.set("MassProperty.Density", DISP_E_EXCEPTION);
    writeState(s);
    velu::win32::UniqueExcepInfo exception;
    EXPECT_EQ(call(massProperty.get(), L"Density", kVbStyle, {}, nullptr, exception.get()),
              DISP_E_EXCEPTION);
    EXPECT_EQ(exception->scode, E_FAIL);
    ASSERT_NE(exception->bstrSource, nullptr);
    EXPECT_EQ(std::wstring(exception->bstrSource), L"cadsim");
    ASSERT_NE(exception->bstrDescription, nullptr);
    EXPECT_NE(std::wstring(exception->bstrDescription).find(L"Density"), std::wstring::npos);
}

// Counts what the COM runtime asks the client's message filter.
class CountingFilter final : public velu::win32::ComObject<IMessageFilter, IID_IMessageFilter> {
  public:
    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
        return SERVERCALL_ISHANDLED;
    }
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD) override {
        ++retries;
        return 0;  // retry at once
    }
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
        return PENDINGMSG_WAITDEFPROCESS;
    }
    int retries = 0;
};

TEST_F(CadSimServer, RetryLaterRejectsTheNextCallsThenLetsThemThrough) {
    auto app = connect();
    State s;
    s.retryLater = 3;
    writeState(s);
    double value = 7850.0;
    const std::vector<UniqueVariant> args{UniqueVariant::fromI4(kDensity),
                                          UniqueVariant::refR8(&value)};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(call(app.get(), L"SetUserPreferenceDoubleValue", kMethod, args),
                  RPC_E_SERVERCALL_RETRYLATER)
            << "call " << i;
        EXPECT_EQ(readState().retryLater, static_cast<std::uint32_t>(2 - i));
        EXPECT_EQ(readState().systemDensity, 1000.0);
    }
    UniqueVariant ok;
    ASSERT_EQ(call(app.get(), L"SetUserPreferenceDoubleValue", kMethod, args, &ok), S_OK);
    EXPECT_EQ(ok->boolVal, VARIANT_TRUE);
    EXPECT_EQ(readState().systemDensity, 7850.0);

    const auto log = readLog();
    ASSERT_EQ(log.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(log[i].outcome, Outcome::RetryLater);
        // Rejected in Invoke, so the member and arguments are known.
        EXPECT_EQ(log[i].member, "SetUserPreferenceDoubleValue");
        EXPECT_EQ(log[i].arguments.size(), 2u);
    }
    EXPECT_EQ(log[3].outcome, Outcome::Ok);
}

// Under Wine the server's message filter is asked about every call, but its "retry later" is
// not acted on: the call reaches Invoke, whose RPC_E_SERVERCALL_RETRYLATER is what the client
// gets, as the return value of Invoke; the client's own message filter is not consulted.
TEST_F(CadSimServer, UnderWineRetryLaterArrivesAsInvokesResultNotThroughTheMessageFilter) {
    if (!win::runningUnderWine()) GTEST_SKIP() << "describes Wine's COM";
    auto app = connect();
    ComPtr<CountingFilter> filter;
    filter.attach(new CountingFilter);
    HRESULT first = E_FAIL;
    HRESULT second = E_FAIL;
    {
        const velu::win32::MessageFilterRegistration registration(
            ComPtr<IMessageFilter>(filter.get()));
        ASSERT_EQ(registration.result(), S_OK);
        State s;
        s.retryLater = 1;
        writeState(s);
        first = call(app.get(), L"Visible", kGet, {});
        second = call(app.get(), L"Visible", kGet, {});
    }
    EXPECT_EQ(first, RPC_E_SERVERCALL_RETRYLATER);
    EXPECT_EQ(second, S_OK);
    EXPECT_EQ(filter->retries, 0);
    const auto log = readLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].member, "Visible");
    EXPECT_EQ(log[0].outcome, Outcome::RetryLater);
}

TEST_F(CadSimServer, GetActiveObjectAttachesToTheRunningInstance) {
    auto first = connect();
    ASSERT_TRUE(first);
    ASSERT_EQ(call(first.get(), L"Visible", DISPATCH_PROPERTYPUT, {UniqueVariant::fromBool(true)}),
              S_OK);

    ComPtr<IUnknown> running;
    ASSERT_EQ(GetActiveObject(clsid_, nullptr, running.put()), S_OK);
    auto firstIdentity = first.query<IUnknown>(IID_IUnknown);
    EXPECT_EQ(running.get(), firstIdentity.get());
    auto second = connect();
    EXPECT_EQ(second.query<IUnknown>(IID_IUnknown).get(), firstIdentity.get());

    // A client in another apartment gets its own proxy and sees the state held in the server.
    HRESULT otherHr = E_FAIL;
    bool otherSeesVisible = false;
    std::thread other([&] {
        velu::win32::ComApartment com(COINIT_MULTITHREADED);
        ComPtr<IUnknown> unknown;
        otherHr = GetActiveObject(clsid_, nullptr, unknown.put());
        auto app = unknown.query<IDispatch>(IID_IDispatch);
        UniqueVariant visible;
        if (SUCCEEDED(otherHr)) otherHr = call(app.get(), L"Visible", kGet, {}, &visible);
        otherSeesVisible = visible->vt == VT_BOOL && visible->boolVal == VARIANT_TRUE;
    });
    other.join();
    EXPECT_EQ(otherHr, S_OK);
    EXPECT_TRUE(otherSeesVisible);

    EXPECT_EQ(call(first.get(), L"Visible", DISPATCH_PROPERTYPUT, {UniqueVariant::fromBool(false)}),
              S_OK);
}

// Whether windows can be shown here (under Wine that needs an X display, e.g. Xvfb).
bool haveDisplay() {
    velu::win32::UniqueWindow probe(CreateWindowExW(0, L"STATIC", L"probe", WS_OVERLAPPED, 0, 0, 10,
                                                    10, nullptr, nullptr, GetModuleHandleW(nullptr),
                                                    nullptr));
    return static_cast<bool>(probe);
}

TEST_F(CadSimServer, VisibleShowsTheWindow) {
    if (!haveDisplay()) GTEST_SKIP() << "no display to show a window on";
    auto app = connect();
    const std::wstring windowClass =
        L"CadSimWindow" + velu::text::fromUtf8(clsidForProgId(toUtf8(kProgId)));
    HWND window = FindWindowW(windowClass.c_str(), L"CAD stand-in");
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsWindowVisible(window));
    ASSERT_EQ(call(app.get(), L"Visible", DISPATCH_PROPERTYPUT, {UniqueVariant::fromBool(true)}),
              S_OK);
    EXPECT_TRUE(IsWindowVisible(window));
    UniqueVariant visible;
    ASSERT_EQ(call(app.get(), L"Visible", kVbStyle, {}, &visible), S_OK);
    EXPECT_EQ(visible->vt, VT_BOOL);
    EXPECT_EQ(visible->boolVal, VARIANT_TRUE);
    ASSERT_EQ(call(app.get(), L"Visible", DISPATCH_PROPERTYPUT, {UniqueVariant::fromBool(false)}),
              S_OK);
    EXPECT_FALSE(IsWindowVisible(window));
}

TEST_F(CadSimServer, DensitiesSurviveARestart) {
    {
        auto app = connect();
        auto doc = activeDoc(app.get());
        double system = 7850.0, document = 2712.5;
        ASSERT_EQ(call(app.get(), L"SetUserPreferenceDoubleValue", kMethod,
                       {UniqueVariant::fromI4(kDensity), UniqueVariant::refR8(&system)}),
                  S_OK);
        ASSERT_EQ(call(doc.get(), L"SetUserPreferenceDoubleValue", kMethod,
                       {UniqueVariant::fromI4(kDensity), UniqueVariant::refR8(&document)}),
                  S_OK);
        stopServer();
        // The old proxy is cut off (Wine: RPC_S_SERVER_UNAVAILABLE).
        const HRESULT hr = call(app.get(), L"GetUserPreferenceDoubleValue", kMethod,
                                {UniqueVariant::fromI4(kDensity)});
        EXPECT_TRUE(serverIsGone(hr)) << formatHresult(hr);
    }
    auto app = connect();
    auto doc = activeDoc(app.get());
    UniqueVariant system, document;
    ASSERT_EQ(call(app.get(), L"GetUserPreferenceDoubleValue", kMethod,
                   {UniqueVariant::fromI4(kDensity)}, &system),
              S_OK);
    ASSERT_EQ(call(doc.get(), L"GetUserPreferenceDoubleValue", kMethod,
                   {UniqueVariant::fromI4(kDensity)}, &document),
              S_OK);
    EXPECT_EQ(system->dblVal, 7850.0);
    EXPECT_EQ(document->dblVal, 2712.5);
    // The new process goes on with the sequence of the old one.
    const auto log = readLog();
    ASSERT_GE(log.size(), 4u);
    for (std::size_t i = 1; i < log.size(); ++i) EXPECT_GT(log[i].sequence, log[i - 1].sequence);
}

TEST_F(CadSimServer, DieInMemberEndsTheServerAndTheNextStartWorks) {
    auto app = connect();
    State s;
    s.dieInMember = "App.GetUserPreferenceDoubleValue";
    writeState(s);
    // Wine: RPC_S_CALL_FAILED.
    const HRESULT hr = call(app.get(), L"GetUserPreferenceDoubleValue", kMethod,
                            {UniqueVariant::fromI4(kDensity)});
    EXPECT_TRUE(serverIsGone(hr)) << formatHresult(hr);
    EXPECT_EQ(readState().dieInMember, "");
    auto log = readLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].outcome, Outcome::Died);
    app.reset();

    auto again = connect();
    UniqueVariant density;
    EXPECT_EQ(call(again.get(), L"GetUserPreferenceDoubleValue", kMethod,
                   {UniqueVariant::fromI4(kDensity)}, &density),
              S_OK);
    EXPECT_EQ(density->dblVal, 1000.0);
}

TEST_F(CadSimServer, ASlowStartIsWaitedFor) {
    stopServer();
    State s;
    s.createDelayMs = 1500;
    writeState(s);
    const auto start = std::chrono::steady_clock::now();
    auto app = connect();
    const auto waited = std::chrono::steady_clock::now() - start;
    ASSERT_TRUE(app);
    EXPECT_GE(waited, std::chrono::milliseconds(1500));
    UniqueVariant visible;
    EXPECT_EQ(call(app.get(), L"Visible", kGet, {}, &visible), S_OK);
    writeState(State{});
}

// ---------------------------------------------------------------------------------------------
// The assembly, end to end

TEST_F(CadSimServer, TheAssemblyListsItsComponentsAsAnArrayOfObjects) {
    writeAssembly(sampleAssembly());
    auto app = connect();
    auto doc = activeDoc(app.get());
    EXPECT_EQ(textOf(doc.get(), L"GetTitle"), L"Baugruppe1.SLDASM");
    {
        const auto all = componentsOf(doc.get(), false);
        EXPECT_EQ(names2(all),
                  (std::vector<std::wstring>{L"Getriebe-1", L"Getriebe-1/Welle-1",
                                             L"Getriebe-1/Welle-2", L"Getriebe-1/Lager-1",
                                             L"Halter-1", L"Deckel-1", L"Blech^Baugruppe1-1"}));
        EXPECT_EQ(liveObjectsSettlingAt(9), 9);  // the application, the document, 7 components
        EXPECT_EQ(componentsOf(doc.get(), true).size(), 4u);
    }
    EXPECT_EQ(liveObjectsSettlingAt(2), 2);
    EXPECT_EQ(readLog()[2].result, (LogValue{"VT_ARRAY|VT_DISPATCH", "array[7]"}));
    EXPECT_EQ(readLog()[3].object, "component");
    writeAssembly(Assembly{});
    EXPECT_EQ(valueOf(doc.get(), L"GetComponents", {UniqueVariant::fromBool(false)})->vt, VT_EMPTY);
}

TEST_F(CadSimServer, TheComponentsCanComeAsVariantsHoldingObjects) {
    Assembly a = sampleAssembly();
    a.componentsAsVariants = true;
    writeAssembly(a);
    auto doc = activeDoc(connect().get());
    EXPECT_EQ(names2(componentsOf(doc.get(), true, VT_ARRAY | VT_VARIANT)),
              (std::vector<std::wstring>{L"Getriebe-1", L"Halter-1", L"Deckel-1",
                                         L"Blech^Baugruppe1-1"}));
    EXPECT_EQ(readLog()[1].result, (LogValue{"VT_ARRAY|VT_VARIANT", "array[4]"}));
}

TEST_F(CadSimServer, ComponentsTellTheirDocumentConfigurationAndState) {
    const Assembly a = sampleAssembly();
    writeAssembly(a);
    auto doc = activeDoc(connect().get());
    const auto components = componentsOf(doc.get(), false);
    const std::vector<std::size_t> listed{0, 1, 2, 3, 4, 6, 7};
    ASSERT_EQ(components.size(), listed.size());
    for (std::size_t i = 0; i < listed.size(); ++i) {
        const AssemblyComponent& expected = a.components[listed[i]];
        IDispatch* component = components[i].get();
        SCOPED_TRACE(expected.name);
        EXPECT_EQ(textOf(component, L"GetPathName"), velu::text::fromUtf8(expected.document));
        EXPECT_EQ(textOf(component, L"ReferencedConfiguration"),
                  velu::text::fromUtf8(expected.configuration));
        EXPECT_EQ(valueOf(component, L"GetSuppression2")->lVal,
                  static_cast<LONG>(expected.suppression));
        EXPECT_EQ(valueOf(component, L"IsVirtual")->boolVal,
                  listed[i] == 7 ? VARIANT_TRUE : VARIANT_FALSE);
        // Only a resolved component has its document loaded.
        const UniqueVariant model = valueOf(component, L"GetModelDoc2");
        EXPECT_EQ(model->vt, VT_DISPATCH);
        EXPECT_EQ(model->pdispVal != nullptr, expected.suppression == Suppression::Resolved);
    }
    // A sub-assembly's document lists its own components, named from within it.
    auto getriebe = object(components[0].get(), L"GetModelDoc2");
    EXPECT_EQ(valueOf(getriebe.get(), L"GetType")->lVal, 2);
    EXPECT_EQ(textOf(getriebe.get(), L"GetTitle"), L"Getriebe.SLDASM");
    EXPECT_EQ(names2(componentsOf(getriebe.get(), true)),
              (std::vector<std::wstring>{L"Welle-1", L"Welle-2", L"Lager-1"}));
    EXPECT_EQ(valueOf(getriebe.get(), L"Extension")->scode, DISP_E_MEMBERNOTFOUND);
    auto welle = object(components[1].get(), L"GetModelDoc2");
    EXPECT_EQ(valueOf(welle.get(), L"GetType")->lVal, 1);
    EXPECT_EQ(valueOf(welle.get(), L"GetComponents", {UniqueVariant::fromBool(true)})->scode,
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(readLog().back().object, "partDoc");
}

TEST_F(CadSimServer, APartReachedThroughAComponentHasItsOwnMaterialsMassAndDensity) {
    writeAssembly(sampleAssembly());
    auto app = connect();
    const auto components = componentsOf(activeDoc(app.get()).get(), false);
    auto welle = object(components[1].get(), L"GetModelDoc2");
    EXPECT_EQ(textOf(welle.get(), L"GetTitle"), L"Welle.SLDPRT");
    for (const auto& [configuration, material] : {std::pair{L"Standard", L"AISI 304"},
                                                  {L"", L"AISI 304"},
                                                  {L"LEICHT", L""},
                                                  {L"Unbekannt", L""}}) {
        UniqueBstr database(L"vorher");
        EXPECT_EQ(materialOf(welle.get(), configuration, textReference(database)), material);
        EXPECT_EQ(database.view(), *material ? L"SOLIDWORKS Materials" : L"");
    }
    EXPECT_EQ(textOf(object(welle.get(), L"GetActiveConfiguration").get(), L"Name"), L"Standard");
    auto mass = object(object(welle.get(), L"Extension").get(), L"CreateMassProperty");
    EXPECT_EQ(valueOf(mass.get(), L"Density")->dblVal, 8000.0);  // the active configuration's
    EXPECT_EQ(valueOf(mass.get(), L"Mass")->dblVal, 16.0);
    double value = 2700;
    EXPECT_EQ(valueOf(welle.get(), L"SetUserPreferenceDoubleValue",
                      {UniqueVariant::fromI4(kDensity), UniqueVariant::refR8(&value)})
                  ->boolVal,
              VARIANT_TRUE);
    EXPECT_EQ(
        valueOf(welle.get(), L"GetUserPreferenceDoubleValue", {UniqueVariant::fromI4(kDensity)})
            ->dblVal,
        2700.0);
    EXPECT_EQ(readState().assembly.parts[0].density, 2700.0);
    EXPECT_EQ(server_->partDensity("c:\\konstruktion\\welle.sldprt"), 2700.0);
    EXPECT_EQ(readState().documentDensity, 1000.0);  // the active document's is another
    // The virtual part has no body, so no mass properties.
    auto blech = object(components[6].get(), L"GetModelDoc2");
    EXPECT_FALSE(object(object(blech.get(), L"Extension").get(), L"CreateMassProperty"));
}

TEST_F(CadSimServer, APartsWriteIsRefusedWhenReadOnlyAndFailsWhereItIsToldTo) {
    writeAssembly(sampleAssembly());
    const auto components = componentsOf(activeDoc(connect().get()).get(), false);
    double value = 2700;
    auto write = [&](std::size_t component) {
        return valueOf(object(components[component].get(), L"GetModelDoc2").get(),
                       L"SetUserPreferenceDoubleValue",
                       {UniqueVariant::fromI4(kDensity), UniqueVariant::refR8(&value)});
    };
    EXPECT_EQ(write(3)->boolVal, VARIANT_FALSE);                    // Lager: read-only
    EXPECT_EQ(write(5)->scode, static_cast<HRESULT>(0x80004005u));  // Deckel: its write fails
    EXPECT_EQ(write(1)->boolVal, VARIANT_TRUE);  // and the next part is written as ever
    const State after = readState();
    EXPECT_EQ(after.assembly.parts[0].density, 2700.0);
    EXPECT_EQ(after.assembly.parts[1].density, 1000.0);
    EXPECT_EQ(after.assembly.parts[2].density, 1000.0);
}

TEST_F(CadSimServer, FailuresTextAnswersAndDeathsReachTheAssemblysObjects) {
    State s;
    s.activeDoc = DocKind::Assembly;
    s.assembly = sampleAssembly();
    writeState(s);
    const auto components = componentsOf(activeDoc(connect().get()).get(), false);
    auto welle = object(components[1].get(), L"GetModelDoc2");
    constexpr auto kCode = static_cast<HRESULT>(0x80040301u);
    for (const auto& [key, target, member] :
         {std::tuple{"Component.Name2", components[1].get(), L"Name2"},
          {"PartDoc.GetType", welle.get(), L"GetType"}}) {
        State failing = s;
        ASSERT_EQ(failing.fail.set(key, kCode), 1u) << key;
        writeState(failing);
        EXPECT_EQ(valueOf(target, member)->scode, kCode) << key;
    }
    // A member named without its object stays the active part's.
    State bare = s;
    bare.fail.set("GetType", kCode);
    writeState(bare);
    EXPECT_EQ(valueOf(welle.get(), L"GetType")->lVal, 1);
    State text = s;
    text.textAnswer = "Component.GetSuppression2";
    writeState(text);
    EXPECT_EQ(textOf(components[1].get(), L"GetSuppression2"), L"kein Wert");
    State dies = s;
    dies.dieInMember = "PartDoc.GetTitle";
    writeState(dies);
    const HRESULT hr = call(welle.get(), L"GetTitle", kVbStyle, {});
    EXPECT_TRUE(serverIsGone(hr)) << formatHresult(hr);
    EXPECT_EQ(readLog().back().object, "partDoc");
    EXPECT_EQ(readLog().back().outcome, Outcome::Died);
}

TEST_F(CadSimServer, CommandInProgressIsKeptAndLogged) {
    auto app = connect();
    EXPECT_EQ(valueOf(app.get(), L"CommandInProgress")->boolVal, VARIANT_FALSE);
    for (bool value : {true, false}) {
        ASSERT_EQ(call(app.get(), L"CommandInProgress", DISPATCH_PROPERTYPUT,
                       {UniqueVariant::fromBool(value)}),
                  S_OK);
        EXPECT_EQ(readState().commandInProgress, value);
        EXPECT_EQ(valueOf(app.get(), L"commandinprogress")->boolVal,
                  value ? VARIANT_TRUE : VARIANT_FALSE);
    }
    const auto log = readLog();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[1].kind, "put");
    EXPECT_EQ(log[1].arguments, (std::vector<LogValue>{{"VT_BOOL", "true"}}));
    EXPECT_EQ(log[3].arguments, (std::vector<LogValue>{{"VT_BOOL", "false"}}));
}

// ---------------------------------------------------------------------------------------------
// Registration

TEST(Registration, ProgIdIsRequiredAndUnregisteringRemovesIt) {
    EXPECT_EQ(runCadsim(L"/regserver --state a.ini --log a.log"), 2);
    EXPECT_EQ(runCadsim(L"/unregserver"), 2);
    EXPECT_EQ(runCadsim(L"/regserver --progid VelumarTest.CadSimReg --state --log"), 2);

    const wchar_t* progId = L"VelumarTest.CadSimReg";
    ASSERT_EQ(
        runCadsim(L"/regserver --progid VelumarTest.CadSimReg --state \"C:\\some dir\\s.ini\" "
                  L"--log C:\\l.log"),
        0);
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(progId, &clsid), S_OK);
    wchar_t command[1024];
    DWORD size = sizeof command;
    const std::wstring clsidKey = L"Software\\Classes\\CLSID\\" +
                                  velu::text::fromUtf8(clsidForProgId("VelumarTest.CadSimReg"));
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, (clsidKey + L"\\LocalServer32").c_str(), nullptr,
                           RRF_RT_REG_SZ, nullptr, command, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(command),
              win::serverCommandLine(cadsimExe(), progId, L"C:\\some dir\\s.ini", L"C:\\l.log"));

    ASSERT_EQ(runCadsim(L"/unregserver --progid VelumarTest.CadSimReg"), 0);
    EXPECT_NE(CLSIDFromProgID(progId, &clsid), S_OK);
    velu::win32::UniqueKey key;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, clsidKey.c_str(), 0, KEY_READ, key.put()),
              ERROR_SUCCESS);
}

TEST(Registration, ArgumentsAreQuotedForCommandLineToArgv) {
    for (std::wstring arg : {L"plain", L"with space", L"C:\\dir with space\\", L"quote\"inside",
                             L"back\\\\\"slash", L""}) {
        const std::wstring line = L"x.exe " + win::quoteArgument(arg);
        int argc = 0;
        velu::win32::UniqueLocal memory(CommandLineToArgvW(line.c_str(), &argc));
        ASSERT_TRUE(memory);
        auto* argv = static_cast<LPWSTR*>(memory.get());
        const std::wstring back = argc == 2 ? argv[1] : L"<missing>";
        EXPECT_EQ(back, arg) << toUtf8(line);
    }
}

TEST(Registration, WineIsDetectedLikeWineItselfTellsIt) {
    // Wine keeps its own settings under HKCU\Software\Wine; Windows has no such key.
    velu::win32::UniqueKey key;
    const bool wineKey = RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Wine", 0, KEY_READ,
                                       key.put()) == ERROR_SUCCESS;
    EXPECT_EQ(win::runningUnderWine(), wineKey);
}

}  // namespace
}  // namespace cadsim

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const velu::win32::ComApartment com(COINIT_APARTMENTTHREADED);
    if (FAILED(com.result())) return 1;
    return RUN_ALL_TESTS();
}

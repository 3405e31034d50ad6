// The real main window in-process against the CAD stand-in, registered as
// SldWorks.Application in the private Wine prefix: readout, transfer, the options, and the
// warning about a part whose material sets another density. After the clicks the stand-in
// must hold no object the program was given.

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <ostream>
#include <string_view>
#include <thread>

#include "../unit/built_in_texts.h"
#include "cad_link_fixture.h"
#include "support/text.h"
#include "win32/support/user.h"

namespace velu::win32 {
namespace {

using testing::builtIn;

using testing::BoxCatcher;
using ::testing::HasSubstr;

TEST_F(CadLink, ReadsThePartsDensityInTheUsersNumberFormat) {
    scenario.documentDensity = 2700.5;
    apply();
    BoxCatcher catcher;
    press(form().cmdGetDensity);
    EXPECT_EQ(text(form().lblDensity), std::wstring(L"2700") + separator() + L"5");
    EXPECT_TRUE(catcher.boxes.empty());
    expectInStep();
}

TEST_F(CadLink, ReadsTheSystemDefaultWhileANonPartIsActive) {
    scenario.activeDoc = cadsim::DocKind::Assembly;
    scenario.systemDensity = 7850;
    apply();
    BoxCatcher catcher;
    press(form().chkSWXSystemStandard);
    EXPECT_EQ(text(form().lblDensity), L"7850");
    EXPECT_TRUE(catcher.boxes.empty());
    EXPECT_TRUE(ticked(form().mnuGetStandard));
    expectInStep();
}

TEST_F(CadLink, NoDocumentOrAnAssemblyGivesTheWarningAndKeepsTheLabel) {
    for (auto [kind, prompt] : {std::pair{cadsim::DocKind::None, builtIn(config::kNoDocument)},
                                std::pair{cadsim::DocKind::Assembly, builtIn(config::kNotAPart)}}) {
        scenario.activeDoc = kind;
        apply();
        BoxCatcher catcher;
        press(form().cmdGetDensity);
        ASSERT_EQ(catcher.boxes.size(), 1u);
        EXPECT_EQ(catcher.boxes[0].text, prompt);
        EXPECT_EQ(catcher.boxes[0].title, L"velu");
        EXPECT_EQ(catcher.boxes[0].style, MB_ICONWARNING);
        EXPECT_EQ(text(form().lblDensity), L"");
        EXPECT_EQ(statusPicture(), forms::Picture::Error);
        expectInStep();
    }
}

TEST_F(CadLink, AZeroDensityShowsMessageEntryOne) {
    scenario.documentDensity = 0;
    apply();
    press(form().cmdGetDensity);
    EXPECT_EQ(text(form().lblDensity), builtIn(config::kSuccess));
}

TEST_F(CadLink, AFailingCallIsNamedTheLabelStaysAndTheNextClickWorks) {
    scenario.documentDensity = 4500;
    apply();
    press(form().cmdGetDensity);
    ASSERT_EQ(text(form().lblDensity), L"4500");

    scenario.fail.set("Doc.GetUserPreferenceDoubleValue", static_cast<std::int32_t>(0x80004005));
    apply();
    {
        BoxCatcher catcher;
        press(form().chkSWXSystemStandard);  // the system default: works
        press(form().chkSWXSystemStandard);  // back to the part: fails
        ASSERT_EQ(catcher.boxes.size(), 1u);
        EXPECT_EQ(catcher.boxes[0].title, L"velu");
        EXPECT_EQ(catcher.boxes[0].style, MB_ICONERROR);
        EXPECT_THAT(catcher.boxes[0].text, HasSubstr(L"GetUserPreferenceDoubleValue"));
        EXPECT_THAT(catcher.boxes[0].text, HasSubstr(L"0x80004005"));
    }
    EXPECT_EQ(text(form().lblDensity), L"1000");
    expectInStep();

    scenario.fail = {};
    apply();
    press(form().cmdGetDensity);
    EXPECT_EQ(text(form().lblDensity), L"4500");
}

TEST_F(CadLink, AMissingServerIsReportedAndTheProgramGoesOn) {
    runCadsim(L"/shutdown --progid SldWorks.Application");
    ASSERT_EQ(runCadsim(L"/unregserver --progid SldWorks.Application"), 0);
    {
        BoxCatcher catcher;
        press(form().chkSWXSystemStandard);
        ASSERT_EQ(catcher.boxes.size(), 1u);
        EXPECT_THAT(catcher.boxes[0].text, HasSubstr(L"SolidWorks konnte nicht gestartet"));
        EXPECT_THAT(catcher.boxes[0].text, HasSubstr(L"0x800401F3"));
        EXPECT_EQ(text(form().lblDensity), L"");
        expectInStep();
    }
    ASSERT_TRUE(registerCad());
    press(form().cmdGetDensity);
    EXPECT_EQ(text(form().lblDensity), L"1000");
}

TEST_F(CadLink, ABusyServerIsAskedAgainUntilItAnswers) {
    scenario.retryLater = 3;
    scenario.documentDensity = 2700;
    apply();
    BoxCatcher catcher;
    press(form().cmdGetDensity);
    EXPECT_TRUE(catcher.boxes.empty());
    EXPECT_EQ(text(form().lblDensity), L"2700");
    int rejected = 0;
    for (const auto& call : calls()) rejected += call.outcome == cadsim::Outcome::RetryLater;
    EXPECT_EQ(rejected, 3);
}

struct TransferRow {
    int mode;
    cadsim::DocKind document;
    std::vector<std::string> writes;
    std::vector<std::wstring> prompts;
};

class CadTransfer : public CadLink, public ::testing::WithParamInterface<TransferRow> {};

TEST_P(CadTransfer, WritesExactlyWhatTheModeTableSays) {
    const auto& row = GetParam();
    scenario.activeDoc = row.document;
    apply();
    pick(form().cmbAnwendenAuf, row.mode);
    BoxCatcher catcher;
    press(form().cmdSetDensity);
    EXPECT_EQ(writes(), row.writes);
    std::vector<std::wstring> prompts;
    for (const auto& box : catcher.boxes) {
        prompts.push_back(box.text);
        EXPECT_EQ(box.title, builtIn(config::kBoxTitle));
    }
    EXPECT_EQ(prompts, row.prompts);
    if (!row.writes.empty()) {
        const auto state = cadState();
        for (const auto& write : row.writes) {
            EXPECT_EQ(write[0] == 'a' ? state.systemDensity : state.documentDensity, 7850.0);
        }
    }
}

const std::wstring kNoDoc = builtIn(config::kNoDocument);
const std::wstring kNotPart = builtIn(config::kNotAPart);
const std::wstring kNotSet = builtIn(config::kNothingWritten);
const std::wstring kTrying = builtIn(config::kSystemDefaultInstead);
const std::wstring kOk = builtIn(config::kSuccess);

INSTANTIATE_TEST_SUITE_P(
    EveryRow, CadTransfer,
    ::testing::Values(
        TransferRow{0, cadsim::DocKind::None, {"app:7850"}, {kOk}},
        TransferRow{0, cadsim::DocKind::Part, {"app:7850"}, {kOk}},
        TransferRow{1, cadsim::DocKind::None, {}, {kNoDoc + L"\r\n" + kNotSet}},
        TransferRow{1, cadsim::DocKind::Drawing, {}, {kNotPart + L"\r\n" + kNotSet}},
        TransferRow{1, cadsim::DocKind::Part, {"doc:7850"}, {kOk}},
        TransferRow{2, cadsim::DocKind::None, {"app:7850"}, {kNoDoc + L"\r\n" + kTrying, kOk}},
        TransferRow{
            2, cadsim::DocKind::Assembly, {"app:7850"}, {kNotPart + L"\r\n" + kTrying, kOk}},
        TransferRow{2, cadsim::DocKind::Part, {"doc:7850", "app:7850"}, {kOk}}));

TEST_F(CadLink, TheSuccessPictureReplacesTheErrorPictureOfTheWarning) {
    scenario.activeDoc = cadsim::DocKind::None;
    apply();
    pick(form().cmbAnwendenAuf, 2);
    std::vector<forms::Picture> whileOpen;
    BoxCatcher catcher;
    catcher.whileOpen = [&](HWND) { whileOpen.push_back(statusPicture()); };
    press(form().cmdSetDensity);
    EXPECT_EQ(whileOpen, (std::vector{forms::Picture::Error, forms::Picture::Success}));
}

TEST_F(CadLink, TheToolPictureComesBackWhileTheSuccessBoxIsStillOpen) {
    using namespace std::chrono;
    forms::Picture before = forms::Picture::None;
    forms::Picture after = forms::Picture::None;
    milliseconds waited{};
    BoxCatcher catcher;
    catcher.whileOpen = [&](HWND) {
        before = statusPicture();
        const auto start = steady_clock::now();
        testing::pumpUntil([&] { return statusPicture() == forms::Picture::Tool; }, seconds(5));
        waited = duration_cast<milliseconds>(steady_clock::now() - start);
        after = statusPicture();
    };
    press(form().cmdSetDensity);
    EXPECT_EQ(before, forms::Picture::Success);
    EXPECT_EQ(after, forms::Picture::Tool);
    EXPECT_GT(waited.count(), 1000);
    EXPECT_LT(waited.count(), 3000);
}

TEST_F(CadLink, ASuppressedFailureShowsOnlyTheErrorPicture) {
    scenario.documentWriteResult = false;
    apply();
    choose(form().mnuShowErrors);
    BoxCatcher catcher;
    press(form().cmdSetDensity);
    EXPECT_TRUE(catcher.boxes.empty());
    EXPECT_EQ(statusPicture(), forms::Picture::Error);
    EXPECT_EQ(writes(), (std::vector<std::string>{"doc:7850"}));
}

TEST_F(CadLink, TheWriteFromTheCatalogueIsTheStoredDoubleInFullPrecision) {
    testing::FileBesideProgram catalogue(
        L"velu.ini", "[Dichtewerte]\r\nAnzahl=0\r\nName0=Probe\r\nWert0=7850" +
                         std::string(1, static_cast<char>(separator())) + "123456789012\r\n");
    TearDown();
    start();
    pick(form().cmbAnwendenAuf, 0);
    press(form().cmdSetDensity);
    EXPECT_EQ(cadState().systemDensity, 7850.123456789012);
}

// The layer change the window is asked for, as WM_WINDOWPOSCHANGING shows it. Wine 8 does
// not put an unmanaged window into the topmost layer, so the request itself is observed.
struct LayerRequest {
    HWND insertAfter;
    UINT flags;
};
std::vector<LayerRequest> layerRequests;
HWND observedWindow = nullptr;

LRESULT CALLBACK observeLayer(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->hwnd == observedWindow &&
        call->message == WM_WINDOWPOSCHANGING) {
        const auto* position = reinterpret_cast<const WINDOWPOS*>(call->lParam);
        if (!(position->flags & SWP_NOZORDER)) {
            layerRequests.push_back({position->hwndInsertAfter, position->flags});
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(CadLink, AlwaysOnTopAsksForTheTopmostLayerAndBackWithoutMovingTheWindow) {
    RECT before{};
    ::GetWindowRect(main(), &before);
    observedWindow = main();
    layerRequests.clear();
    UniqueHook hook(
        ::SetWindowsHookExW(WH_CALLWNDPROC, &observeLayer, nullptr, ::GetCurrentThreadId()));
    choose(form().mnuAlwaysOnTop);
    EXPECT_TRUE(ticked(form().mnuAlwaysOnTop));
    choose(form().mnuAlwaysOnTop);
    EXPECT_FALSE(ticked(form().mnuAlwaysOnTop));
    hook.reset();

    ASSERT_EQ(layerRequests.size(), 2u);
    EXPECT_EQ(layerRequests[0].insertAfter, HWND_TOPMOST);
    EXPECT_EQ(layerRequests[1].insertAfter, HWND_NOTOPMOST);
    for (const auto& request : layerRequests) {
        EXPECT_EQ(request.flags & (SWP_NOSIZE | SWP_NOMOVE), UINT(SWP_NOSIZE | SWP_NOMOVE));
    }
    RECT after{};
    ::GetWindowRect(main(), &after);
    EXPECT_TRUE(::EqualRect(&before, &after));
}

TEST_F(CadLink, TheApplyToMenuAndListMoveTogetherFromEitherSide) {
    choose(form().mnuAnwendenAllPossible);
    EXPECT_EQ(selected(form().cmbAnwendenAuf), 2);
    EXPECT_TRUE(ticked(form().mnuAnwendenAllPossible));
    EXPECT_FALSE(ticked(form().mnuAnwendenNurAktivesTeil));
    pick(form().cmbAnwendenAuf, 0);
    EXPECT_TRUE(ticked(form().mnuAnwendenSystemStandard));
    EXPECT_FALSE(ticked(form().mnuAnwendenAllPossible));
}

// Faults of the CAD program: whatever fails, the program goes on, names the failing call,
// writes nothing after it, and the next click works.

struct InjectedFault {
    std::string_view key;  // Fail.<key>
    const wchar_t* name;   // as the program names the call
};

TEST_F(CadLink, AnErrorFromEachMemberInTurnStopsTheClickAtThatCall) {
    const InjectedFault faults[] = {
        {"App.Visible", L"Visible"},
        {"App.ActiveDoc", L"ActiveDoc"},
        {"Doc.GetType", L"Gettype"},
        {"Doc.SetUserPreferenceDoubleValue", L"SetUserPreferenceDoubleValue"},
        {"App.SetUserPreferenceDoubleValue", L"SetUserPreferenceDoubleValue"},
        {"Doc.GetUserPreferenceDoubleValue", L"GetUserPreferenceDoubleValue"},
        {"App.GetUserPreferenceDoubleValue", L"GetUserPreferenceDoubleValue"},
    };
    pick(form().cmbAnwendenAuf, 2);
    for (const auto& fault : faults) {
        scenario = cadsim::State{};
        scenario.fail.set(fault.key, static_cast<std::int32_t>(0x80004005));
        // The readout of the system default reaches the application's getter.
        const bool systemRead = fault.key == "App.GetUserPreferenceDoubleValue";
        apply();
        ::DeleteFileW(logPath_.c_str());
        BoxCatcher catcher;
        press(systemRead ? form().chkSWXSystemStandard : form().cmdSetDensity);
        ASSERT_FALSE(catcher.boxes.empty()) << text::toUtf8(fault.name);
        const auto& report = catcher.boxes.back();
        EXPECT_EQ(report.style, MB_ICONERROR);
        EXPECT_THAT(report.text, HasSubstr(fault.name));
        EXPECT_THAT(report.text, HasSubstr(L"0x80004005"));
        const auto log = calls();
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.back().outcome, cadsim::Outcome::Fail) << text::toUtf8(fault.name);
        expectInStep();
        expectEverythingReleased();
        if (systemRead) press(form().chkSWXSystemStandard);
    }
    scenario = cadsim::State{};
    apply();
    BoxCatcher catcher;
    press(form().cmdSetDensity);
    ASSERT_EQ(catcher.boxes.size(), 1u);
    EXPECT_EQ(catcher.boxes[0].text, builtIn(config::kSuccess));
}

TEST_F(CadLink, AnAnswerOfTheWrongTypeNamesItsCallAndNothingIsWrittenAfterIt) {
    pick(form().cmbAnwendenAuf, 2);
    scenario.textAnswer = "Doc.GetType";
    apply();
    BoxCatcher catcher;
    press(form().cmdSetDensity);
    ASSERT_EQ(catcher.boxes.size(), 1u);
    EXPECT_EQ(catcher.boxes[0].title, L"velu");
    EXPECT_EQ(catcher.boxes[0].style, MB_ICONERROR);
    EXPECT_THAT(catcher.boxes[0].text,
                ::testing::StartsWith(
                    L"Der Aufruf \"Gettype\" an das aktive Dokument ist fehlgeschlagen.\r\n"
                    L"Fehler 0x80020005"));
    EXPECT_TRUE(writes().empty());
    EXPECT_EQ(statusPicture(), forms::Picture::Error);
}

TEST_F(CadLink, ADocumentClosedBetweenTwoClicksIsNoticedAtTheSecond) {
    press(form().cmdSetDensity);
    EXPECT_EQ(writes(), (std::vector<std::string>{"doc:7850"}));
    scenario.activeDoc = cadsim::DocKind::None;
    apply();
    BoxCatcher catcher;
    press(form().cmdSetDensity);
    ASSERT_EQ(catcher.boxes.size(), 1u);
    EXPECT_THAT(catcher.boxes[0].text, HasSubstr(builtIn(config::kNoDocument)));
    EXPECT_EQ(writes().size(), 1u);
}

TEST_F(CadLink, AServerThatDiesInAWriteIsReportedAndTheNextClickStartsItAgain) {
    pick(form().cmbAnwendenAuf, 2);
    press(form().cmdGetDensity);  // the server runs
    scenario.dieInMember = "App.SetUserPreferenceDoubleValue";
    apply();
    {
        BoxCatcher catcher;
        press(form().cmdSetDensity);
        ASSERT_EQ(catcher.boxes.size(), 1u);
        EXPECT_EQ(catcher.boxes[0].style, MB_ICONERROR);
        EXPECT_THAT(catcher.boxes[0].text, HasSubstr(L"SetUserPreferenceDoubleValue"));
        EXPECT_EQ(statusPicture(), forms::Picture::Error);
    }
    EXPECT_EQ(calls().back().outcome, cadsim::Outcome::Died);
    EXPECT_EQ(cadState().systemDensity, 1000.0);

    BoxCatcher catcher;
    press(form().cmdSetDensity);
    ASSERT_FALSE(catcher.boxes.empty());
    EXPECT_EQ(catcher.boxes.back().text, builtIn(config::kSuccess));
    EXPECT_EQ(cadState().systemDensity, 7850.0);
}

TEST_F(CadLink, AServerBusyForLongerThanTheLimitIsReportedAndNothingIsWritten) {
    scenario.retryLater = 100000;
    apply();
    BoxCatcher catcher;
    press(form().cmdSetDensity);
    ASSERT_EQ(catcher.boxes.size(), 1u);
    EXPECT_EQ(catcher.boxes[0].style, MB_ICONERROR);
    EXPECT_THAT(catcher.boxes[0].text, HasSubstr(L"0x8001010A"));
    EXPECT_TRUE(writes().empty());
    scenario.retryLater = 0;
    apply();
    press(form().cmdSetDensity);
    EXPECT_EQ(writes(), (std::vector<std::string>{"doc:7850"}));
}

TEST_F(CadLink, WhileTheServerTakesItsTimeToStartTheWindowStillAnswers) {
    runCadsim(L"/shutdown --progid SldWorks.Application");
    scenario.createDelayMs = 10000;
    scenario.documentDensity = 2700;
    apply();
    const HWND window = main();
    std::atomic<int> answered{0};
    std::atomic<bool> done{false};
    std::thread watcher([&] {
        while (!done) {
            DWORD_PTR ignored = 0;
            if (::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 500, &ignored)) {
                ++answered;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
        }
    });
    const auto start = std::chrono::steady_clock::now();
    press(form().cmdGetDensity);
    const auto waited = std::chrono::steady_clock::now() - start;
    done = true;
    watcher.join();
    EXPECT_EQ(text(form().lblDensity), L"2700");
    EXPECT_GT(waited, std::chrono::seconds(9));
    EXPECT_GT(answered.load(), 20);  // about four answers a second for ten seconds
}

// A part with a material of SolidWorks' library: its mass is computed with the material's
// density, not with the one written, and the program says so once after the click.

// What the user does: a transfer in one of the three apply-to modes, or a readout from the
// part or from the system default.
enum class Click { Mode0, Mode1, Mode2, ReadPart, ReadSystem };

class CadMaterial : public CadLink {
  protected:
    void perform(Click click) {
        switch (click) {
            case Click::Mode0:
            case Click::Mode1:
            case Click::Mode2:
                pick(form().cmbAnwendenAuf, static_cast<int>(click));
                press(form().cmdSetDensity);
                break;
            case Click::ReadPart:
                press(form().cmdGetDensity);
                break;
            case Click::ReadSystem:
                press(form().chkSWXSystemStandard);  // ticking it reads the system default
                break;
        }
    }
    void assign(const char* material, double density) {
        scenario.material = material;
        scenario.materialDensity = density;
        apply();
    }
    // 7850.5 in the user's number format.
    std::wstring densityText() { return std::wstring(L"7850") + separator() + L"5"; }
    // The boxes as "title | icon | text", so that a difference shows all three.
    static std::vector<std::wstring> shown(const BoxCatcher& catcher) {
        std::vector<std::wstring> boxes;
        for (const auto& box : catcher.boxes)
            boxes.push_back(describe(box.title, box.style, box.text));
        return boxes;
    }
    static std::wstring describe(const std::wstring& title, LONG_PTR icon,
                                 const std::wstring& text) {
        const wchar_t* iconName = icon == MB_ICONWARNING       ? L"warning"
                                  : icon == MB_ICONINFORMATION ? L"information"
                                  : icon == MB_ICONERROR       ? L"error"
                                                               : L"none";
        return title + L" | " + iconName + L" | " + text;
    }
    static std::wstring success() {
        return describe(kTitle, MB_ICONINFORMATION, builtIn(config::kSuccess));
    }
    static std::wstring warning(const std::wstring& material, const std::wstring& density) {
        return describe(kTitle, MB_ICONWARNING,
                        L"The part's material " + material + L" sets its density to " + density +
                            L" kg/m\u00b3; the density written applies only to parts without a "
                            L"material.");
    }
    // How often the program asked the part for its material.
    int materialQueries() {
        int queries = 0;
        for (const auto& call : calls()) queries += call.member == "GetMaterialPropertyName2";
        return queries;
    }

    inline static const std::wstring kTitle = builtIn(config::kBoxTitle);
};

struct MaterialRow {
    const char* name;
    Click click;
    const char* material;  // assigned to the part; empty: none
    double materialDensity;
    bool warns;
};

void PrintTo(const MaterialRow& row, std::ostream* out) {
    *out << row.name;
}

class CadMaterialRow : public CadMaterial, public ::testing::WithParamInterface<MaterialRow> {};

TEST_P(CadMaterialRow, WarnsOnceAfterAPartWhoseMaterialSetsAnotherDensity) {
    const MaterialRow& row = GetParam();
    assign(row.material, row.materialDensity);
    BoxCatcher catcher;
    perform(row.click);

    const bool transfer = row.click != Click::ReadPart && row.click != Click::ReadSystem;
    const bool onThePart = row.click != Click::Mode0 && row.click != Click::ReadSystem;
    std::vector<std::wstring> expected;
    if (transfer) expected.push_back(success());
    if (row.warns) expected.push_back(warning(text::fromUtf8(row.material), densityText()));
    EXPECT_EQ(shown(catcher), expected);
    // Mode 2's readout after the write asks no more.
    EXPECT_EQ(materialQueries(), onThePart ? 1 : 0);
    if (transfer) {
        EXPECT_EQ(statusPicture(), forms::Picture::Success);
    } else if (row.click == Click::ReadPart) {
        EXPECT_EQ(text(form().lblDensity), L"1000");
    }
    expectEverythingReleased();
}

INSTANTIATE_TEST_SUITE_P(
    EveryRow, CadMaterialRow,
    ::testing::Values(
        // "Stahl", 7850 kg/m³, is written; the part's density setting is 1000 kg/m³.
        MaterialRow{"Mode1_AnotherDensity", Click::Mode1, "AISI 304", 7850.5, true},
        MaterialRow{"Mode2_AnotherDensity", Click::Mode2, "AISI 304", 7850.5, true},
        MaterialRow{"ReadPart_AnotherDensity", Click::ReadPart, "AISI 304", 7850.5, true},
        MaterialRow{"Mode1_NoMaterial", Click::Mode1, "", 7850.5, false},
        MaterialRow{"Mode2_NoMaterial", Click::Mode2, "", 7850.5, false},
        MaterialRow{"ReadPart_NoMaterial", Click::ReadPart, "", 7850.5, false},
        MaterialRow{"Mode1_SameDensity", Click::Mode1, "Stahl S235", 7850, false},
        MaterialRow{"Mode2_SameDensity", Click::Mode2, "Stahl S235", 7850, false},
        MaterialRow{"ReadPart_SameDensity", Click::ReadPart, "Wasser", 1000, false},
        MaterialRow{"Mode0_AnotherDensity", Click::Mode0, "AISI 304", 7850.5, false},
        MaterialRow{"ReadSystem_AnotherDensity", Click::ReadSystem, "AISI 304", 7850.5, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CadMaterial, TheCheckAsksForTheActiveConfigurationsMaterialWithTheDatabaseByReference) {
    scenario.configuration = "Leicht";
    assign("AISI 304", 7850.5);
    press(form().cmdSetDensity);
    std::vector<std::string> check;
    bool written = false;
    for (const auto& call : calls()) {
        written = written || call.member == "SetUserPreferenceDoubleValue";
        if (written && call.member != "SetUserPreferenceDoubleValue") {
            check.push_back(call.object + "." + call.member);
        }
        if (call.member == "Name") {
            EXPECT_EQ(call.result, (cadsim::LogValue{"VT_BSTR", "Leicht"}));
        }
        if (call.member == "GetMaterialPropertyName2") {
            EXPECT_EQ(call.arguments, (std::vector<cadsim::LogValue>{{"VT_BSTR", "Leicht"},
                                                                     {"VT_BYREF|VT_BSTR", ""}}));
            EXPECT_EQ(call.result, (cadsim::LogValue{"VT_BSTR", "AISI 304"}));
        }
    }
    // The override is asked of the same mass properties, once the density differs.
    EXPECT_EQ(check,
              (std::vector<std::string>{"doc.GetActiveConfiguration", "config.Name",
                                        "doc.GetMaterialPropertyName2", "doc.Extension",
                                        "extension.CreateMassProperty", "massProperty.Density",
                                        "massProperty.OverrideMass"}));
    expectEverythingReleased();
}

// A part whose mass is set by hand gets the override's warning instead of the material's.
TEST_F(CadMaterial, APartWhoseMassIsSetByHandIsWarnedAboutTheOverride) {
    scenario.massOverride = 2.5;
    assign("AISI 304", 7850.5);
    BoxCatcher catcher;
    perform(Click::Mode1);
    EXPECT_EQ(shown(catcher), (std::vector{success(), describe(kTitle, MB_ICONWARNING,
                                                               builtIn(config::kMassOverridden))}));
    expectEverythingReleased();
}

// When the warning would not be shown, SolidWorks is not asked for the material at all.
TEST_F(CadMaterial, SuppressedErrorsSkipTheMaterialCheckAndTheSuccessPictureStays) {
    assign("AISI 304", 7850.5);
    choose(form().mnuShowErrors);
    {
        BoxCatcher catcher;
        perform(Click::Mode1);
        EXPECT_EQ(shown(catcher), std::vector{success()});
        EXPECT_EQ(statusPicture(), forms::Picture::Success);
        EXPECT_EQ(materialQueries(), 0);
        expectEverythingReleased();
    }
    standIn().forgetCalls();
    BoxCatcher catcher;
    perform(Click::ReadPart);
    EXPECT_TRUE(catcher.boxes.empty());
    EXPECT_EQ(text(form().lblDensity), L"7850");
    EXPECT_EQ(materialQueries(), 0);
    expectEverythingReleased();
}

TEST_F(CadMaterial, APartWithoutABodyHasNoMassAndGivesNoWarning) {
    scenario.bodies = 0;
    assign("AISI 304", 7850.5);
    BoxCatcher catcher;
    perform(Click::Mode1);
    EXPECT_EQ(shown(catcher), std::vector{success()});
    EXPECT_EQ(statusPicture(), forms::Picture::Success);
    const auto log = calls();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().member, "CreateMassProperty");
    EXPECT_EQ(log.back().result, (cadsim::LogValue{"VT_DISPATCH", "null"}));
    expectEverythingReleased();
}

// A call of the check that fails or answers with a value of the wrong type.
struct CheckFault {
    const char* name;
    const char* member;  // "Object.Member"
    bool wrongType;      // answers with a wrong type instead of failing
    std::int32_t code;
    bool stillWarns;  // the configuration's name only helps: without it the part is asked anyway
};

void PrintTo(const CheckFault& fault, std::ostream* out) {
    *out << fault.name;
}

class CadMaterialFault : public CadMaterial, public ::testing::WithParamInterface<CheckFault> {};

TEST_P(CadMaterialFault, GivesNoWarningLeavesTheSuccessAndReleasesEverything) {
    const CheckFault& fault = GetParam();
    if (fault.wrongType) {
        scenario.textAnswer = fault.member;
    } else {
        scenario.fail.set(fault.member, fault.code);
    }
    assign("AISI 304", 7850.5);
    BoxCatcher catcher;
    perform(Click::Mode2);
    std::vector<std::wstring> expected{success()};
    if (fault.stillWarns) expected.push_back(warning(L"AISI 304", densityText()));
    EXPECT_EQ(shown(catcher), expected);
    EXPECT_EQ(statusPicture(), forms::Picture::Success);
    EXPECT_EQ(text(form().lblDensity), L"7850");  // mode 2's readout went on
    EXPECT_EQ(writes(), (std::vector<std::string>{"doc:7850", "app:7850"}));
    expectEverythingReleased();
}

constexpr auto kFails = static_cast<std::int32_t>(0x80004005);

INSTANTIATE_TEST_SUITE_P(
    EachCall, CadMaterialFault,
    ::testing::Values(
        CheckFault{"ConfigurationFails", "Doc.GetActiveConfiguration", false, kFails, true},
        CheckFault{"ConfigurationIsText", "Doc.GetActiveConfiguration", true, 0, true},
        CheckFault{"NameFails", "Config.Name", false, kFails, true},
        CheckFault{"MaterialFails", "Doc.GetMaterialPropertyName2", false, kFails, false},
        CheckFault{"MaterialFailsWithAnException", "Doc.GetMaterialPropertyName2", false,
                   DISP_E_EXCEPTION, false},
        CheckFault{"MaterialIsNoText", "Doc.GetMaterialPropertyName2", true, 0, false},
        CheckFault{"ExtensionFails", "Doc.Extension", false, kFails, false},
        CheckFault{"ExtensionIsText", "Doc.Extension", true, 0, false},
        CheckFault{"MassPropertyFails", "Extension.CreateMassProperty", false, kFails, false},
        CheckFault{"MassPropertyIsText", "Extension.CreateMassProperty", true, 0, false},
        CheckFault{"DensityFails", "MassProperty.Density", false, kFails, false},
        CheckFault{"DensityIsText", "MassProperty.Density", true, 0, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CadMaterial, AServerThatDiesDuringTheCheckGivesNoWarningAndTheNextClickWorks) {
    scenario.dieInMember = "Doc.GetMaterialPropertyName2";
    assign("AISI 304", 7850.5);
    {
        BoxCatcher catcher;
        perform(Click::Mode1);
        EXPECT_EQ(shown(catcher), std::vector{success()});
        EXPECT_EQ(statusPicture(), forms::Picture::Success);
    }
    EXPECT_EQ(calls().back().outcome, cadsim::Outcome::Died);
    BoxCatcher catcher;
    perform(Click::Mode1);
    EXPECT_EQ(shown(catcher), (std::vector{success(), warning(L"AISI 304", densityText())}));
    expectEverythingReleased();
}

}  // namespace
}  // namespace velu::win32

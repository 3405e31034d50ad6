// The assembly window of the real program against the CAD stand-in playing an assembly: one
// assembly end to end with its masses and a mass set by hand, a failure in the middle of a
// part, an array of components that is not what its tag says, a write that fails in the
// middle, a cancel, and after each the stand-in holds nothing the program was given, the
// application included.

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "../unit/built_in_texts.h"
#include "assembly/part_list_text.h"
#include "cad_link_fixture.h"
#include "config/message_table.h"
#include "support/text.h"
#include "testing/box_catcher.h"
#include "testing/files.h"
#include "testing/messages.h"
#include "testing/windows_found.h"
#include "win32/support/file_bytes.h"

namespace velu::win32 {
namespace {

using testing::builtIn;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Suppression = cadsim::Suppression;
using namespace assembly;  // the columns of the list

cadsim::AssemblyPart part(std::string path, std::string material = "") {
    cadsim::AssemblyPart made;
    made.path = std::move(path);
    made.configurations = {
        {.name = "Standard", .material = std::move(material), .materialDensity = 7900}};
    return made;
}

// The file name box of the Save As dialog (cmb13 of the common dialogs).
constexpr int kFileNameBox = 0x47C;

std::string bytesOf(const std::wstring& path) {
    return win32::readFileBytes(path).value_or("");
}

std::wstring clipboardText() {
    std::wstring text;
    if (!::OpenClipboard(nullptr)) return text;
    if (const HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* locked = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = locked;
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

class CadAssembly : public CadLink {
  protected:
    void SetUp() override {
        CadLink::SetUp();
        scenario.activeDoc = cadsim::DocKind::Assembly;
        scenario.assembly.title = "Getriebe.SLDASM";
        pick(form().cmbAnwendenAuf, 3);
    }

    // Presses "Dichte nach SWX übertragen" and runs `drive` while the assembly window is
    // open; the window is closed afterwards if `drive` left it open (a run under way is
    // cancelled first).
    void inAssemblyWindow(const std::function<void()>& drive) {
        bool opened = false;
        application->whenAssemblyOpens([&] {
            opened = true;
            drive();
            for (int attempt = 0; attempt < 3 && assemblyWindow(); ++attempt) {
                pressInWindow(form2().cmdSchliessen);
                waitWhileWorking();
            }
        });
        press(form().cmdSetDensity);
        EXPECT_TRUE(opened);
    }
    HWND assemblyWindow() {
        FormWindow* window = application->assemblyFormWindow();
        return window && ::IsWindow(window->handle()) ? window->handle() : nullptr;
    }
    assembly::AssemblyForm& form2() { return application->assemblyWindow()->form(); }
    HWND of(const forms::Control& control) {
        return application->assemblyFormWindow()->controlWindow(control);
    }
    void pressInWindow(const forms::Control& button) { ::SendMessageW(of(button), BM_CLICK, 0, 0); }
    bool waitWhileWorking() {
        return testing::pumpUntil([this] { return !form2().working(); }, std::chrono::seconds(60));
    }
    // A column of the list as the window shows it.
    std::vector<std::wstring> column(Column index) {
        const HWND list = of(form2().lvwTeile);
        std::vector<std::wstring> cells;
        for (int row = 0; row < ListView_GetItemCount(list); ++row) {
            wchar_t cell[256] = {};
            ListView_GetItemText(list, row, static_cast<int>(index), cell, 256);
            cells.emplace_back(cell);
        }
        return cells;
    }
    std::wstring status() { return testing::windowText(of(form2().lblStatus)); }
    std::wstring number(const std::wstring& text) {
        std::wstring shown = text;
        for (auto& c : shown) {
            if (c == L'.') c = separator();
        }
        return shown;
    }
    // The assembly's parts, each used by one component.
    void usedOnceEach(std::vector<cadsim::AssemblyPart> parts) {
        scenario.assembly.parts = std::move(parts);
        for (const auto& p : scenario.assembly.parts) {
            scenario.assembly.components.push_back({.name = "x", .document = p.path});
        }
    }
    // Presses "Liste speichern…" and answers the Save As dialog with this path, and a question
    // whether to replace a file that is there with Yes; the boxes shown are caught.
    void saveAs(const std::wstring& path, testing::BoxCatcher& catcher) {
        catcher.whileOpen = [&path](HWND dialog) {
            if (::GetDlgItem(dialog, IDYES)) {
                ::PostMessageW(dialog, WM_COMMAND, IDYES, 0);
            } else if (::GetDlgItem(dialog, kFileNameBox)) {
                ::SetDlgItemTextW(dialog, kFileNameBox, path.c_str());
            }
        };
        pressInWindow(form2().cmdSpeichern);
    }
    // The rows as the window shows them, every cell.
    std::vector<TextRow> shownRows() {
        std::vector<TextRow> rows;
        for (std::size_t c = 0; c < kColumns; ++c) {
            const auto cells = column(static_cast<Column>(c));
            rows.resize(cells.size());
            for (std::size_t r = 0; r < cells.size(); ++r) rows[r].push_back(cells[r]);
        }
        return rows;
    }
    // The values CommandInProgress was given, in order.
    std::vector<std::string> commandInProgress() {
        std::vector<std::string> values;
        for (const auto& call : calls()) {
            if (call.member == "CommandInProgress" && call.kind == "put") {
                values.push_back(call.arguments.at(0).text);
            }
        }
        return values;
    }
};

TEST_F(CadAssembly, ListsEveryPartAndWritesTheTickedOnesEndToEnd) {
    scenario.assembly.subAssemblies = {"C:\\Konstruktion\\Getriebe.SLDASM"};
    scenario.assembly.parts = {part("C:\\Konstruktion\\Welle.SLDPRT"),
                               part("C:\\Konstruktion\\Gehäuse.SLDPRT", "AISI 304"),
                               part("C:\\Konstruktion\\Deckel.SLDPRT"),
                               part("C:\\Konstruktion\\Stift.SLDPRT"),
                               part("C:\\Konstruktion\\Lager.SLDPRT")};
    scenario.assembly.parts[0].configurations.push_back({.name = "Lang"});
    scenario.assembly.parts[1].configurations.push_back({.name = "Lang"});
    scenario.assembly.parts[3].readOnly = true;
    scenario.assembly.parts[4].massOverride = 2.5;
    scenario.assembly.components = {
        {.name = "Getriebe-1", .document = "C:\\Konstruktion\\Getriebe.SLDASM"},
        {.name = "Welle-1", .document = "C:\\Konstruktion\\Welle.SLDPRT", .parent = 0},
        {.name = "Welle-2", .document = "C:\\Konstruktion\\WELLE.sldprt", .configuration = "Lang"},
        {.name = "Gehäuse-1", .document = "C:\\Konstruktion\\Gehäuse.SLDPRT"},
        {.name = "Gehäuse-2",
         .document = "C:\\Konstruktion\\Gehäuse.SLDPRT",
         .configuration = "Lang"},
        {.name = "Deckel-1",
         .document = "C:\\Konstruktion\\Deckel.SLDPRT",
         .suppression = Suppression::Lightweight},
        {.name = "Schraube-1",
         .document = "C:\\Konstruktion\\Welle.SLDPRT",
         .suppression = Suppression::Suppressed},
        {.name = "Stift-1", .document = "C:\\Konstruktion\\Stift.SLDPRT"},
        {.name = "Lager-1", .document = "C:\\Konstruktion\\Lager.SLDPRT"},
    };
    apply();
    standIn().resetCallCounts();
    testing::BoxCatcher catcher;
    inAssemblyWindow([&] {
        ASSERT_TRUE(waitWhileWorking());
        EXPECT_THAT(testing::windowText(assemblyWindow()), HasSubstr(L"Getriebe.SLDASM"));
        EXPECT_THAT(column(kPart), ElementsAre(L"Welle.SLDPRT", L"Gehäuse.SLDPRT", L"Deckel.SLDPRT",
                                               L"Stift.SLDPRT", L"Lager.SLDPRT"));
        EXPECT_THAT(column(kInstances), ElementsAre(L"2", L"2", L"1", L"1", L"1"));
        EXPECT_EQ(column(kConfigurations)[0], L"Standard, Lang");
        EXPECT_EQ(column(kMaterials)[1], L"AISI 304, \u2013");
        EXPECT_EQ(column(kMassDensity)[1], L"7900");
        EXPECT_EQ(column(kMass)[1], number(L"7.900"));
        // Welle 1 + 1, Gehäuse 7.9 + 1, Deckel 1, Stift 1, Lager 2.5 kg by hand.
        EXPECT_EQ(status(),
                  config::fillIn(builtIn(config::kPartsListed), {L"5", L"4", L"1", L"1"}) + L" " +
                      config::fillIn(builtIn(config::kAssemblyMass), {number(L"15.400")}));

        pressInWindow(form2().cmdUebertragen);
        ASSERT_TRUE(waitWhileWorking());
        EXPECT_EQ(column(kDensity)[0], number(L"7850"));
        EXPECT_EQ(column(kMass)[0], number(L"7.850"));
        EXPECT_THAT(column(kResult),
                    ElementsAre(builtIn(config::kResultWritten),
                                config::fillIn(builtIn(config::kResultMaterialDecides), {L"7900"}),
                                builtIn(config::kResultNotLoaded), builtIn(config::kResultRefused),
                                builtIn(config::kResultMassOverridden)));
        // Welle 7.85 + 7.85, Gehäuse 7.9 + 7.85, Deckel 1, Stift 1, Lager 2.5.
        EXPECT_THAT(status(), HasSubstr(config::fillIn(builtIn(config::kAssemblyMassChanged),
                                                       {number(L"15.400"), number(L"35.950")})));
    });
    EXPECT_TRUE(catcher.boxes.empty());
    EXPECT_EQ(standIn().partDensity("C:\\Konstruktion\\Welle.SLDPRT"), 7850.0);
    EXPECT_EQ(standIn().partDensity("C:\\Konstruktion\\Gehäuse.SLDPRT"), 7850.0);
    EXPECT_EQ(standIn().partDensity("C:\\Konstruktion\\Stift.SLDPRT"), 1000.0);
    EXPECT_EQ(statusPicture(), forms::Picture::Error);  // a part refused
    EXPECT_THAT(commandInProgress(), ElementsAre("true", "false", "true", "false"));
    // Member names are looked up once per kind of object, not once per call.
    const auto counts = standIn().callCounts();
    ASSERT_TRUE(counts);
    EXPECT_LE(counts->nameLookups, 30u);
    expectEverythingReleased();
}

// A failed call in the middle of a part leaves that part without a row; the rows read
// before stay, and the box names the call.
TEST_F(CadAssembly, AFailureInTheMiddleOfAPartLeavesItWithoutARow) {
    usedOnceEach({part("C:\\P\\A.SLDPRT"), part("C:\\P\\B.SLDPRT"), part("C:\\P\\C.SLDPRT")});
    scenario.assembly.parts[1].failMember = "GetMaterialPropertyName2";
    apply();
    testing::BoxCatcher catcher;
    inAssemblyWindow([&] {
        ASSERT_TRUE(waitWhileWorking());
        EXPECT_THAT(column(kPart), ElementsAre(L"A.SLDPRT"));
        EXPECT_THAT(status(),
                    HasSubstr(config::fillIn(builtIn(config::kStoppedAfter), {L"2", L"3"})));
    });
    ASSERT_EQ(catcher.boxes.size(), 1u);
    EXPECT_THAT(catcher.boxes[0].text, HasSubstr(L"GetMaterialPropertyName2"));
    EXPECT_THAT(catcher.boxes[0].text, HasSubstr(L"B.SLDPRT"));
    EXPECT_EQ(commandInProgress().back(), "false");
    expectEverythingReleased();
}

// An array whose elements are not what its tag says is refused whole: the box names the call,
// nothing is listed, and the program goes on. Under Wine 8 an array tagged as variants that
// holds object pointers arrives without the flags that tell what it holds: nobody can release
// its elements then, and the stand-in goes on counting them.
TEST_F(CadAssembly, AnArrayOfComponentsWhoseElementsDifferFromItsTagIsRefused) {
    scenario.assembly.parts = {part("C:\\P\\A.SLDPRT")};
    scenario.assembly.components = {{.name = "A-1", .document = "C:\\P\\A.SLDPRT"}};
    scenario.assembly.mismatchedComponents = true;
    for (const bool taggedAsVariants : {false, true}) {
        scenario.assembly.componentsAsVariants = taggedAsVariants;
        apply();
        testing::BoxCatcher catcher;
        inAssemblyWindow([&] {
            ASSERT_TRUE(waitWhileWorking());
            EXPECT_TRUE(column(kPart).empty());
        });
        ASSERT_EQ(catcher.boxes.size(), 1u);
        EXPECT_THAT(catcher.boxes[0].text, HasSubstr(L"\"GetComponents\""));
        if (!taggedAsVariants) expectEverythingReleased();
    }
}

TEST_F(CadAssembly, AWriteThatFailsInTheMiddleStopsThereAndKeepsWhatWasWritten) {
    usedOnceEach({part("C:\\P\\A.SLDPRT"), part("C:\\P\\B.SLDPRT"), part("C:\\P\\C.SLDPRT")});
    scenario.assembly.parts[1].failWrite = static_cast<std::int32_t>(0x80004005);
    apply();
    testing::BoxCatcher catcher;
    inAssemblyWindow([&] {
        ASSERT_TRUE(waitWhileWorking());
        pressInWindow(form2().cmdUebertragen);
        ASSERT_TRUE(waitWhileWorking());
        EXPECT_THAT(column(kResult), ElementsAre(builtIn(config::kResultWritten), L"", L""));
        EXPECT_TRUE(::IsWindowEnabled(of(form2().cmdUebertragen)));
    });
    ASSERT_EQ(catcher.boxes.size(), 1u);
    EXPECT_THAT(catcher.boxes[0].text, HasSubstr(L"SetUserPreferenceDoubleValue"));
    EXPECT_THAT(catcher.boxes[0].text, HasSubstr(L"B.SLDPRT"));
    EXPECT_EQ(standIn().partDensity("C:\\P\\A.SLDPRT"), 7850.0);
    EXPECT_EQ(standIn().partDensity("C:\\P\\C.SLDPRT"), 1000.0);
    EXPECT_EQ(commandInProgress().back(), "false");
    expectEverythingReleased();
}

// Undo after two writes: every part the window changed has its first density again in
// SolidWorks, and the assembly its first mass.
TEST_F(CadAssembly, UndoReturnsThePartsAndTheAssemblysMassToWhatTheyWere) {
    usedOnceEach({part("C:\\P\\A.SLDPRT"), part("C:\\P\\B.SLDPRT"), part("C:\\P\\C.SLDPRT")});
    scenario.assembly.parts[1].density = 2700;
    scenario.assembly.parts[2].readOnly = true;
    apply();
    testing::BoxCatcher catcher;
    inAssemblyWindow([&] {
        ASSERT_TRUE(waitWhileWorking());
        const std::wstring listed = status();
        EXPECT_FALSE(::IsWindowEnabled(of(form2().cmdRueckgaengig)));
        for (int write = 0; write < 2; ++write) {
            pressInWindow(form2().cmdUebertragen);
            ASSERT_TRUE(waitWhileWorking());
        }
        EXPECT_EQ(standIn().partDensity("C:\\P\\B.SLDPRT"), 7850.0);
        pressInWindow(form2().cmdRueckgaengig);
        ASSERT_TRUE(waitWhileWorking());
        EXPECT_THAT(column(kResult),
                    ElementsAre(builtIn(config::kResultReset), builtIn(config::kResultReset),
                                builtIn(config::kResultRefused)));
        EXPECT_THAT(column(kDensity), ElementsAre(L"1000", L"2700", L"1000"));
        EXPECT_THAT(status(),
                    HasSubstr(config::fillIn(builtIn(config::kPartsReset), {L"2", L"0"})));
        // 1 + 2.7 + 1 kg as listed.
        EXPECT_THAT(status(), HasSubstr(config::fillIn(builtIn(config::kAssemblyMassChanged),
                                                       {number(L"16.700"), number(L"4.700")})));
        EXPECT_THAT(listed, HasSubstr(number(L"4.700")));
        EXPECT_FALSE(::IsWindowEnabled(of(form2().cmdRueckgaengig)));
    });
    EXPECT_TRUE(catcher.boxes.empty());
    EXPECT_EQ(standIn().partDensity("C:\\P\\A.SLDPRT"), 1000.0);
    EXPECT_EQ(standIn().partDensity("C:\\P\\B.SLDPRT"), 2700.0);
    EXPECT_EQ(standIn().partDensity("C:\\P\\C.SLDPRT"), 1000.0);
    expectEverythingReleased();
}

// The Save As dialog writes the list as shown into the file chosen; a file that cannot be
// replaced (it is open elsewhere) stays as it was, and the box names it and the reason.
TEST_F(CadAssembly, SavesTheListAsShownAndLeavesAFileItCannotReplaceIntact) {
    scenario.assembly.parts = {part("C:\\P\\Gehäuse.SLDPRT", "AISI 304")};
    scenario.assembly.components = {{.name = "G-1", .document = "C:\\P\\Gehäuse.SLDPRT"}};
    apply();
    const std::wstring path = testing::besideProgram(L"Getriebe - Liste.csv");
    ::DeleteFileW(path.c_str());
    inAssemblyWindow([&] {
        ASSERT_TRUE(waitWhileWorking());
        {
            testing::BoxCatcher catcher;
            saveAs(path, catcher);
            ASSERT_EQ(catcher.boxes.size(), 1u);  // the dialog
        }
        const char separator = this->separator() == L',' ? ';' : ',';
        const std::string saved = bytesOf(path);
        EXPECT_EQ(saved.substr(0, 3), "\xEF\xBB\xBF");
        EXPECT_THAT(saved, HasSubstr(std::string("Geh\xC3\xA4use.SLDPRT") + separator + "1" +
                                     separator + "Standard" + separator + "AISI 304" + separator +
                                     "1000" + separator + "7900" + separator));
        EXPECT_THAT(saved,
                    HasSubstr(std::string(1, separator) + "C:\\P\\Geh\xC3\xA4use.SLDPRT\r\n"));
        EXPECT_THAT(saved, HasSubstr("\r\nGetriebe.SLDASM" + std::string(1, separator)));

        // Kept open without sharing, as Excel keeps a file it shows.
        const win32::UniqueKernelHandle held(
            ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        testing::BoxCatcher catcher;
        saveAs(path, catcher);
        ASSERT_EQ(catcher.boxes.size(), 3u);  // the dialog, its question, the failure
        EXPECT_THAT(catcher.boxes[2].text, HasSubstr(path));
        EXPECT_EQ(catcher.boxes[2].style, MB_ICONERROR);
    });
    EXPECT_THAT(bytesOf(path), HasSubstr("Standard"));
    ::DeleteFileW(path.c_str());
    expectEverythingReleased();
}

// Ctrl+C in the list puts what the list shows on the clipboard, the selected rows only once
// rows are selected.
TEST_F(CadAssembly, CopiesWhatTheListShowsToTheClipboard) {
    usedOnceEach({part("C:\\P\\A.SLDPRT"), part("C:\\P\\B.SLDPRT", "Messing")});
    apply();
    inAssemblyWindow([&] {
        ASSERT_TRUE(waitWhileWorking());
        const HWND list = of(form2().lvwTeile);
        auto pressCtrl = [&](WORD key) {
            BYTE keys[256] = {};
            ::GetKeyboardState(keys);
            keys[VK_CONTROL] = 0x80;
            ::SetKeyboardState(keys);
            ::SendMessageW(list, WM_KEYDOWN, key, 0);
            keys[VK_CONTROL] = 0;
            ::SetKeyboardState(keys);
        };
        // The text a list of headings and rows makes is the format's own test; here the rows
        // are those the window shows.
        const auto shown = shownRows();
        const auto headings = form2().lvwTeile.headings();
        pressCtrl('C');
        EXPECT_EQ(clipboardText(), assembly::clipboardText(headings, shown));
        ListView_SetItemState(list, 1, LVIS_SELECTED, LVIS_SELECTED);
        pressCtrl('C');
        EXPECT_EQ(clipboardText(), assembly::clipboardText(headings, {shown[1]}));
        // Selecting changed no tick.
        EXPECT_TRUE(ListView_GetCheckState(list, 0) && !ListView_GetCheckState(list, 1));
        pressCtrl('A');
        pressCtrl('C');
        EXPECT_EQ(clipboardText(), assembly::clipboardText(headings, shown));
    });
    expectEverythingReleased();
}

TEST_F(CadAssembly, ACancelStopsTheListingAtOnceAndLetsGoOfEverything) {
    scenario.generate = {400, 100, 2};
    scenario.callDelayMs = 5;
    apply();
    inAssemblyWindow([&] {
        ASSERT_TRUE(testing::pumpUntil([this] { return form2().prgFortschritt.progress() > 0; },
                                       std::chrono::seconds(30)));
        pressInWindow(form2().cmdSchliessen);
        ASSERT_TRUE(waitWhileWorking());
        EXPECT_LT(form2().prgFortschritt.progress(), 400u);
        EXPECT_THAT(status(), HasSubstr(L"400"));
        EXPECT_NE(assemblyWindow(), nullptr);  // cancelled, not closed
    });
    EXPECT_EQ(assemblyWindow(), nullptr);
    EXPECT_FALSE(cadState().commandInProgress);
    expectEverythingReleased();
}

}  // namespace
}  // namespace velu::win32

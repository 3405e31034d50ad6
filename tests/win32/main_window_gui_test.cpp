// The real main window in-process: made from the form model, driven with real messages.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>

#include "../unit/fakes.h"
#include "gui_harness.h"
#include "win32/application.h"
#include "win32/platform_services.h"

namespace velu::win32 {
namespace {

using testing::BoxCatcher;
using testing::windowText;

std::wstring besideProgram(const wchar_t* name) {
    return WindowsFileSystem().executableDirectory() + L"\\" + name;
}

// A catalogue or interface text file beside the test program, removed again at the end.
class FileBesideProgram {
  public:
    FileBesideProgram(const wchar_t* name, const std::string& bytes) : path_(besideProgram(name)) {
        std::ofstream(path_.c_str(), std::ios::binary) << bytes;
    }
    ~FileBesideProgram() { ::DeleteFileW(path_.c_str()); }

  private:
    std::wstring path_;
};

class MainWindowGui : public ::testing::Test {
  protected:
    void start() {
        application = std::make_unique<Application>(::GetModuleHandleW(nullptr), process);
        application->start(SW_SHOWNORMAL);
        testing::pumpMessages();
    }
    void TearDown() override {
        application.reset();
        testing::pumpMessages();
    }
    HWND window(const wchar_t* name) { return application->mainFormWindow().controlWindow(name); }
    HWND main() { return application->mainFormWindow().handle(); }

    // Picks a list entry the way a user does: the list changes, then tells its parent.
    void pick(const wchar_t* list, int index) {
        const HWND combo = window(list);
        ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        ::SendMessageW(main(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(combo), CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(combo));
    }

    std::vector<std::wstring> entries(const wchar_t* list) {
        const HWND combo = window(list);
        std::vector<std::wstring> result;
        const auto count = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            std::wstring text(
                static_cast<std::size_t>(::SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)), L'\0');
            ::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
            result.push_back(text);
        }
        return result;
    }

    testing::RecordingProcess process;
    std::unique_ptr<Application> application;
};

TEST_F(MainWindowGui, EveryControlSitsAtItsTwipsPositionAndTheClientAreaHasItsSize) {
    start();
    auto& formWindow = application->mainFormWindow();
    ASSERT_EQ(formWindow.dpi(), 96u);
    RECT client{};
    ::GetClientRect(main(), &client);
    EXPECT_EQ(client.right, 305);
    EXPECT_EQ(client.bottom, 337);

    int checked = 0;
    for (const auto& control : application->mainWindow().form().controls()) {
        const HWND hwnd = formWindow.controlWindow(control->name());
        if (!hwnd) continue;
        const auto twips = formWindow.absoluteTwips(*control);
        RECT rect{};
        ::GetWindowRect(hwnd, &rect);
        ::MapWindowPoints(nullptr, main(), reinterpret_cast<POINT*>(&rect), 2);
        const std::string name(control->name().begin(), control->name().end());
        EXPECT_NEAR(rect.left, twips.left / 15.0, 1.0) << name;
        EXPECT_NEAR(rect.top, twips.top / 15.0, 1.0) << name;
        const auto& d = control->definition();
        const bool ownSize = d.autoSize || control->kind() == forms::Kind::Image;
        if (!ownSize) {
            EXPECT_NEAR(rect.right - rect.left, twips.width / 15.0, 1.0) << name;
            EXPECT_NEAR(rect.bottom - rect.top, twips.height / 15.0, 1.0) << name;
        }
        ++checked;
    }
    EXPECT_EQ(checked, 17);  // all 22 but the borderless frame, the timer and the 3 holders
}

TEST_F(MainWindowGui, TabGoesFromAboutRoundTheWindowBackToAbout) {
    start();
    EXPECT_EQ(::GetFocus(), window(L"cmdAbout"));
    const wchar_t* order[] = {L"cmdGetDensity", L"chkSWXSystemStandard", L"cmdSetDensity",
                              L"cmbAuswahl",    L"cmbAnwendenAuf",       L"cmdExit",
                              L"cmdAbout"};
    HWND current = window(L"cmdAbout");
    for (const wchar_t* next : order) {
        current = ::GetNextDlgTabItem(main(), current, FALSE);
        EXPECT_EQ(current, window(next)) << std::string(next, next + wcslen(next));
    }
}

TEST_F(MainWindowGui, StartsWithTheBuiltInMaterialsStahlSelectedAndEntryOneOfApplyTo) {
    start();
    EXPECT_EQ(entries(L"cmbAuswahl"),
              (std::vector<std::wstring>{L"Wasser", L"Aluminium", L"Stahl"}));
    EXPECT_EQ(::SendMessageW(window(L"cmbAuswahl"), CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(windowText(window(L"lblAuswahlWert")), L"7850");
    EXPECT_EQ(::SendMessageW(window(L"cmbAnwendenAuf"), CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(windowText(main()), L"Velumar - Density");
    EXPECT_EQ(windowText(window(L"cmdSetDensity")), L"Dichte nach &SWX übertragen");
    EXPECT_NE(::SendMessageW(window(L"imgVis"), STM_GETICON, 0, 0), 0);
}

TEST_F(MainWindowGui, PickingAMaterialShowsItsDensity) {
    start();
    pick(L"cmbAuswahl", 1);
    EXPECT_EQ(windowText(window(L"lblAuswahlWert")), L"2700");
    pick(L"cmbAuswahl", 0);
    EXPECT_EQ(windowText(window(L"lblAuswahlWert")), L"1000");
}

TEST_F(MainWindowGui, DensitiesUseTheDecimalSeparatorOfTheUsersLocale) {
    // scripts/test runs this program under a German and an English locale.
    const char* expected = std::getenv("VELU_TEST_DECIMAL");
    if (!expected) GTEST_SKIP() << "VELU_TEST_DECIMAL names the locale's separator";
    FileBesideProgram catalogue(
        L"velu.ini",
        std::string("[Dichtewerte]\r\nAnzahl=0\r\nName0=Probe\r\nWert0=1") + expected + "25\r\n");
    start();
    EXPECT_EQ(windowText(window(L"lblAuswahlWert")),
              std::wstring(L"1") + static_cast<wchar_t>(expected[0]) + L"25");
}

TEST_F(MainWindowGui, ABadCatalogueGivesItsWarningAndTheBuiltInList) {
    FileBesideProgram catalogue(L"velu.ini",
                                "[Dichtewerte]\r\nAnzahl=1\r\nName0=A\r\nWert0=zwei\r\n");
    BoxCatcher catcher;
    start();
    ASSERT_EQ(catcher.boxes.size(), 1u);
    EXPECT_EQ(catcher.boxes[0].title, L"velu");
    EXPECT_NE(catcher.boxes[0].text.find(L"Wert0"), std::wstring::npos);
    EXPECT_NE(catcher.boxes[0].text.find(L"velu.ini"), std::wstring::npos);
    EXPECT_EQ(catcher.boxes[0].style, MB_ICONWARNING);
    EXPECT_EQ(entries(L"cmbAuswahl"),
              (std::vector<std::wstring>{L"Wasser", L"Aluminium", L"Stahl"}));
}

TEST_F(MainWindowGui, EndeAndBeendenEndTheProgram) {
    start();
    ::SendMessageW(window(L"cmdExit"), BM_CLICK, 0, 0);
    EXPECT_EQ(process.ended, 1);
    ::SendMessageW(main(), WM_COMMAND,
                   MAKEWPARAM(application->mainFormWindow().commandId(L"mnuExit"), 0), 0);
    EXPECT_EQ(process.ended, 2);
}

TEST_F(MainWindowGui, ClosingTheWindowEndsTheMessageLoopWithoutAnyHandler) {
    start();
    ::PostMessageW(main(), WM_CLOSE, 0, 0);
    EXPECT_EQ(application->run(), 0);
    EXPECT_EQ(process.ended, 0);
}

TEST_F(MainWindowGui, TheMenuBarHasItsThreeMenusAndNoCheckMarks) {
    start();
    const HMENU bar = ::GetMenu(main());
    ASSERT_EQ(::GetMenuItemCount(bar), 3);
    wchar_t caption[64];
    ::GetMenuStringW(bar, 1, caption, 64, MF_BYPOSITION);
    EXPECT_STREQ(caption, L"Optionen");
    const HMENU options = ::GetSubMenu(bar, 1);
    ASSERT_EQ(::GetMenuItemCount(options), 6);
    EXPECT_EQ(::GetMenuState(options, 2, MF_BYPOSITION) & MF_SEPARATOR, UINT(MF_SEPARATOR));
    const HMENU applyTo = ::GetSubMenu(options, 1);
    ::GetMenuStringW(applyTo, 2, caption, 64, MF_BYPOSITION);
    EXPECT_STREQ(caption, L"Alles, was möglich ist");
    EXPECT_EQ(::GetMenuState(options, 5, MF_BYPOSITION) & MF_CHECKED, 0u);
}

}  // namespace
}  // namespace velu::win32

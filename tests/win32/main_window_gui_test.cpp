// The real main window in-process: made from the form model, driven with real messages.

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>

#include "app_driver.h"
#include "support/text.h"
#include "win32/creation_error.h"
#include "win32/support/user.h"

namespace velu::win32 {
namespace {

using testing::BoxCatcher;
using testing::FileBesideProgram;
using testing::windowText;

using MainWindowGui = testing::AppDriver;

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
        const HWND hwnd = formWindow.controlWindow(*control);
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

TEST_F(MainWindowGui, AFramesToolTipShowsWhileTheMouseRestsOnItsCaption) {
    FileBesideProgram texts(L"default.ini",
                            "[frmVelumarDichte.Frame2]\r\nToolTipText=Aus SolidWorks lesen\r\n");
    start();
    RECT frame{};
    ::GetWindowRect(window(form().Frame2), &frame);
    POINT caption{frame.left + 20, frame.top + 4};  // on the caption " Materialeigenschaft ..."
    ::SetCursorPos(caption.x, caption.y);
    // The frame lets the mouse through: the message goes to the window beneath it.
    POINT client = caption;
    ::ScreenToClient(main(), &client);
    ASSERT_EQ(::WindowFromPoint(caption), main());

    HWND tips = nullptr;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND candidate, LPARAM found) {
            wchar_t name[32] = {};
            ::GetClassNameW(candidate, name, 32);
            if (std::wstring(name) == TOOLTIPS_CLASSW) *reinterpret_cast<HWND*>(found) = candidate;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&tips));
    ASSERT_NE(tips, nullptr);
    for (const auto& b : {0, 1}) {  // the message reaches the tool tip through the loop
        MSG move{main(), WM_MOUSEMOVE, 0, MAKELPARAM(client.x + b, client.y), 0, caption};
        application->dispatch(move);
    }
    ASSERT_TRUE(testing::pumpUntil([&] { return ::IsWindowVisible(tips) != FALSE; },
                                   std::chrono::seconds(5)));
    EXPECT_EQ(windowText(tips), L"Aus SolidWorks lesen");
}

TEST(PlatformRegistry, RootValuesBecomeTheSdksPredefinedHandles) {
    EXPECT_EQ(predefinedKey(0x80000002), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(predefinedKey(0x80000001), HKEY_CURRENT_USER);
}

TEST_F(MainWindowGui, TabGoesFromAboutRoundTheWindowBackToAbout) {
    start();
    EXPECT_EQ(::GetFocus(), window(form().cmdAbout));
    auto& f = form();
    const forms::Control* order[] = {&f.cmdGetDensity, &f.chkSWXSystemStandard, &f.cmdSetDensity,
                                     &f.cmbAuswahl,    &f.cmbAnwendenAuf,       &f.cmdExit,
                                     &f.cmdAbout};
    HWND current = window(f.cmdAbout);
    for (const forms::Control* next : order) {
        current = ::GetNextDlgTabItem(main(), current, FALSE);
        EXPECT_EQ(current, window(*next)) << text::toUtf8(next->name());
    }
}

TEST_F(MainWindowGui, StartsWithTheBuiltInMaterialsStahlSelectedAndEntryOneOfApplyTo) {
    start();
    EXPECT_EQ(entries(form().cmbAuswahl),
              (std::vector<std::wstring>{L"Wasser", L"Aluminium", L"Stahl"}));
    EXPECT_EQ(::SendMessageW(window(form().cmbAuswahl), CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(windowText(window(form().lblAuswahlWert)), L"7850");
    EXPECT_EQ(::SendMessageW(window(form().cmbAnwendenAuf), CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(windowText(main()), L"Velumar - Density");
    EXPECT_EQ(windowText(window(form().cmdSetDensity)), L"Dichte nach &SWX übertragen");
    EXPECT_EQ(statusPicture(), forms::Picture::Tool);
}

TEST_F(MainWindowGui, PickingAMaterialShowsItsDensity) {
    start();
    pick(form().cmbAuswahl, 1);
    EXPECT_EQ(windowText(window(form().lblAuswahlWert)), L"2700");
    pick(form().cmbAuswahl, 0);
    EXPECT_EQ(windowText(window(form().lblAuswahlWert)), L"1000");
}

TEST_F(MainWindowGui, DensitiesUseTheDecimalSeparatorOfTheUsersLocale) {
    // scripts/test runs this program under a German and an English locale.
    const char* expected = std::getenv("VELU_TEST_DECIMAL");
    if (!expected) GTEST_SKIP() << "VELU_TEST_DECIMAL names the locale's separator";
    FileBesideProgram catalogue(
        L"velu.ini",
        std::string("[Dichtewerte]\r\nAnzahl=0\r\nName0=Probe\r\nWert0=1") + expected + "25\r\n");
    start();
    EXPECT_EQ(windowText(window(form().lblAuswahlWert)),
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
    EXPECT_EQ(entries(form().cmbAuswahl),
              (std::vector<std::wstring>{L"Wasser", L"Aluminium", L"Stahl"}));
}

TEST_F(MainWindowGui, EndeAndBeendenEndTheProgram) {
    start();
    press(form().cmdExit);
    EXPECT_EQ(process.ended, 1);
    choose(form().mnuExit);
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

// The window to refuse while a test makes windows: its class, and its text when it matters.
struct Refused {
    const wchar_t* windowClass;
    const wchar_t* text;
    const wchar_t* named;  // what the report must name
};
thread_local const Refused* refused = nullptr;

LRESULT CALLBACK refuseCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && refused) {
        const CREATESTRUCTW& window = *reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
        const bool text = !refused->text || (window.lpszName && !IS_INTRESOURCE(window.lpszName) &&
                                             std::wstring(window.lpszName) == refused->text);
        if (text && testing::windowClass(reinterpret_cast<HWND>(wParam)) == refused->windowClass) {
            return 1;  // the window is not made
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// A part of the main window that cannot be made stops the start-up with a report that names
// it; no window is shown with the part missing.
TEST_F(MainWindowGui, APartThatCannotBeMadeIsNamedAndNoWindowIsShown) {
    const Refused parts[] = {{L"Button", L"&Ende", L"cmdExit"},
                             {L"tooltips_class32", nullptr, L"Tooltip"},
                             {L"ComboBox", nullptr, L"cmbAuswahl"}};
    for (const Refused& part : parts) {
        const UniqueHook hook(
            ::SetWindowsHookExW(WH_CBT, &refuseCreation, nullptr, ::GetCurrentThreadId()));
        refused = &part;
        application = std::make_unique<Application>(::GetModuleHandleW(nullptr), process);
        try {
            application->start(SW_SHOWNORMAL);
            ADD_FAILURE() << "the start-up went on without " << text::toUtf8(part.named);
        } catch (const CreationError& error) {
            EXPECT_NE(error.text().find(part.named), std::wstring::npos)
                << text::toUtf8(error.text());
            EXPECT_NE(error.text().find(L"frmVelumarDichte"), std::wstring::npos);
        }
        refused = nullptr;
        EXPECT_TRUE(testing::visibleWindowsOf(::GetCurrentProcessId()).empty());
        application.reset();
    }
}

}  // namespace
}  // namespace velu::win32

// The About box and the interface text file with the real windows in-process.

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app_driver.h"

namespace velu::win32 {
namespace {

using testing::BoxCatcher;
using testing::FileBesideProgram;
using ::testing::HasSubstr;
using testing::windowText;

const std::wstring kNotAvailable = L"System-Informationen sind augenblicklich nicht verfügbar.";

std::vector<HWND> aboutWindows() {
    std::vector<HWND> found;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM list) {
            if (windowText(window) == L"velu-Info" && ::IsWindowVisible(window)) {
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

class AboutGui : public testing::AppDriver {
  protected:
    HWND about(const wchar_t* name) { return application->aboutWindow()->controlWindow(name); }
};

TEST_F(AboutGui, OpeningTwiceLeavesOneBoxWithTitleAndVersion) {
    start();
    press(L"cmdAbout");
    choose(L"mnuAbout");
    testing::pumpMessages();
    const auto boxes = aboutWindows();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(windowText(about(L"lblTitle")), L"velu");
    EXPECT_EQ(windowText(about(L"lblVersion")), L"Version 1.1.6");
    EXPECT_EQ(::GetWindow(boxes[0], GW_OWNER), nullptr);
    EXPECT_FALSE(::GetWindowLongPtrW(boxes[0], GWL_STYLE) & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX));
    EXPECT_TRUE(::IsWindowEnabled(main()));  // not modal
}

TEST_F(AboutGui, EscapeAndOkCloseTheBoxAndTheNextOpeningLoadsItAgain) {
    start();
    press(L"cmdAbout");
    const HWND first = aboutWindows().at(0);
    MSG escape{first, WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
    escape.hwnd = about(L"cmdOK");
    EXPECT_TRUE(application->dispatch(escape));
    ASSERT_TRUE(testing::pumpUntil([] { return aboutWindows().empty(); }));

    FileBesideProgram texts(L"default.ini", "[frmAbout.lblVersion]\r\nCaption=Neu geladen\r\n");
    press(L"cmdAbout");
    ASSERT_EQ(aboutWindows().size(), 1u);
    EXPECT_EQ(windowText(about(L"lblVersion")), L"Neu geladen");
    ::SendMessageW(about(L"cmdOK"), BM_CLICK, 0, 0);
    EXPECT_TRUE(testing::pumpUntil([] { return aboutWindows().empty(); }));
}

TEST_F(AboutGui, TextsFromDefaultIniAppearOnBothWindows) {
    FileBesideProgram texts(
        L"default.ini",
        "[frmVelumarDichte.cmdExit]\r\nCaption=&Schluss\r\n"
        "[frmVelumarDichte.cmbAnwendenAuf]\r\nAnzahlListe=3\r\nAddItem0=System\r\n"
        "AddItem1=Teil\r\nAddItem2=Beides\r\n"
        "[frmVelumarDichte.mnuFile]\r\nCaption=&Programm\r\n"
        "[frmAbout.cmdSysInfo]\r\nCaption=S&ysteminfo\r\n");
    start();
    EXPECT_EQ(text(L"cmdExit"), L"&Schluss");
    EXPECT_EQ(entries(L"cmbAnwendenAuf"),
              (std::vector<std::wstring>{L"System", L"Teil", L"Beides"}));
    EXPECT_EQ(selected(L"cmbAnwendenAuf"), 1);
    wchar_t menu[32];
    ::GetMenuStringW(::GetMenu(main()), 0, menu, 32, MF_BYPOSITION);
    EXPECT_STREQ(menu, L"&Programm");
    press(L"cmdAbout");
    EXPECT_EQ(windowText(about(L"cmdSysInfo")), L"S&ysteminfo");
}

TEST_F(AboutGui, ClosingTheMainWindowLeavesTheAboutBoxUntilItIsClosedToo) {
    start();
    press(L"cmdAbout");
    ::PostMessageW(main(), WM_CLOSE, 0, 0);
    testing::pumpMessages();
    EXPECT_EQ(aboutWindows().size(), 1u);
    ::PostMessageW(aboutWindows().at(0), WM_CLOSE, 0, 0);
    EXPECT_EQ(application->run(), 0);
}

// The registry values that name the system information program, written into the prefix.
class SysInfoKeys {
  public:
    SysInfoKeys() { clear(); }
    ~SysInfoKeys() { clear(); }
    SysInfoKeys(const SysInfoKeys&) = delete;
    SysInfoKeys& operator=(const SysInfoKeys&) = delete;

    static void set(const wchar_t* key, const wchar_t* name, const std::wstring& value) {
        ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, key, name, REG_SZ, value.c_str(),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }

  private:
    static void clear() {
        ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
        ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Shared Tools Location");
    }
};

class SysInfoGui : public AboutGui {
  protected:
    void SetUp() override {
        directory = testing::besideProgram(L"sysinfo dir");
        ::CreateDirectoryW(directory.c_str(), nullptr);
        program = directory + L"\\MSINFO32.EXE";
        ::CopyFileW(testing::windowsPath(VELU_STARTED_MARKER).c_str(), program.c_str(), FALSE);
        ::DeleteFileW((program + L".started").c_str());
    }
    void TearDown() override {
        AboutGui::TearDown();
        ::DeleteFileW((program + L".started").c_str());
        ::DeleteFileW(program.c_str());
        ::RemoveDirectoryW(directory.c_str());
    }
    bool started() {
        return testing::pumpUntil(
            [&] {
                return ::GetFileAttributesW((program + L".started").c_str()) !=
                       INVALID_FILE_ATTRIBUTES;
            },
            std::chrono::seconds(10));
    }
    void pressSysInfo() {
        press(L"cmdAbout");
        ::SendMessageW(about(L"cmdSysInfo"), BM_CLICK, 0, 0);
    }

    SysInfoKeys keys;
    std::wstring directory;
    std::wstring program;
};

TEST_F(SysInfoGui, TheFirstValueStartsItsProgramEvenFromAPathWithBlanks) {
    SysInfoKeys::set(L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", L"PATH", program);
    start();
    pressSysInfo();
    EXPECT_TRUE(started());
    EXPECT_TRUE(unexpectedBoxes.boxes.empty());
}

TEST_F(SysInfoGui, AFirstValueThatNamesNoFileGivesTheMessage) {
    SysInfoKeys::set(L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", L"PATH",
                     directory + L"\\fehlt.exe");
    start();
    BoxCatcher catcher;
    pressSysInfo();
    ASSERT_EQ(catcher.boxes.size(), 1u);
    EXPECT_EQ(catcher.boxes[0].text, kNotAvailable);
    EXPECT_EQ(catcher.boxes[0].title, L"velu");
}

TEST_F(SysInfoGui, TheSecondValueNamesTheDirectoryOfTheProgram) {
    SysInfoKeys::set(L"SOFTWARE\\Microsoft\\Shared Tools Location", L"MSINFO", directory);
    start();
    pressSysInfo();
    EXPECT_TRUE(started());
    EXPECT_TRUE(unexpectedBoxes.boxes.empty());
}

}  // namespace
}  // namespace velu::win32

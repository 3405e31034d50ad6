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
    // The About box's controls, by their names in the program.
    about::AboutForm& aboutForm() { return application->aboutBox()->form(); }
    HWND about(const forms::Control& control) {
        return application->aboutWindow()->controlWindow(control);
    }
};

TEST_F(AboutGui, OpeningTwiceLeavesOneBoxWithTitleAndVersion) {
    start();
    press(form().cmdAbout);
    choose(form().mnuAbout);
    testing::pumpMessages();
    const auto boxes = aboutWindows();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(windowText(about(aboutForm().lblTitle)), L"velu");
    EXPECT_EQ(windowText(about(aboutForm().lblVersion)), L"Version 1.1.6");
    EXPECT_EQ(::GetWindow(boxes[0], GW_OWNER), nullptr);
    EXPECT_FALSE(::GetWindowLongPtrW(boxes[0], GWL_STYLE) & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX));
    EXPECT_TRUE(::IsWindowEnabled(main()));  // not modal
}

TEST_F(AboutGui, EscapeAndOkCloseTheBoxAndTheNextOpeningLoadsItAgain) {
    start();
    press(form().cmdAbout);
    const HWND first = aboutWindows().at(0);
    MSG escape{first, WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
    escape.hwnd = about(aboutForm().cmdOK);
    EXPECT_TRUE(application->dispatch(escape));
    ASSERT_TRUE(testing::pumpUntil([] { return aboutWindows().empty(); }));

    FileBesideProgram texts(L"default.ini", "[frmAbout.lblVersion]\r\nCaption=Neu geladen\r\n");
    press(form().cmdAbout);
    ASSERT_EQ(aboutWindows().size(), 1u);
    EXPECT_EQ(windowText(about(aboutForm().lblVersion)), L"Neu geladen");
    ::SendMessageW(about(aboutForm().cmdOK), BM_CLICK, 0, 0);
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
    EXPECT_EQ(text(form().cmdExit), L"&Schluss");
    EXPECT_EQ(entries(form().cmbAnwendenAuf),
              (std::vector<std::wstring>{L"System", L"Teil", L"Beides"}));
    EXPECT_EQ(selected(form().cmbAnwendenAuf), 1);
    wchar_t menu[32];
    ::GetMenuStringW(::GetMenu(main()), 0, menu, 32, MF_BYPOSITION);
    EXPECT_STREQ(menu, L"&Programm");
    press(form().cmdAbout);
    EXPECT_EQ(windowText(about(aboutForm().cmdSysInfo)), L"S&ysteminfo");
}

TEST_F(AboutGui, TitleDescriptionAndContactAreBlackWhateverTheSystemsTextColour) {
    start();
    press(form().cmdAbout);
    const int element = COLOR_WINDOWTEXT;
    const COLORREF before = ::GetSysColor(element);
    const COLORREF red = RGB(200, 0, 0);
    ::SetSysColors(1, &element, &red);
    auto colourOf = [&](const forms::Control& label) {
        const HDC dc = ::CreateCompatibleDC(nullptr);
        ::SendMessageW(application->aboutWindow()->handle(), WM_CTLCOLORSTATIC,
                       reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(about(label)));
        const COLORREF colour = ::GetTextColor(dc);
        ::DeleteDC(dc);
        return colour;
    };
    const COLORREF title = colourOf(aboutForm().lblTitle);
    const COLORREF description = colourOf(aboutForm().lblDescription);
    const COLORREF disclaimer = colourOf(aboutForm().lblDisclaimer);
    const COLORREF version = colourOf(aboutForm().lblVersion);
    ::SetSysColors(1, &element, &before);
    EXPECT_EQ(title, RGB(0, 0, 0));
    EXPECT_EQ(description, RGB(0, 0, 0));
    EXPECT_EQ(disclaimer, RGB(0, 0, 0));
    EXPECT_EQ(version, red);  // the one label without a colour of its own
}

TEST_F(AboutGui, TabGoesFromOkToTheIconToSystemInfo) {
    start();
    press(form().cmdAbout);
    const HWND box = application->aboutWindow()->handle();
    EXPECT_EQ(::GetNextDlgTabItem(box, about(aboutForm().cmdOK), FALSE),
              about(aboutForm().picIcon));
    EXPECT_EQ(::GetNextDlgTabItem(box, about(aboutForm().picIcon), FALSE),
              about(aboutForm().cmdSysInfo));
    EXPECT_EQ(::GetNextDlgTabItem(box, about(aboutForm().cmdSysInfo), FALSE),
              about(aboutForm().cmdOK));
}

TEST_F(AboutGui, ClosingTheMainWindowLeavesTheAboutBoxUntilItIsClosedToo) {
    start();
    press(form().cmdAbout);
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

// The system information program in the system directory: Wine's own is put aside for each
// test. The stand-in put there runs in its place only when Wine was told to prefer the native
// program when the test started (scripts/wine-env does): a process started later inherits
// that choice from the start, not from the environment it is given.
class SystemProgram {
  public:
    SystemProgram() : path_(systemDirectory() + L"\\msinfo32.exe"), aside_(path_ + L".velu-test") {
        if (::GetFileAttributesW(aside_.c_str()) == INVALID_FILE_ATTRIBUTES) {
            ::MoveFileW(path_.c_str(), aside_.c_str());
        }
        ::DeleteFileW(path_.c_str());
        ::DeleteFileW(marker().c_str());
    }
    ~SystemProgram() {
        ::DeleteFileW(marker().c_str());
        ::DeleteFileW(path_.c_str());
        ::MoveFileW(aside_.c_str(), path_.c_str());
    }
    SystemProgram(const SystemProgram&) = delete;
    SystemProgram& operator=(const SystemProgram&) = delete;

    static bool nativePreferred() {
        wchar_t overrides[512] = {};
        ::GetEnvironmentVariableW(L"WINEDLLOVERRIDES", overrides, 512);
        return std::wstring(overrides).find(L"msinfo32.exe=n") != std::wstring::npos;
    }
    void install() const {
        ::CopyFileW(testing::windowsPath(VELU_STARTED_MARKER).c_str(), path_.c_str(), FALSE);
    }
    std::wstring marker() const { return path_ + L".started"; }

  private:
    static std::wstring systemDirectory() {
        wchar_t directory[MAX_PATH] = {};
        ::GetSystemDirectoryW(directory, MAX_PATH);
        return directory;
    }
    std::wstring path_;
    std::wstring aside_;
};

bool appears(const std::wstring& file) {
    return testing::pumpUntil(
        [&] { return ::GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES; },
        std::chrono::seconds(10));
}

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
    bool started() { return appears(program + L".started"); }
    void pressSysInfo() {
        press(form().cmdAbout);
        ::SendMessageW(about(aboutForm().cmdSysInfo), BM_CLICK, 0, 0);
    }

    SysInfoKeys keys;
    SystemProgram system;
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

TEST_F(SysInfoGui, TheSecondValueNamesTheDirectoryOfTheProgram) {
    SysInfoKeys::set(L"SOFTWARE\\Microsoft\\Shared Tools Location", L"MSINFO", directory);
    start();
    pressSysInfo();
    EXPECT_TRUE(started());
    EXPECT_TRUE(unexpectedBoxes.boxes.empty());
}

// What the registry says, if anything, that leads to no program.
enum class Registry { Nothing, StalePath, StaleLocation };

class SysInfoFallback : public SysInfoGui,
                        public ::testing::WithParamInterface<std::tuple<Registry, bool>> {};

TEST_P(SysInfoFallback, TheSystemDirectoryIsTriedBeforeGivingUp) {
    const auto [registry, programInSystem] = GetParam();
    if (registry == Registry::StalePath) {
        SysInfoKeys::set(L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", L"PATH",
                         directory + L"\\fehlt.exe");
    } else if (registry == Registry::StaleLocation) {
        SysInfoKeys::set(L"SOFTWARE\\Microsoft\\Shared Tools Location", L"MSINFO",
                         directory + L"\\leer");
    }
    if (programInSystem) {
        ASSERT_TRUE(SystemProgram::nativePreferred())
            << "start the tests with WINEDLLOVERRIDES holding msinfo32.exe=n,b (scripts/wine-env)";
        system.install();
    }
    start();
    BoxCatcher catcher;
    pressSysInfo();
    if (programInSystem) {
        EXPECT_TRUE(appears(system.marker()));
        EXPECT_TRUE(catcher.boxes.empty());
    } else {
        ASSERT_EQ(catcher.boxes.size(), 1u);
        EXPECT_EQ(catcher.boxes[0].text, kNotAvailable);
        EXPECT_EQ(catcher.boxes[0].title, L"velu");
    }
}

INSTANTIATE_TEST_SUITE_P(RegistryAndSystemDirectory, SysInfoFallback,
                         ::testing::Combine(::testing::Values(Registry::Nothing,
                                                              Registry::StalePath,
                                                              Registry::StaleLocation),
                                            ::testing::Bool()));

TEST_F(SysInfoGui, TheAboutBoxOwnsItsBoxAndMayBeClosedWhileTheBoxIsOpen) {
    start();
    press(form().cmdAbout);
    const HWND aboutBox = application->aboutWindow()->handle();
    HWND owner = nullptr;
    bool aboutBoxUsable = true;
    BoxCatcher catcher;
    catcher.whileOpen = [&](HWND box) {
        owner = ::GetWindow(box, GW_OWNER);
        aboutBoxUsable = ::IsWindowEnabled(aboutBox);
        ::SendMessageW(aboutBox, WM_CLOSE, 0, 0);  // closed from outside, the box still open
    };
    ::SendMessageW(about(aboutForm().cmdSysInfo), BM_CLICK, 0, 0);
    ASSERT_EQ(catcher.boxes.size(), 1u);
    EXPECT_EQ(catcher.boxes[0].text, kNotAvailable);
    EXPECT_EQ(owner, aboutBox);
    EXPECT_FALSE(aboutBoxUsable);
    EXPECT_TRUE(testing::pumpUntil([] { return aboutWindows().empty(); }));
    EXPECT_TRUE(::IsWindowEnabled(main()));

    press(form().cmdAbout);
    ASSERT_EQ(aboutWindows().size(), 1u);
    EXPECT_EQ(windowText(about(aboutForm().lblVersion)), L"Version 1.1.6");
    ::SendMessageW(about(aboutForm().cmdOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(testing::pumpUntil([] { return aboutWindows().empty(); }));
}

}  // namespace
}  // namespace velu::win32

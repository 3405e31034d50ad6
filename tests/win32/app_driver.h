#pragma once
// The whole program in-process for the Windows tests: started as WinMain starts it, driven
// with the messages a user's actions send, read back through the windows.

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "../unit/fakes.h"
#include "testing/box_catcher.h"
#include "testing/files.h"
#include "testing/messages.h"
#include "testing/windows_found.h"
#include "win32/application.h"

namespace velu::testing {

class AppDriver : public ::testing::Test {
  protected:
    void start() {
        application = std::make_unique<win32::Application>(::GetModuleHandleW(nullptr), process);
        application->start(SW_SHOWNORMAL);
        pumpMessages();
    }
    void TearDown() override {
        application.reset();
        pumpMessages();
    }

    // The main window's controls, by their names in the program.
    app::MainWindowForm& form() { return application->mainWindow().form(); }
    HWND window(const forms::Control& control) {
        return application->mainFormWindow().controlWindow(control);
    }
    HWND main() { return application->mainFormWindow().handle(); }
    std::wstring text(const forms::Control& control) { return windowText(window(control)); }

    // Presses a button as the user does.
    void press(const forms::Control& button) { ::SendMessageW(window(button), BM_CLICK, 0, 0); }
    // Chooses a menu item as the user does.
    void choose(const forms::Control& menuItem) {
        ::SendMessageW(main(), WM_COMMAND,
                       MAKEWPARAM(application->mainFormWindow().commandId(menuItem), 0), 0);
    }
    bool ticked(const forms::Control& menuItem) {
        return (::GetMenuState(::GetMenu(main()), application->mainFormWindow().commandId(menuItem),
                               MF_BYCOMMAND) &
                MF_CHECKED) != 0;
    }
    // Picks a list entry as the user does: the list changes, then tells its parent.
    void pick(const forms::Control& list, int index) {
        const HWND combo = window(list);
        ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        ::SendMessageW(main(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(combo), CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(combo));
    }
    int selected(const forms::Control& list) {
        return static_cast<int>(::SendMessageW(window(list), CB_GETCURSEL, 0, 0));
    }
    std::vector<std::wstring> entries(const forms::Control& list) {
        const HWND combo = window(list);
        std::vector<std::wstring> result;
        const auto count = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            std::wstring entry(
                static_cast<std::size_t>(::SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)), L'\0');
            ::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry.data()));
            result.push_back(entry);
        }
        return result;
    }
    // Which picture the status picture shows.
    forms::Picture statusPicture() {
        const auto shown =
            reinterpret_cast<HICON>(::SendMessageW(window(form().imgVis), STM_GETICON, 0, 0));
        for (auto p : {forms::Picture::Tool, forms::Picture::Success, forms::Picture::Error}) {
            if (shown == application->mainFormWindow().iconOf(p)) return p;
        }
        return forms::Picture::None;
    }

    // Answers every box no test waits for, so that a surprise box fails a test, not hangs it.
    BoxCatcher unexpectedBoxes;
    RecordingProcess process;
    std::unique_ptr<win32::Application> application;
};

}  // namespace velu::testing

#pragma once
// Catches the message boxes of tests that drive real windows in-process, so that a box is
// recorded and answered instead of waiting for a user.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "win32/support/user.h"

namespace velu::testing {

struct CaughtBox {
    std::wstring title;
    std::wstring text;
    LONG_PTR style = 0;  // icon: MB_ICONERROR, MB_ICONWARNING, MB_ICONINFORMATION or 0
};

// Catches every message box this thread opens while it lives, records its title, text and
// icon, and answers it with OK (optionally after running a check while the box is open).
// A thread-local WH_CBT hook sees each box when it is activated.
class BoxCatcher {
  public:
    // The newest catcher answers; an older one takes over again when it is gone.
    BoxCatcher();
    ~BoxCatcher();
    BoxCatcher(const BoxCatcher&) = delete;
    BoxCatcher& operator=(const BoxCatcher&) = delete;

    // Runs while a box is open, before it is answered; the box closes when it returns.
    std::function<void(HWND box)> whileOpen;
    std::vector<CaughtBox> boxes;

  private:
    static LRESULT CALLBACK hook(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK answer(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                   DWORD_PTR data);
    void caught(HWND box);

    BoxCatcher* previous_;
    win32::UniqueHook hook_;
    std::vector<HWND> seen_;  // boxes caught and not yet destroyed
};

}  // namespace velu::testing

#include "testing/box_catcher.h"

#include <commctrl.h>

#include <algorithm>

#include "testing/windows_found.h"

namespace velu::testing {
namespace {

// Posted to a caught box, so that it is answered from its own message loop.
constexpr UINT kAnswer = WM_APP + 77;

BoxCatcher*& current() {
    static BoxCatcher* catcher = nullptr;
    return catcher;
}

// The icon of a message box is a static control: id 0x14 on Windows, 0x440 on Wine.
LONG_PTR iconOf(HWND box) {
    HWND icon = ::GetDlgItem(box, 0x14);
    if (!icon) icon = ::GetDlgItem(box, 0x440);
    const auto shown =
        icon ? reinterpret_cast<HICON>(::SendMessageW(icon, STM_GETICON, 0, 0)) : nullptr;
    if (!shown) return 0;
    if (shown == ::LoadIconW(nullptr, IDI_HAND)) return MB_ICONERROR;
    if (shown == ::LoadIconW(nullptr, IDI_EXCLAMATION)) return MB_ICONWARNING;
    if (shown == ::LoadIconW(nullptr, IDI_ASTERISK)) return MB_ICONINFORMATION;
    return -1;
}

}  // namespace

BoxCatcher::BoxCatcher()
    : previous_(current()),
      hook_(::SetWindowsHookExW(WH_CBT, &BoxCatcher::hook, nullptr, ::GetCurrentThreadId())) {
    current() = this;
}

BoxCatcher::~BoxCatcher() {
    hook_.reset();
    current() = previous_;
}

LRESULT CALLBACK BoxCatcher::hook(int code, WPARAM wParam, LPARAM lParam) {
    if (BoxCatcher* self = current()) {
        const auto window = reinterpret_cast<HWND>(wParam);
        if (code == HCBT_DESTROYWND) std::erase(self->seen_, window);
        if (code == HCBT_ACTIVATE && windowClass(window) == kMessageBoxClass &&
            std::find(self->seen_.begin(), self->seen_.end(), window) == self->seen_.end()) {
            self->caught(window);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void BoxCatcher::caught(HWND box) {
    seen_.push_back(box);
    boxes.push_back(
        {windowText(box), windowText(::GetDlgItem(box, kMessageBoxPromptId)), iconOf(box)});
    ::PostMessageW(box, kAnswer, 0, 0);
    ::SetWindowSubclass(box, &BoxCatcher::answer, 1, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK BoxCatcher::answer(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                    DWORD_PTR data) {
    if (message == kAnswer) {
        auto* self = reinterpret_cast<BoxCatcher*>(data);
        if (self->whileOpen) self->whileOpen(box);
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        return 0;
    }
    // A subclass is the window's to give back when it goes; left in place, its record stays.
    if (message == WM_NCDESTROY) ::RemoveWindowSubclass(box, &BoxCatcher::answer, 1);
    return ::DefSubclassProc(box, message, wParam, lParam);
}

}  // namespace velu::testing

#pragma once
// Helpers for driving real windows in-process under Wine: message pumping, catching and
// answering message boxes, reading controls.

#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace velu::testing {

// Handles the messages that are waiting, then returns.
inline void pumpMessages() {
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

// Pumps messages until the condition holds or the time is up; returns the condition.
inline bool pumpUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        pumpMessages();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

inline std::wstring windowText(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    ::GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

struct CaughtBox {
    std::wstring title;
    std::wstring text;
    LONG_PTR style = 0;  // icon: MB_ICONERROR, MB_ICONWARNING, MB_ICONINFORMATION or 0
};

// Catches every message box this thread opens while it lives, records its title, text and
// icon, and answers it with OK (optionally after running a check while the box is open).
class BoxCatcher {
  public:
    // The newest catcher answers; an older one takes over again when it is gone.
    BoxCatcher() : previous_(instance()) {
        instance() = this;
        hook_ = ::SetWindowsHookExW(WH_CBT, &BoxCatcher::hook, nullptr, ::GetCurrentThreadId());
    }
    ~BoxCatcher() {
        ::UnhookWindowsHookEx(hook_);
        instance() = previous_;
    }
    BoxCatcher(const BoxCatcher&) = delete;
    BoxCatcher& operator=(const BoxCatcher&) = delete;

    // Runs while a box is open, before it is answered; the box closes when it returns.
    std::function<void(HWND box)> whileOpen;
    std::vector<CaughtBox> boxes;

  private:
    static BoxCatcher*& instance() {
        static BoxCatcher* current = nullptr;
        return current;
    }

    static LRESULT CALLBACK hook(int code, WPARAM wParam, LPARAM lParam) {
        BoxCatcher* self = instance();
        if (self && code == HCBT_DESTROYWND) {
            const auto gone = reinterpret_cast<HWND>(wParam);
            std::erase(self->seen_, gone);
        }
        if (self && code == HCBT_ACTIVATE) {
            const auto box = reinterpret_cast<HWND>(wParam);
            wchar_t className[32] = {};
            ::GetClassNameW(box, className, 32);
            if (std::wstring(className) == L"#32770" && !self->seen(box)) {
                self->seen_.push_back(box);
                CaughtBox caught;
                caught.title = windowText(box);
                caught.text = windowText(::GetDlgItem(box, 0xFFFF));
                caught.style = iconOf(box);
                self->boxes.push_back(caught);
                ::PostMessageW(box, WM_APP + 77, 0, 0);  // answer it from its own loop
                ::SetWindowSubclass(box, &BoxCatcher::answer, 1, reinterpret_cast<DWORD_PTR>(self));
            }
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static LRESULT CALLBACK answer(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                   DWORD_PTR data) {
        if (message == WM_APP + 77) {
            auto* self = reinterpret_cast<BoxCatcher*>(data);
            if (self->whileOpen) self->whileOpen(box);
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
            return 0;
        }
        return ::DefSubclassProc(box, message, wParam, lParam);
    }

    static LONG_PTR iconOf(HWND box) {
        // The icon of a message box is a static control: id 0x14 on Windows, 0x440 on Wine.
        HWND icon = ::GetDlgItem(box, 0x14);
        if (!icon) icon = ::GetDlgItem(box, 0x440);
        if (!icon || !::SendMessageW(icon, STM_GETICON, 0, 0)) return 0;
        const auto shown = reinterpret_cast<HICON>(::SendMessageW(icon, STM_GETICON, 0, 0));
        if (shown == ::LoadIconW(nullptr, IDI_HAND)) return MB_ICONERROR;
        if (shown == ::LoadIconW(nullptr, IDI_EXCLAMATION)) return MB_ICONWARNING;
        if (shown == ::LoadIconW(nullptr, IDI_ASTERISK)) return MB_ICONINFORMATION;
        return -1;
    }

    bool seen(HWND box) const {
        for (HWND b : seen_) {
            if (b == box) return true;
        }
        return false;
    }

    BoxCatcher* previous_;
    HHOOK hook_ = nullptr;
    std::vector<HWND> seen_;
};

}  // namespace velu::testing

#pragma once
// What both minimal start-up programs share: one top-level window class, the message loop,
// and an optional pause before the loop ("--delay-loop MS") with which the start-up
// benchmark checks that its idle signal really waits for the loop.

#include <windows.h>

#include <cwchar>

namespace minimal {

inline LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

inline HWND createMainWindow(HINSTANCE instance, const wchar_t* title) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"MinimalStartWindow";
    ::RegisterClassExW(&windowClass);
    return ::CreateWindowExW(0, windowClass.lpszClassName, title, WS_OVERLAPPEDWINDOW,
                             CW_USEDEFAULT, CW_USEDEFAULT, 400, 200, nullptr, nullptr, instance,
                             nullptr);
}

// Milliseconds given by "--delay-loop MS" on the command line, else 0.
inline DWORD loopDelay() {
    const wchar_t* option = std::wcsstr(::GetCommandLineW(), L"--delay-loop ");
    if (option == nullptr) return 0;
    return static_cast<DWORD>(std::wcstoul(option + 13, nullptr, 10));
}

inline int showAndRun(HWND window, int showCommand) {
    ::ShowWindow(window, showCommand);
    ::UpdateWindow(window);
    if (const DWORD delay = loopDelay(); delay != 0) ::Sleep(delay);
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace minimal

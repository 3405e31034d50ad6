// One top-level window holding one drop-down list filled with 32 767 entries before it is
// shown, then the message loop. The start-up benchmark's yardstick for VelumarDichte with a
// catalogue of 32 767 materials.

#include <windows.h>

#include <string>

#include "minimal_program.h"

namespace {

constexpr int kEntries = 32767;
constexpr int kListId = 100;

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    const HWND window = minimal::createMainWindow(instance, L"Minimal list");
    if (window == nullptr) return 1;
    const HWND list = ::CreateWindowExW(
        0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 10,
        10, 300, 240, window, reinterpret_cast<HMENU>(UINT_PTR{kListId}), instance, nullptr);
    if (list == nullptr) return 1;
    ::SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)),
                   FALSE);
    for (int i = 0; i < kEntries; ++i) {
        const std::wstring entry = L"Material " + std::to_wstring(i);
        ::SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    }
    ::SendMessageW(list, CB_SETCURSEL, kEntries / 2, 0);
    return minimal::showAndRun(window, showCommand);
}

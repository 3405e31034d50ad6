// Drives the running program through the main job for the demo, the way a user would: picks
// "Aluminium", applies to "Alles, was möglich ist", presses "Dichte nach SWX übertragen",
// answers the boxes, and saves screenshots of the start and of the moment of success.
//
//   demo_driver.exe <start.bmp> <success.bmp>

#include <windows.h>

#include <cstdio>
#include <string>

#include "support/text.h"
#include "testing/files.h"
#include "testing/windows_found.h"
#include "win32/support/gdi.h"

namespace {

using velu::testing::childrenOfClass;
using velu::testing::windowText;

void say(const std::wstring& line) {
    std::printf("demo: %s\n", velu::text::toUtf8(line).c_str());
    std::fflush(stdout);
}

// Saves the whole screen as a 24-bit BMP file.
bool saveScreen(const wchar_t* path) {
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    const velu::win32::WindowDc screen(nullptr);
    const velu::win32::UniqueMemoryDc memory(::CreateCompatibleDC(screen.get()));
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const velu::win32::UniqueBitmap bitmap(
        ::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap) return false;
    {
        const velu::win32::SelectedObject selected(memory.get(), bitmap.get());
        ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), 0, 0, SRCCOPY);
    }
    const DWORD rowBytes = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
    const DWORD imageBytes = rowBytes * static_cast<DWORD>(height);
    constexpr auto kHeaders =
        static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER));
    const BITMAPFILEHEADER header{0x4D42, kHeaders + imageBytes, 0, 0, kHeaders};
    std::string file(reinterpret_cast<const char*>(&header), sizeof header);
    file.append(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    file.append(static_cast<const char*>(bits), imageBytes);
    return velu::testing::writeFile(path, file);
}

// The stand-in's window goes beside the program's, so that both are in the pictures.
void placeStandIn(HWND main) {
    RECT mainRect{};
    ::GetWindowRect(main, &mainRect);
    if (HWND cad = ::FindWindowW(nullptr, L"CAD stand-in")) {
        ::SetWindowPos(cad, nullptr, mainRect.right + 20, mainRect.top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ::Sleep(300);
    }
}

// Picks the entry with this text in whichever list holds it, as a user's choice does.
bool pick(HWND main, const wchar_t* entry) {
    for (HWND list : childrenOfClass(main, L"ComboBox")) {
        const LRESULT index = ::SendMessageW(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                             reinterpret_cast<LPARAM>(entry));
        if (index == CB_ERR) continue;
        ::SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        ::SendMessageW(main, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(list), CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(list));
        say(L"chose \"" + std::wstring(entry) + L"\"");
        return true;
    }
    return false;
}

// The message box the program shows at the moment, if any.
HWND openBox(DWORD process) {
    for (HWND window : velu::testing::visibleWindowsOf(process)) {
        if (velu::testing::windowClass(window) == velu::testing::kMessageBoxClass) return window;
    }
    return nullptr;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: demo_driver <start.bmp> <success.bmp>\n");
        return 2;
    }
    HWND main = nullptr;
    for (int i = 0; i < 200 && !main; ++i, ::Sleep(100)) {
        main = ::FindWindowW(nullptr, L"Velumar - Density");
    }
    if (!main) {
        std::fprintf(stderr, "demo: the main window did not appear\n");
        return 1;
    }
    ::Sleep(500);
    saveScreen(argv[1]);

    if (!pick(main, L"Aluminium") || !pick(main, L"Alles, was möglich ist")) {
        std::fprintf(stderr, "demo: the lists do not hold the expected entries\n");
        return 1;
    }
    HWND transfer = nullptr;
    for (HWND button : childrenOfClass(main, L"Button")) {
        if (windowText(button) == L"Dichte nach &SWX übertragen") transfer = button;
    }
    if (!transfer) return 1;
    say(L"pressed \"Dichte nach SWX übertragen\"");
    ::PostMessageW(transfer, BM_CLICK, 0, 0);

    DWORD process = 0;
    ::GetWindowThreadProcessId(main, &process);
    bool success = false;
    for (int quiet = 0; quiet < 20; ++quiet, ::Sleep(100)) {
        const HWND box = openBox(process);
        if (!box) continue;
        quiet = 0;
        ::Sleep(400);  // let it paint
        const std::wstring prompt =
            windowText(::GetDlgItem(box, velu::testing::kMessageBoxPromptId));
        say(L"box \"" + windowText(box) + L"\": " + prompt);
        if (prompt == L"Success to set the values" || !success) {
            success = true;
            placeStandIn(main);
            saveScreen(argv[2]);
        }
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        ::Sleep(300);
    }
    return success ? 0 : 1;
}

// Drives the running program for the demo, the way a user would, and saves screenshots.
//
//   demo_driver.exe <start.bmp> <success.bmp>
//       The main job: picks "Aluminium", applies to "Alles, was möglich ist", presses "Dichte
//       nach SWX übertragen", answers the boxes, and saves the start and the moment of success.
//   demo_driver.exe --material <warning.bmp>
//       A part with a material of its own: writes "Stahl" into "Nur aktives Teil" and saves the
//       moment the program warns that the material sets another density.
//   demo_driver.exe --assembly <assembly.bmp>
//       An assembly: writes "Stahl" into "Alle Teile der Baugruppe", waits for the parts list,
//       writes into the ticked parts, saves the assembly window and ends the program.
//   demo_driver.exe --assembly-undo <undone.bmp>
//       The same, then undoes the writes and saves the assembly window after that.

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <functional>
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

// Saves a part of the screen, by default all of it, as a 24-bit BMP file.
bool saveScreen(const wchar_t* path, RECT area = {0, 0, ::GetSystemMetrics(SM_CXSCREEN),
                                                  ::GetSystemMetrics(SM_CYSCREEN)}) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
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
        ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), area.left, area.top, SRCCOPY);
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

// The main window, once it is there.
HWND findMainWindow() {
    HWND main = nullptr;
    for (int i = 0; i < 200 && !main; ++i, ::Sleep(100)) {
        main = ::FindWindowW(nullptr, L"Velumar - Density");
    }
    if (!main) std::fprintf(stderr, "demo: the main window did not appear\n");
    return main;
}

// The button of a window with this caption; nothing when it has none.
HWND buttonOf(HWND window, const std::wstring& caption) {
    for (HWND candidate : childrenOfClass(window, L"Button")) {
        if (windowText(candidate) == caption) return candidate;
    }
    return nullptr;
}

// Presses a button the way a user's click does, without waiting for what it starts.
bool press(HWND window, const std::wstring& caption) {
    const HWND button = buttonOf(window, caption);
    if (!button) return false;
    say(L"pressed \"" + caption + L"\"");
    ::PostMessageW(button, BM_CLICK, 0, 0);
    return true;
}

// Waits up to a minute for the condition, looking ten times a second.
bool waitFor(const std::function<bool()>& condition) {
    for (int i = 0; i < 600; ++i, ::Sleep(100)) {
        if (condition()) return true;
    }
    return false;
}

// Picks the material and the apply-to entry and presses "Dichte nach SWX übertragen".
bool transfer(HWND main, const wchar_t* material, const wchar_t* applyTo) {
    if (!pick(main, material) || !pick(main, applyTo)) {
        std::fprintf(stderr, "demo: the lists do not hold the expected entries\n");
        return false;
    }
    return press(main, L"Dichte nach &SWX übertragen");
}

// Answers the program's boxes until none has come for two seconds. `shoot` hears each prompt
// while its box is open and says whether to save the screen now.
void answerBoxes(HWND main, const std::function<bool(const std::wstring&)>& shoot,
                 const wchar_t* screenshot) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(main, &process);
    for (int quiet = 0; quiet < 20; ++quiet, ::Sleep(100)) {
        const HWND box = openBox(process);
        if (!box) continue;
        quiet = 0;
        ::Sleep(400);  // let it paint
        const std::wstring prompt =
            windowText(::GetDlgItem(box, velu::testing::kMessageBoxPromptId));
        say(L"box \"" + windowText(box) + L"\": " + prompt);
        if (shoot(prompt)) {
            placeStandIn(main);
            saveScreen(screenshot);
        }
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        ::Sleep(300);
    }
}

constexpr const wchar_t* kSuccess = L"Success to set the values";

int playMainJob(const wchar_t* start, const wchar_t* success) {
    const HWND main = findMainWindow();
    if (!main) return 1;
    ::Sleep(500);
    saveScreen(start);
    if (!transfer(main, L"Aluminium", L"Alles, was möglich ist")) return 1;
    bool succeeded = false;
    answerBoxes(
        main,
        [&](const std::wstring& prompt) {
            const bool first = !succeeded;
            succeeded = true;
            return prompt == kSuccess || first;
        },
        success);
    return succeeded ? 0 : 1;
}

int playPartWithMaterial(const wchar_t* warning) {
    const HWND main = findMainWindow();
    if (!main) return 1;
    if (!transfer(main, L"Stahl", L"Nur aktives Teil")) return 1;
    // The success box comes first; the warning follows it.
    bool warned = false;
    answerBoxes(
        main,
        [&](const std::wstring& prompt) {
            warned = warned || prompt != kSuccess;
            return prompt != kSuccess;
        },
        warning);
    if (!warned) std::fprintf(stderr, "demo: no warning about the part's material came\n");
    return warned ? 0 : 1;
}

// Waits until a label of the window says this.
bool statusSays(HWND window, const wchar_t* words) {
    return waitFor([&] {
        for (HWND label : childrenOfClass(window, L"Static")) {
            if (windowText(label).find(words) != std::wstring::npos) return true;
        }
        return false;
    });
}

// Widens the window until its list shows every column whole, as a user would for the picture.
void showEveryColumn(HWND window) {
    for (HWND list : childrenOfClass(window, L"SysListView32")) {
        const auto header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
        const auto columns = static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
        int wanted = ::GetSystemMetrics(SM_CXVSCROLL) + 4;
        for (int column = 0; column < columns; ++column) {
            wanted += static_cast<int>(::SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0));
        }
        RECT client{};
        ::GetClientRect(list, &client);
        if (wanted <= client.right) return;
        RECT outer{};
        ::GetWindowRect(window, &outer);
        ::SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + wanted - client.right,
                       outer.bottom - outer.top, SWP_NOMOVE | SWP_NOZORDER);
    }
}

void saveWindow(HWND window, const wchar_t* picture) {
    showEveryColumn(window);
    ::Sleep(500);  // let it paint
    RECT area{};
    ::GetWindowRect(window, &area);
    saveScreen(picture, area);
}

// Writes into the assembly's parts and saves the window; with `undo`, undoes the writes first.
int playAssembly(const wchar_t* picture, bool undo) {
    const HWND main = findMainWindow();
    if (!main) return 1;
    if (!transfer(main, L"Stahl", L"Alle Teile der Baugruppe")) return 1;
    DWORD process = 0;
    ::GetWindowThreadProcessId(main, &process);
    HWND window = nullptr;
    const bool listed = waitFor([&] {
        for (HWND candidate : velu::testing::visibleWindowsOf(process)) {
            if (windowText(candidate).starts_with(L"Dichte für Baugruppe")) window = candidate;
        }
        const HWND write = window ? buttonOf(window, L"Dichte &übertragen") : nullptr;
        return write && ::IsWindowEnabled(write);
    });
    if (!listed) {
        std::fprintf(stderr, "demo: the assembly window did not list the parts\n");
        return 1;
    }
    say(L"the assembly window lists the parts of \"" + windowText(window) + L"\"");
    press(window, L"Dichte &übertragen");
    if (!statusSays(window, L"Speichern")) {
        std::fprintf(stderr, "demo: the assembly window did not finish writing\n");
        return 1;
    }
    if (undo) {
        press(window, L"&Rückgängig");
        if (!statusSays(window, L"zurückgesetzt")) {
            std::fprintf(stderr, "demo: the assembly window did not finish undoing\n");
            return 1;
        }
    }
    saveWindow(window, picture);
    press(window, L"&Schließen");
    ::Sleep(500);
    return press(main, L"&Ende") ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && std::wstring(argv[1]) == L"--material") return playPartWithMaterial(argv[2]);
    if (argc == 3 && std::wstring(argv[1]) == L"--assembly") return playAssembly(argv[2], false);
    if (argc == 3 && std::wstring(argv[1]) == L"--assembly-undo")
        return playAssembly(argv[2], true);
    if (argc == 3) return playMainJob(argv[1], argv[2]);
    std::fprintf(stderr,
                 "usage: demo_driver <start.bmp> <success.bmp>\n"
                 "       demo_driver --material <warning.bmp>\n"
                 "       demo_driver --assembly <assembly.bmp>\n"
                 "       demo_driver --assembly-undo <undone.bmp>\n");
    return 2;
}

// Drives the running program through the main job for the demo, the way a user would: picks
// "Aluminium", applies to "Alles, was möglich ist", presses "Dichte nach SWX übertragen",
// answers the boxes, and saves screenshots of the start and of the moment of success.
//
//   demo_driver.exe <start.bmp> <success.bmp>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::wstring textOf(HWND window) {
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return text;
}

void say(const std::wstring& line) {
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, utf8.data(), length, nullptr, nullptr);
    std::printf("demo: %s\n", utf8.c_str());
    std::fflush(stdout);
}

// Saves the whole screen as a 24-bit BMP file.
bool saveScreen(const wchar_t* path) {
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    const HDC screen = ::GetDC(nullptr);
    const HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    ::SelectObject(memory, old);
    const DWORD rowBytes = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
    const DWORD imageBytes = rowBytes * static_cast<DWORD>(height);
    constexpr auto kHeaders =
        static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER));
    BITMAPFILEHEADER header{0x4D42, kHeaders + imageBytes, 0, 0, kHeaders};
    bool saved = false;
    const HANDLE file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        saved = ::WriteFile(file, &header, sizeof header, &written, nullptr) &&
                ::WriteFile(file, &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr) &&
                ::WriteFile(file, bits, imageBytes, &written, nullptr);
        ::CloseHandle(file);
    }
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return saved;
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

std::vector<HWND> children(HWND parent, const wchar_t* className) {
    struct Search {
        const wchar_t* className;
        std::vector<HWND> found;
    } search{className, {}};
    ::EnumChildWindows(
        parent,
        [](HWND child, LPARAM data) {
            auto* s = reinterpret_cast<Search*>(data);
            wchar_t name[64] = {};
            ::GetClassNameW(child, name, 64);
            if (::lstrcmpiW(name, s->className) == 0) s->found.push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Picks the entry with this text in whichever list holds it, as a user's choice does.
bool pick(HWND main, const wchar_t* entry) {
    for (HWND list : children(main, L"ComboBox")) {
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
    struct Search {
        DWORD process;
        HWND box;
    } search{process, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM data) {
            auto* s = reinterpret_cast<Search*>(data);
            wchar_t name[16] = {};
            ::GetClassNameW(window, name, 16);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner == s->process && ::lstrcmpW(name, L"#32770") == 0 &&
                ::IsWindowVisible(window)) {
                s->box = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.box;
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
    for (HWND button : children(main, L"Button")) {
        if (textOf(button) == L"Dichte nach &SWX übertragen") transfer = button;
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
        const std::wstring prompt = textOf(::GetDlgItem(box, 0xFFFF));
        say(L"box \"" + textOf(box) + L"\": " + prompt);
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

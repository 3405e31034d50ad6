// Reads windows of another program, for tests/package/test_package.sh:
//
//   window_text.exe box <title> [seconds]
//       Waits for a message box (a dialog of class #32770) titled <title>, prints its prompt
//       and closes it with OK.
//   window_text.exe lists <title> [seconds]
//       Waits for a visible window titled <title> and prints the entries of each of its
//       drop-down lists, one line a list, the entries separated by tabs.
//
// Waits up to <seconds> (default 10); prints UTF-8 on standard output. Exits 0 when it found
// the window, 1 when none came, 2 on wrong use. Runs under Wine in the same session as the
// program whose windows it reads.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "support/text.h"
#include "testing/windows_found.h"

using velu::testing::childrenOfClass;
using velu::testing::kMessageBoxClass;
using velu::testing::kMessageBoxPromptId;
using velu::text::toUtf8;

namespace {

HWND waitForWindow(const wchar_t* className, const wchar_t* title, long seconds) {
    for (long waited = 0; waited <= seconds * 10; ++waited) {
        const HWND window = FindWindowW(className, title);
        if (window != nullptr && IsWindowVisible(window)) return window;
        Sleep(100);
    }
    return nullptr;
}

void printLine(const std::wstring& line) {
    const std::string text = toUtf8(line);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
}

void answerBox(HWND box) {
    std::wstring prompt(4096, L'\0');
    const int length =
        GetDlgItemTextW(box, kMessageBoxPromptId, prompt.data(), static_cast<int>(prompt.size()));
    prompt.resize(static_cast<size_t>(length));
    printLine(prompt);
    std::fflush(stdout);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
}

void printLists(HWND window) {
    for (const HWND list : childrenOfClass(window, L"ComboBox")) {
        std::wstring line;
        const LRESULT count = SendMessageW(list, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            std::wstring entry(static_cast<size_t>(SendMessageW(list, CB_GETLBTEXTLEN, i, 0)),
                               L'\0');
            SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry.data()));
            line += (i == 0 ? L"" : L"\t") + entry;
        }
        printLine(line);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const bool box = argc >= 3 && std::wcscmp(argv[1], L"box") == 0;
    const bool lists = argc >= 3 && std::wcscmp(argv[1], L"lists") == 0;
    if ((!box && !lists) || argc > 4) {
        std::fputs("usage: window_text.exe box|lists <title> [seconds]\n", stderr);
        return 2;
    }
    const wchar_t* title = argv[2];
    const long seconds = argc == 4 ? std::wcstol(argv[3], nullptr, 10) : 10;

    const HWND window = waitForWindow(box ? kMessageBoxClass : nullptr, title, seconds);
    if (window == nullptr) {
        std::fprintf(stderr, "window_text: no %s \"%s\" within %ld s\n",
                     box ? "message box" : "window", toUtf8(title).c_str(), seconds);
        return 1;
    }
    if (box) {
        answerBox(window);
    } else {
        printLists(window);
    }
    return 0;
}

// Reads a message box of another program and answers it, for tests/package/test_package.sh.
//
//   box_text.exe <title> [seconds]
//
// Waits up to <seconds> (default 10) for a message box (a dialog of class #32770) titled
// <title>, prints its prompt as UTF-8 on standard output and closes it with OK. Exits 0 when
// it found and answered the box, 1 when none came, 2 on wrong use. Runs under Wine in the
// same session as the program that shows the box.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "support/text.h"
#include "testing/windows_found.h"

using velu::testing::kMessageBoxClass;
using velu::testing::kMessageBoxPromptId;
using velu::text::toUtf8;

int wmain(int argc, wchar_t** argv) {
    if (argc < 2 || argc > 3) {
        std::fputs("usage: box_text.exe <title> [seconds]\n", stderr);
        return 2;
    }
    const wchar_t* title = argv[1];
    const long seconds = argc == 3 ? std::wcstol(argv[2], nullptr, 10) : 10;

    HWND box = nullptr;
    for (long waited = 0; waited <= seconds * 10; ++waited) {
        box = FindWindowW(kMessageBoxClass, title);
        if (box != nullptr) break;
        Sleep(100);
    }
    if (box == nullptr) {
        std::fprintf(stderr, "box_text: no message box \"%s\" within %ld s\n",
                     toUtf8(title).c_str(), seconds);
        return 1;
    }

    std::wstring prompt(4096, L'\0');
    const int length =
        GetDlgItemTextW(box, kMessageBoxPromptId, prompt.data(), static_cast<int>(prompt.size()));
    prompt.resize(static_cast<size_t>(length));
    const std::string text = toUtf8(prompt);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);

    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return 0;
}

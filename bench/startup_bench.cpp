// Start-up benchmark: how long a program takes from CreateProcess until its main thread is
// idle in its message loop, for VelumarDichte without and with a catalogue of 32 767
// materials and for two minimal Win32 programs that do the same visible work.
//
//   startup_bench.exe [--repeat N] VelumarDichte.exe minimal_window.exe minimal_list.exe
//
// Cases: (a) VelumarDichte.exe alone in an empty directory, (b) VelumarDichte.exe beside a
// velu.ini of 32 767 materials, (c) minimal_window.exe, (d) minimal_list.exe. Each case is
// started once to warm the caches, then N times (at least 5) in turn with the others; the
// median is printed, with the ratios a/c and b/d. It measures and prints; it never fails on a
// time.
//
// Idle is taken as the moment the program's first visible top-level window answers a
// WM_NULL sent with SendMessageTimeout: a message sent from another thread is handled only
// while the receiving thread retrieves messages, and the window becomes visible right before
// the loop. WaitForInputIdle is called first and its time printed beside it, and a check
// run with a program that pauses between showing its window and entering its loop tells
// whether WaitForInputIdle waits for the loop on this system.

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "catalogue_text.h"
#include "clock.h"
#include "support/text.h"
#include "testing/files.h"
#include "testing/process.h"
#include "testing/windows_found.h"
#include "win32/platform_services.h"
#include "win32/support/handles.h"
#include "win32/support/paths.h"

namespace {

using velu::testing::windowClass;
using velu::text::toUtf8;

constexpr int kMaterials = 32767;
constexpr DWORD kStartLimitMs = 120000;  // a start that takes longer is reported as failed
constexpr DWORD kCloseLimitMs = 10000;   // then the program is terminated
constexpr DWORD kCheckDelayMs = 1500;    // the pause of the idle check's program

// The first visible top-level window of a process, if it has one yet.
HWND firstVisibleWindow(DWORD processId) {
    const auto windows = velu::testing::visibleWindowsOf(processId);
    return windows.empty() ? nullptr : windows.front();
}

// The entry counts of the drop-down lists in a window, in creation order.
std::vector<int> comboCounts(HWND window) {
    std::vector<int> counts;
    for (HWND list : velu::testing::childrenOfClass(window, L"ComboBox")) {
        DWORD_PTR count = 0;
        if (::SendMessageTimeoutW(list, CB_GETCOUNT, 0, 0, SMTO_NORMAL, 5000, &count)) {
            counts.push_back(static_cast<int>(count));
        }
    }
    return counts;
}

struct Run {
    bool ok = false;
    std::string problem;
    double inputIdleMs = 0;   // WaitForInputIdle returned
    double visibleMs = 0;     // the first top-level window was visible
    double idleMs = 0;        // that window answered WM_NULL
    bool terminated = false;  // did not end on WM_CLOSE
    std::vector<int> lists;   // entry counts of its drop-down lists
    std::wstring windowClassName;
};

Run startOnce(const std::wstring& program, const std::wstring& arguments, bool countLists) {
    Run run;
    const double start = nowMs();
    const auto started =
        velu::testing::startProgram(program, arguments, velu::win32::directoryOf(program));
    if (!started) {
        run.problem = "CreateProcess failed, error " + std::to_string(started.error);
        return run;
    }
    const HANDLE process = started.process.get();
    const DWORD waited = ::WaitForInputIdle(process, kStartLimitMs);
    run.inputIdleMs = nowMs() - start;

    HWND window = nullptr;
    while (window == nullptr) {
        window = firstVisibleWindow(started.id);
        if (window != nullptr) break;
        if (::WaitForSingleObject(process, 0) == WAIT_OBJECT_0) {
            run.problem = "the program ended without showing a window";
            break;
        }
        if (nowMs() - start > kStartLimitMs) {
            run.problem = "no visible window after " + std::to_string(kStartLimitMs) + " ms";
            break;
        }
        ::Sleep(1);
    }
    if (window != nullptr) {
        run.visibleMs = nowMs() - start;
        DWORD_PTR result = 0;
        if (::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kStartLimitMs, &result)) {
            run.idleMs = nowMs() - start;
            run.ok = true;
        } else {
            run.problem = "the window did not answer WM_NULL";
        }
        run.windowClassName = windowClass(window);
        if (run.windowClassName == velu::testing::kMessageBoxClass) {
            run.ok = false;
            run.problem =
                "a message box appeared: \"" + toUtf8(velu::testing::windowText(window)) + "\"";
        } else if (countLists) {
            run.lists = comboCounts(window);
        }
    }
    if (waited == WAIT_FAILED && run.problem.empty()) {
        run.problem = "WaitForInputIdle failed, error " + std::to_string(::GetLastError());
    }

    for (HWND w : velu::testing::visibleWindowsOf(started.id)) ::PostMessageW(w, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process, kCloseLimitMs) != WAIT_OBJECT_0) {
        ::TerminateProcess(process, 1);
        ::WaitForSingleObject(process, kCloseLimitMs);
        run.terminated = true;
    }
    return run;
}

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

struct Case {
    const char* label;
    const char* description;
    std::wstring program;
    std::vector<Run> runs;
    Run first;

    std::vector<double> series(double Run::*field) const {
        std::vector<double> values;
        for (const auto& r : runs) {
            if (r.ok) values.push_back(r.*field);
        }
        return values;
    }
    double medianIdle() const { return median(series(&Run::idleMs)); }
};

// velu.ini with `count` materials, Anzahl the highest index, densities in the user's format.
bool writeCatalogue(const std::wstring& path, int count, wchar_t separator) {
    return velu::testing::writeFile(path,
                                    bench::catalogueText(count, static_cast<char>(separator)));
}

// An empty directory of its own under the temporary directory.
std::wstring freshDirectory(const std::wstring& name) {
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring root =
        std::wstring(temp) + L"velu-startup-" + std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(root.c_str(), nullptr);
    const std::wstring directory = root + L"\\" + name;
    ::CreateDirectoryW(directory.c_str(), nullptr);
    return directory;
}

void removeTree(const std::wstring& root) {
    for (const wchar_t* sub : {L"a", L"b"}) {
        const std::wstring directory = root + L"\\" + sub;
        ::DeleteFileW((directory + L"\\VelumarDichte.exe").c_str());
        ::DeleteFileW((directory + L"\\velu.ini").c_str());
        ::RemoveDirectoryW(directory.c_str());
    }
    ::RemoveDirectoryW(root.c_str());
}

std::string listText(const std::vector<int>& counts) {
    std::string text;
    for (int c : counts) text += (text.empty() ? "" : ", ") + std::to_string(c);
    return text.empty() ? "none" : text;
}

void printRatio(const char* name, double numerator, double denominator, double target) {
    if (numerator <= 0 || denominator <= 0) {
        std::printf("  %s: not measured\n", name);
        return;
    }
    const double ratio = numerator / denominator;
    std::printf("  %s = %.2f  (target <= %.1f: %s)\n", name, ratio, target,
                ratio <= target ? "met" : "NOT met");
}

int usage() {
    std::fprintf(stderr,
                 "usage: startup_bench [--repeat N] VelumarDichte.exe minimal_window.exe "
                 "minimal_list.exe\n");
    return 2;
}

}  // namespace

int main() {
    int argc = 0;
    const velu::win32::UniqueLocal arguments(::CommandLineToArgvW(::GetCommandLineW(), &argc));
    auto* argv = static_cast<wchar_t**>(arguments.get());
    int repeat = 7;
    std::vector<std::wstring> programs;
    for (int i = 1; i < argc; ++i) {
        if (std::wcscmp(argv[i], L"--repeat") == 0 && i + 1 < argc) {
            repeat = std::max(5, _wtoi(argv[++i]));
        } else {
            programs.push_back(velu::win32::fullPath(argv[i]));
        }
    }
    if (programs.size() != 3) return usage();
    std::setvbuf(stdout, nullptr, _IONBF, 0);

    // (a) and (b) each get a copy of the program in a directory of their own.
    const std::wstring aDirectory = freshDirectory(L"a");
    const std::wstring bDirectory = freshDirectory(L"b");
    const std::wstring root = velu::win32::directoryOf(aDirectory);
    const std::wstring aProgram = aDirectory + L"\\VelumarDichte.exe";
    const std::wstring bProgram = bDirectory + L"\\VelumarDichte.exe";
    const wchar_t separator = velu::win32::WindowsLocale().decimalSeparator();
    if (!::CopyFileW(programs[0].c_str(), aProgram.c_str(), FALSE) ||
        !::CopyFileW(programs[0].c_str(), bProgram.c_str(), FALSE) ||
        !writeCatalogue(bDirectory + L"\\velu.ini", kMaterials, separator)) {
        std::fprintf(stderr, "startup_bench: cannot prepare %s\n", toUtf8(root).c_str());
        removeTree(root);
        return 1;
    }

    std::vector<Case> cases{
        {"a", "VelumarDichte.exe, no velu.ini", aProgram, {}, {}},
        {"b", "VelumarDichte.exe, velu.ini with 32767 materials", bProgram, {}, {}},
        {"c", "minimal_window.exe", programs[1], {}, {}},
        {"d", "minimal_list.exe, 32767 entries", programs[2], {}, {}},
    };
    std::printf("start-up to idle message loop, %d runs per case after one warm-up run\n", repeat);
    std::printf("velu.ini for (b): %d materials, Anzahl=%d, decimal separator '%c'\n", kMaterials,
                kMaterials - 1, static_cast<char>(separator));

    // The idle check: a program that pauses between showing its window and its loop.
    const Run check =
        startOnce(programs[1], L"--delay-loop " + std::to_wstring(kCheckDelayMs), false);
    bool inputIdleWaits = false;
    if (check.ok) {
        // Had WaitForInputIdle waited for the loop, the window would answer at once after it.
        inputIdleWaits = check.idleMs - check.inputIdleMs < kCheckDelayMs / 2.0;
        std::printf(
            "idle check (minimal_window pausing %lu ms before its loop): WaitForInputIdle after "
            "%.1f ms, window visible after %.1f ms, WM_NULL answered after %.1f ms\n",
            static_cast<unsigned long>(kCheckDelayMs), check.inputIdleMs, check.visibleMs,
            check.idleMs);
        std::printf(
            "  WaitForInputIdle %s; idle is taken from the WM_NULL answer\n",
            inputIdleWaits ? "waits for the message loop" : "returns BEFORE the message loop runs");
    } else {
        std::printf("idle check failed: %s\n", check.problem.c_str());
    }

    for (auto& c : cases) c.first = startOnce(c.program, L"", true);
    for (int round = 0; round < repeat; ++round) {
        for (auto& c : cases) c.runs.push_back(startOnce(c.program, L"", false));
    }

    std::printf("\n%-4s %-50s %9s %9s %9s %9s  %s\n", "case", "program", "median", "min", "max",
                "WFII", "drop-down lists");
    bool failed = !check.ok;
    for (const auto& c : cases) {
        const auto idle = c.series(&Run::idleMs);
        int terminated = 0;
        std::string problems;
        for (const auto& r : c.runs) {
            terminated += r.terminated ? 1 : 0;
            if (!r.ok && problems.empty()) problems = r.problem;
        }
        if (!c.first.ok && problems.empty()) problems = c.first.problem;
        if (idle.empty()) {
            failed = true;
            std::printf("%-4s %-50s  no successful run: %s\n", c.label, c.description,
                        problems.c_str());
            continue;
        }
        std::printf("%-4s %-50s %6.1f ms %6.1f ms %6.1f ms %6.1f ms  %s\n", c.label, c.description,
                    median(idle), *std::min_element(idle.begin(), idle.end()),
                    *std::max_element(idle.begin(), idle.end()),
                    median(c.series(&Run::inputIdleMs)), listText(c.first.lists).c_str());
        if (static_cast<int>(idle.size()) != repeat) {
            std::printf("     %d of %d runs failed: %s\n", repeat - static_cast<int>(idle.size()),
                        repeat, problems.c_str());
        }
        if (terminated > 0) {
            std::printf("     %d runs did not end on WM_CLOSE and were terminated\n", terminated);
        }
    }
    std::printf(
        "(median/min/max: until the main window answered WM_NULL; WFII: median until "
        "WaitForInputIdle returned; drop-down lists: entries after the warm-up start)\n\nratios of "
        "the medians:\n");
    printRatio("a/c (no velu.ini / minimal window)", cases[0].medianIdle(), cases[2].medianIdle(),
               1.3);
    printRatio("b/d (32767 materials / minimal list)", cases[1].medianIdle(), cases[3].medianIdle(),
               1.3);

    removeTree(root);
    return failed ? 1 : 0;  // a program that could not be started, never a time
}

// Where VelumarDichte's start-up time goes: the program's own start steps timed in-process,
// first without a catalogue and then with a velu.ini of 32 767 materials, and the parts of
// the second start measured on their own (the catalogue load with the platform's file
// services and the file checks it makes; filling a drop-down list, plain and subclassed).
//
// It writes velu.ini beside itself for the second start and removes it at the end, so it
// must run from a directory of its own (build/win64/bench/). Measures and prints only.

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalogue_text.h"
#include "clock.h"
#include "config/density_catalogue.h"
#include "config/ini_file.h"
#include "forms/control.h"
#include "forms/form.h"
#include "testing/files.h"
#include "win32/application.h"
#include "win32/platform_services.h"
#include "win32/support/user.h"

namespace {

constexpr int kMaterials = 32767;
constexpr int kSubclassedEntries = 2000;  // enough to see the pace of a slow fill

// The platform's file services, counting and timing the file checks made through them and,
// when asked, checking a file only the first time it is asked about.
class MeasuredFiles final : public velu::FileSystem {
  public:
    explicit MeasuredFiles(bool checkOnce) : checkOnce_(checkOnce) {}

    std::wstring executableDirectory() const override { return files_.executableDirectory(); }
    std::optional<velu::FileStamp> stamp(const std::wstring& path) const override {
        ++stampCalls;
        if (checkOnce_ && remembered_) return remembered_;
        const double start = nowMs();
        auto result = files_.stamp(path);
        stampMs += nowMs() - start;
        remembered_ = result;
        return result;
    }
    std::optional<std::string> readAll(const std::wstring& path) const override {
        const double start = nowMs();
        auto result = files_.readAll(path);
        readMs += nowMs() - start;
        return result;
    }
    bool isOrdinaryFile(const std::wstring& path) const override {
        return files_.isOrdinaryFile(path);
    }

    mutable long stampCalls = 0;
    mutable double stampMs = 0;
    mutable double readMs = 0;

  private:
    velu::win32::WindowsFileSystem files_;
    bool checkOnce_;
    mutable std::optional<velu::FileStamp> remembered_;
};

// Handles what is waiting in the queue, as the loop would on its first turns.
double pumpUntilIdle(velu::win32::Application& application) {
    const double start = nowMs();
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (!application.dispatch(message)) break;
    }
    return nowMs() - start;
}

// Notes the changes of the form during start(): the first one comes once the window is made;
// the materials list is cleared once the catalogue is loaded, then filled entry by entry, and
// an entry is selected when the fill is over.
class StartClock final : public velu::forms::FormObserver {
  public:
    explicit StartClock(double origin) : origin_(origin) {}
    void controlChanged(const velu::forms::Control& control,
                        velu::forms::Property property) override {
        const double at = nowMs() - origin_;
        if (firstChange < 0) firstChange = at;
        if (control.name() != L"cmbAuswahl") return;
        if (property == velu::forms::Property::ListIndex) {
            if (filled < 0) filled = at;
        } else if (property == velu::forms::Property::ListItems) {
            const std::size_t count = control.items().size();
            if (count == 0) {
                cleared = at;
            } else {
                marks.push_back({count, at});
            }
        }
    }

    struct Mark {
        std::size_t count;
        double at;
    };
    double firstChange = -1;
    double cleared = -1;
    double filled = -1;
    std::vector<Mark> marks;

  private:
    double origin_;
};

struct StartTimes {
    double construct = 0;
    double start = 0;
    double pump = 0;
    StartClock clock{0};
};

StartTimes startProgram() {
    StartTimes times;
    velu::win32::WindowsProcess process;
    double t = nowMs();
    auto application =
        std::make_unique<velu::win32::Application>(::GetModuleHandleW(nullptr), process);
    times.construct = nowMs() - t;
    t = nowMs();
    times.clock = StartClock(t);
    application->mainWindow().form().addObserver(&times.clock);
    application->start(SW_SHOWNORMAL);
    times.start = nowMs() - t;
    application->mainWindow().form().removeObserver(&times.clock);
    times.pump = pumpUntilIdle(*application);
    application.reset();
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message != WM_QUIT) ::DispatchMessageW(&message);
    }
    return times;
}

void printStart(const char* what, const StartTimes& t) {
    const StartClock& c = t.clock;
    std::printf("%s\n", what);
    std::printf("  %-52s %8.1f ms\n", "Application constructor (COM, services)", t.construct);
    std::printf("  %-52s %8.1f ms\n", "start()", t.start);
    if (c.firstChange >= 0 && c.cleared >= 0 && c.filled >= 0) {
        std::printf("    %-50s %8.1f ms\n", "window and controls made", c.firstChange);
        std::printf("    %-50s %8.1f ms\n", "Form_Load up to the list fill (texts, catalogue)",
                    c.cleared - c.firstChange);
        const std::string fill = "list fill, " + std::to_string(c.marks.size()) + " entries";
        std::printf("    %-50s %8.1f ms\n", fill.c_str(), c.filled - c.cleared);
        std::printf("    %-50s %8.1f ms\n", "the rest (selection, show, focus)",
                    t.start - c.filled);
    }
    std::printf("  %-52s %8.1f ms\n", "first messages of the loop", t.pump);
    if (c.marks.size() < 1000) return;
    std::printf("  pace of the list fill:\n");
    double previousAt = c.cleared;
    std::size_t previousCount = 0;
    for (const std::size_t step : {std::size_t{1000}, std::size_t{8000}, std::size_t{16000},
                                   std::size_t{24000}, std::size_t{32767}}) {
        for (const auto& mark : c.marks) {
            if (mark.count != step) continue;
            std::printf(
                "    entries %5zu..%5zu %8.1f ms, %7.1f us per entry\n", previousCount + 1, step,
                mark.at - previousAt,
                (mark.at - previousAt) * 1000.0 / static_cast<double>(step - previousCount));
            previousAt = mark.at;
            previousCount = step;
        }
    }
}

struct LoadTimes {
    double total = 0;
    long stampCalls = 0;
    double stampMs = 0;
    double readMs = 0;
    std::size_t entries = 0;
    int boxes = 0;
};

LoadTimes loadCatalogue(const std::wstring& path, bool checkOnce) {
    MeasuredFiles files(checkOnce);
    velu::win32::WindowsAnsiCodePage ansi;
    velu::win32::WindowsLocale locale;
    LoadTimes times;
    const double start = nowMs();
    velu::config::ProfileReader ini(files, ansi);
    const auto catalogue =
        velu::config::loadDensityCatalogue(ini.open(path), locale.decimalSeparator());
    times.total = nowMs() - start;
    times.stampCalls = files.stampCalls;
    times.stampMs = files.stampMs;
    times.readMs = files.readMs;
    times.entries = catalogue.names.size();
    times.boxes = static_cast<int>(catalogue.notices.size());
    return times;
}

HWND newList(HWND parent) {
    return ::CreateWindowExW(0, L"COMBOBOX", L"",
                             WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 10,
                             10, 300, 240, parent, nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

// Tool tips for the controls of a window, each control a tool that the tips subclass.
velu::win32::UniqueWindow newToolTips(HWND window) {
    return velu::win32::UniqueWindow(::CreateWindowExW(
        WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
        ::GetModuleHandleW(nullptr), nullptr));
}

void addToolTip(HWND tips, HWND window, HWND control) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    wchar_t text[] = L"Tipp";
    tool.lpszText = text;
    ::SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

// Microseconds per entry for adding `count` entries the way the form window does: a
// CB_GETCOUNT, then a CB_ADDSTRING.
double addEntries(HWND list, int count) {
    std::vector<std::wstring> names;
    names.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) names.push_back(L"Material " + std::to_wstring(i));
    const double start = nowMs();
    for (const auto& name : names) {
        ::SendMessageW(list, CB_GETCOUNT, 0, 0);
        ::SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    return (nowMs() - start) * 1000.0 / count;
}

LRESULT CALLBACK passOn(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                        DWORD_PTR) {
    return ::DefSubclassProc(window, message, wParam, lParam);
}

// Milliseconds to make a window with controls like the main window's (labels, buttons, a
// check box, drop-down lists, frames, pictures), give each control a tool tip when asked,
// then set their font, place them, show the window and handle its first messages: the order
// of the form window.
double buildWindow(bool toolTips) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &::DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"VeluBenchForm";
    ::RegisterClassExW(&windowClass);
    struct Kind {
        const wchar_t* className;
        DWORD style;
        int count;
    };
    const Kind kinds[] = {
        {L"STATIC", SS_LEFT | SS_NOTIFY, 7},
        {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 4},
        {L"BUTTON", BS_CHECKBOX | WS_TABSTOP, 1},
        {L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 2},
        {L"BUTTON", BS_GROUPBOX, 3},
        {L"STATIC", SS_ICON | SS_REALSIZEIMAGE, 3},
    };

    const double start = nowMs();
    velu::win32::UniqueWindow owned(::CreateWindowExW(
        WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, L"VeluBenchForm", L"Dichte", WS_OVERLAPPEDWINDOW,
        CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr, nullptr, instance, nullptr));
    const HWND window = owned.get();
    std::vector<HWND> controls;
    for (const Kind& kind : kinds) {
        for (int i = 0; i < kind.count; ++i) {
            controls.push_back(::CreateWindowExW(0, kind.className, L"Beschriftung",
                                                 WS_CHILD | WS_VISIBLE | kind.style, 0, 0, 10, 10,
                                                 window, nullptr, instance, nullptr));
        }
    }
    velu::win32::UniqueWindow tips;
    if (toolTips) {
        tips = newToolTips(window);
        for (HWND control : controls) addToolTip(tips.get(), window, control);
    }
    const auto font = reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT));
    int y = 10;
    for (HWND control : controls) {
        ::SendMessageW(control, WM_SETFONT, font, FALSE);
        ::SetWindowPos(control, nullptr, 10, y, 200, 20, SWP_NOZORDER | SWP_NOACTIVATE);
        y += 22;
    }
    ::SetWindowPos(window, nullptr, 0, 0, 400, y + 60, SWP_NOMOVE | SWP_NOZORDER);
    ::ShowWindow(window, SW_SHOWNORMAL);
    ::UpdateWindow(window);
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    const double elapsed = nowMs() - start;
    tips.reset();
    owned.reset();
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    return elapsed;
}

void printFills() {
    velu::win32::UniqueWindow owned(::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0,
                                                      400, 300, nullptr, nullptr,
                                                      ::GetModuleHandleW(nullptr), nullptr));
    const HWND parent = owned.get();
    const auto line = [](const char* what, double perEntry) {
        std::printf("  %-52s %6.1f us per entry, %8.1f ms for %d\n", what, perEntry,
                    perEntry * kMaterials / 1000.0, kMaterials);
    };
    line("list fill, plain drop-down list", addEntries(newList(parent), kMaterials));

    const HWND withTip = newList(parent);
    velu::win32::UniqueWindow tips = newToolTips(parent);
    addToolTip(tips.get(), parent, withTip);
    line("list fill, list with a tool tip (TTF_SUBCLASS)", addEntries(withTip, kSubclassedEntries));

    const HWND subclassed = newList(parent);
    ::SetWindowSubclass(subclassed, &passOn, 1, 0);
    line("list fill, list with an empty SetWindowSubclass",
         addEntries(subclassed, kSubclassedEntries));
    const double start = nowMs();
    for (int i = 0; i < kSubclassedEntries; ++i) ::GetPropW(subclassed, L"VeluBenchProperty");
    std::printf("  %-52s %6.1f us per call\n",
                "GetPropW (what a subclassed window asks per message)",
                (nowMs() - start) * 1000.0 / kSubclassedEntries);
    tips.reset();
    owned.reset();

    buildWindow(false);  // once untimed, for the classes and fonts
    std::printf("  %-52s %8.1f ms\n", "window with 20 controls, made and shown, no tool tips",
                buildWindow(false));
    std::printf("  %-52s %8.1f ms\n", "the same, each control with a TTF_SUBCLASS tool tip",
                buildWindow(true));
}

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    double t = nowMs();
    ::SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
    const double commonControls = nowMs() - t;

    // The first window of a session costs more (the desktop is set up); that is not the
    // program's start.
    const HWND warm = ::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                        nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ::ShowWindow(warm, SW_SHOWNORMAL);
    ::DestroyWindow(warm);

    const std::wstring path =
        velu::win32::WindowsFileSystem().executableDirectory() + L"\\velu.ini";
    ::DeleteFileW(path.c_str());

    std::printf("start-up phases of VelumarDichte, in-process (one run each)\n");
    std::printf("  %-52s %8.1f ms\n", "DPI awareness, InitCommonControlsEx", commonControls);
    printStart("(a) no velu.ini:", startProgram());

    const velu::win32::WindowsLocale locale;
    if (!velu::testing::writeFile(
            path, bench::catalogueText(kMaterials, static_cast<char>(locale.decimalSeparator())))) {
        std::fprintf(stderr, "startup_phases: cannot write velu.ini beside the program\n");
        return 1;
    }
    printStart("(b) velu.ini with 32767 materials:", startProgram());

    std::printf("parts of (b), each on its own:\n");
    const LoadTimes load = loadCatalogue(path, false);
    std::printf("  %-52s %8.1f ms (%zu entries, %d boxes)\n",
                "catalogue load (ProfileReader + loadDensityCatalogue)", load.total, load.entries,
                load.boxes);
    std::printf("    %-50s %8.1f ms (%ld calls, %.1f us each)\n",
                "file checks (GetFileAttributesExW per lookup)", load.stampMs, load.stampCalls,
                load.stampCalls > 0 ? load.stampMs * 1000.0 / load.stampCalls : 0.0);
    std::printf("    %-50s %8.1f ms\n", "reading the file", load.readMs);
    std::printf("    %-50s %8.1f ms\n", "parse and lookups",
                load.total - load.stampMs - load.readMs);
    const LoadTimes once = loadCatalogue(path, true);
    std::printf("  %-52s %8.1f ms\n", "the same load, checking the file only once", once.total);
    printFills();

    ::DeleteFileW(path.c_str());
    return 0;
}

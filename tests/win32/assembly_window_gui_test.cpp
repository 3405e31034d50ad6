// The assembly window as the platform shows it, at the resolution of the display: nothing cut
// off, the list growing with the window, and the list's check boxes and headings in the
// user's hands. SolidWorks is faked; the window itself is real.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "../unit/faked_assembly_window.h"
#include "support/text.h"
#include "testing/messages.h"
#include "testing/windows_found.h"
#include "win32/control_layout.h"
#include "win32/form_window.h"
#include "win32/support/gdi.h"

namespace velu::win32 {
namespace {

using State = testing::FakeAssembly::State;

class AssemblyGui : public ::testing::Test, protected testing::FakedAssemblyWindow {
  protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
        ::InitCommonControlsEx(&classes);
        // German texts of the sample file, which are longer than the built-in English ones.
        messages[config::kPartsWritten] =
            L"%1 Teile geschrieben, %2 behalten die Dichte ihres Materials, %4 mit vorgegebener "
            L"Masse, %5 rechnen mit einer anderen Dichte, %3 abgelehnt. Speichern Sie die "
            L"Baugruppe in SolidWorks, damit die Teile die neue Dichte behalten.";
        messages[config::kAssemblyMassChanged] = L"Masse der Baugruppe: %1 kg \u2192 %2 kg";
        for (int i = 0; i < 40; ++i) {
            const std::wstring path =
                L"C:\\Konstruktion\\Zahnrad-Stufe-" + std::to_wstring(i) + L".SLDPRT";
            cad.parts[path] = {.materials = {{L"Standard", i % 3 ? L"" : L"AISI 304"}}};
            cad.components.push_back(
                {.path = path, .state = i == 5 ? State::Lightweight : State::Resolved});
        }
        box = openWindow([this] { ::DestroyWindow(window->handle()); },
                         std::chrono::milliseconds(50));
        window = std::make_unique<FormWindow>(box->form(), ::GetModuleHandleW(nullptr),
                                              FormWindow::Style{});
        box->Form_Load();
        window->show(SW_SHOWNORMAL);
        ASSERT_TRUE(testing::pumpUntil([this] { return !box->form().working(); }));
    }
    void TearDown() override {
        window.reset();
        box.reset();
        testing::pumpMessages();
    }

    assembly::AssemblyForm& form() { return box->form(); }
    HWND of(const forms::Control& control) { return window->controlWindow(control); }
    HWND list() { return of(form().lvwTeile); }
    RECT placeOf(HWND control) {
        RECT rect{};
        ::GetWindowRect(control, &rect);
        ::MapWindowPoints(nullptr, window->handle(), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    // How large a text is in the control's own font; wrapped at `width` when it is given.
    SIZE extent(HWND control, const std::wstring& text, int width = 0) {
        const WindowDc dc(control);
        const SelectedObject font(
            dc.get(), reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
        RECT rect{0, 0, width > 0 ? width : 100000, 0};
        ::DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &rect,
                    DT_CALCRECT | (width > 0 ? DT_WORDBREAK : DT_SINGLELINE));
        return {rect.right, rect.bottom};
    }

    // Every text of the window shows whole.
    void expectNothingCutOff() {
        RECT client{};
        ::GetClientRect(window->handle(), &client);
        for (const auto& control : form().controls()) {
            const HWND hwnd = of(*control);
            const std::string name = text::toUtf8(control->name());
            const RECT rect = placeOf(hwnd);
            EXPECT_LE(rect.right, client.right) << name;
            EXPECT_LE(rect.bottom, client.bottom) << name;
            const int width = rect.right - rect.left;
            const int height = rect.bottom - rect.top;
            const std::wstring caption = withoutAccessMarks(control->caption());
            if (control->kind() == forms::Kind::CommandButton) {
                const SIZE size = extent(hwnd, caption);
                EXPECT_LE(size.cx + 8, width) << name;  // the button's edges and focus frame
                EXPECT_LE(size.cy + 4, height) << name;
            } else if (control->kind() == forms::Kind::Label) {
                EXPECT_LE(extent(hwnd, caption, width).cy, height) << name;
            }
        }
        // A heading and a cell show whole with the margins they are drawn with.
        const HWND header = ListView_GetHeader(list());
        const int margins = 12 * static_cast<int>(window->dpi()) / 96;
        for (int column = 0; column < Header_GetItemCount(header); ++column) {
            const std::wstring heading = form().lvwTeile.headings()[column];
            LONG widest = extent(header, heading).cx;
            for (const auto& row : form().lvwTeile.rows()) {
                widest = std::max(widest, extent(list(), row.cells[column]).cx);
            }
            EXPECT_GE(ListView_GetColumnWidth(list(), column), widest + margins)
                << text::toUtf8(heading);
        }
    }

    std::unique_ptr<assembly::AssemblyWindow> box;
    std::unique_ptr<FormWindow> window;
};

TEST_F(AssemblyGui, NothingIsCutOffAndTheListGrowsWithTheWindow) {
    // At 192 dpi the window fits a display of 1280 by 1024 pixels, at the others in proportion.
    RECT designed{};
    ::GetWindowRect(window->handle(), &designed);
    const int dpi = static_cast<int>(window->dpi());
    EXPECT_LE(designed.right - designed.left, ::MulDiv(1280, dpi, 192));
    EXPECT_LE(designed.bottom - designed.top, ::MulDiv(1024, dpi, 192));
    expectNothingCutOff();
    ::SendMessageW(of(form().cmdUebertragen), BM_CLICK, 0, 0);
    ASSERT_TRUE(testing::pumpUntil([this] { return !form().working(); }));
    EXPECT_NE(testing::windowText(of(form().lblStatus)).find(L"Speichern"), std::wstring::npos);
    expectNothingCutOff();

    const RECT listBefore = placeOf(list());
    const RECT closeBefore = placeOf(of(form().cmdSchliessen));
    RECT clientBefore{};
    ::GetClientRect(window->handle(), &clientBefore);
    RECT outer{};
    ::GetWindowRect(window->handle(), &outer);
    ::SetWindowPos(window->handle(), nullptr, 0, 0, outer.right - outer.left + 200,
                   outer.bottom - outer.top + 100, SWP_NOMOVE | SWP_NOZORDER);
    testing::pumpMessages();
    // The screen may hold the window back at a high resolution: what it grew by is measured.
    RECT clientAfter{};
    ::GetClientRect(window->handle(), &clientAfter);
    const LONG wider = clientAfter.right - clientBefore.right;
    const LONG higher = clientAfter.bottom - clientBefore.bottom;
    EXPECT_GT(higher, 0);
    const RECT listAfter = placeOf(list());
    const RECT closeAfter = placeOf(of(form().cmdSchliessen));
    EXPECT_EQ(listAfter.right - listBefore.right, wider);
    EXPECT_EQ(listAfter.bottom - listBefore.bottom, higher);
    EXPECT_EQ(closeAfter.left - closeBefore.left, wider);
    EXPECT_EQ(closeAfter.top - closeBefore.top, higher);
    // Never smaller than designed.
    ::SetWindowPos(window->handle(), nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOZORDER);
    testing::pumpMessages();
    expectNothingCutOff();
}

// A window whose form goes first goes with it, and does not touch the form again.
TEST_F(AssemblyGui, AWindowWhoseFormGoesFirstGoesWithIt) {
    const HWND handle = window->handle();
    box.reset();
    EXPECT_FALSE(::IsWindow(handle));
    window.reset();
}

// The list's context menu, opened from the keyboard, offers "Kopieren" first: chosen, every
// row goes onto the clipboard with the headings.
TEST_F(AssemblyGui, TheListsContextMenuCopiesTheRows) {
    ::SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR id, DWORD) {
        ::KillTimer(nullptr, id);
        const HWND menu = ::FindWindowW(L"#32768", nullptr);
        ::PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
        ::PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    });
    ::SendMessageW(window->handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list()),
                   MAKELPARAM(-1, -1));
    EXPECT_EQ(std::count(saving.clipboard.begin(), saving.clipboard.end(), L'\n'), 1 + 40);
}

// The user ticks with the list's check boxes; a part that is not loaded has none to tick. A
// heading sorts, Escape closes.
TEST_F(AssemblyGui, TheUserTicksSortsAndClosesThroughTheList) {
    auto tick = [this](int item) {
        ListView_SetItemState(list(), item, INDEXTOSTATEIMAGEMASK(2), LVIS_STATEIMAGEMASK);
        return form().lvwTeile.rows()[static_cast<std::size_t>(item)].checked;
    };
    EXPECT_FALSE(form().lvwTeile.rows()[0].checked);  // it has a material
    EXPECT_TRUE(tick(0));
    EXPECT_FALSE(tick(5));  // not loaded
    EXPECT_EQ(ListView_GetItemState(list(), 5, LVIS_STATEIMAGEMASK), 0u);

    NMLISTVIEW click{};
    click.hdr = {list(), static_cast<UINT_PTR>(::GetDlgCtrlID(list())), LVN_COLUMNCLICK};
    click.iSubItem = assembly::kPart;
    for (int times = 0; times < 2; ++times) {
        ::SendMessageW(window->handle(), WM_NOTIFY, click.hdr.idFrom,
                       reinterpret_cast<LPARAM>(&click));
    }
    wchar_t first[64] = {};
    ListView_GetItemText(list(), 0, assembly::kPart, first, 64);
    EXPECT_STREQ(first, L"Zahnrad-Stufe-9.SLDPRT");

    ::SendMessageW(window->handle(), WM_COMMAND, IDCANCEL, 0);
    testing::pumpMessages();
    EXPECT_FALSE(::IsWindow(window->handle()));
}

}  // namespace
}  // namespace velu::win32

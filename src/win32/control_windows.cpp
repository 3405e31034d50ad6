#include "win32/control_windows.h"

#include <commctrl.h>

#include <string>

#include "common/program_texts.h"
#include "win32/creation_error.h"

namespace velu::win32 {
namespace {

using forms::Kind;

struct WindowKind {
    Kind kind;
    const wchar_t* className;
    DWORD style;  // besides WS_CHILD | WS_VISIBLE
    DWORD extendedStyle;
};

constexpr WindowKind kWindowKinds[] = {
    {Kind::Frame, L"BUTTON", BS_GROUPBOX, 0},
    {Kind::CommandButton, L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0},
    {Kind::CheckBox, L"BUTTON", WS_TABSTOP | BS_CHECKBOX, 0},
    {Kind::ComboBox, L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0},
    {Kind::ListBox, L"LISTBOX", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY, WS_EX_CLIENTEDGE},
    {Kind::Image, L"STATIC", SS_ICON | SS_REALSIZEIMAGE, 0},
    {Kind::PictureBox, L"STATIC", SS_ICON | SS_REALSIZEIMAGE | SS_NOTIFY, 0},
    {Kind::Label, L"STATIC", SS_NOTIFY, 0},
    {Kind::ProgressBar, PROGRESS_CLASSW, 0, 0},
};

// What a row of a window's table adds to the style of its kind.
DWORD styleOf(const forms::Control& control, DWORD style) {
    const auto& d = control.definition();
    switch (control.kind()) {
        case Kind::CommandButton:
            return d.defaultButton ? (style & ~BS_PUSHBUTTON) | BS_DEFPUSHBUTTON : style;
        case Kind::PictureBox:
            // A picture box takes the focus in its place of the tab order.
            return style | (d.tabIndex ? WS_TABSTOP : 0);
        case Kind::Label:
            return style | (d.valueDisplay ? SS_RIGHT : SS_LEFT);
        default:
            return style;
    }
}

}  // namespace

bool hasWindow(const forms::Control& control) {
    switch (control.kind()) {
        case Kind::Frame:
            return control.definition().border;
        case Kind::Image:
            return control.definition().visible;
        case Kind::Timer:
        case Kind::Menu:
        case Kind::Line:
            return false;
        default:
            return true;
    }
}

HWND createControlWindow(const forms::Control& control, HWND parent, UINT id, HINSTANCE instance,
                         std::wstring_view formName) {
    for (const WindowKind& kind : kWindowKinds) {
        if (kind.kind != control.kind()) continue;
        const std::wstring text = control.kind() == Kind::ComboBox ? L"" : control.caption();
        const DWORD style = WS_CHILD | (control.visible() ? WS_VISIBLE : 0) |
                            (control.enabled() ? 0 : WS_DISABLED) | styleOf(control, kind.style);
        return created(
            ::CreateWindowExW(kind.extendedStyle, kind.className, text.c_str(), style, 0, 0, 10, 10,
                              parent, reinterpret_cast<HMENU>(UINT_PTR{id}), instance, nullptr),
            formName, texts::controlNamed(control.name()), L"CreateWindowExW");
    }
    return nullptr;
}

void showEntries(HWND window, const forms::Control& list, std::size_t& shown) {
    const bool listBox = list.kind() == Kind::ListBox;
    const auto& items = list.items();
    if (items.size() < shown) {
        ::SendMessageW(window, listBox ? LB_RESETCONTENT : CB_RESETCONTENT, 0, 0);
        shown = 0;
    }
    const std::size_t adding = items.size() - shown;
    if (adding == 0) return;
    // Many entries go in without a redraw each, into storage made for them at once.
    const bool many = adding > 64;
    if (many) {
        ::SendMessageW(window, WM_SETREDRAW, FALSE, 0);
        std::size_t characters = 0;
        for (std::size_t i = shown; i < items.size(); ++i) characters += items[i].size() + 1;
        ::SendMessageW(window, listBox ? LB_INITSTORAGE : CB_INITSTORAGE, adding,
                       static_cast<LPARAM>(characters * sizeof(wchar_t)));
    }
    for (; shown < items.size(); ++shown) {
        ::SendMessageW(window, listBox ? LB_ADDSTRING : CB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(items[shown].c_str()));
    }
    if (many) {
        ::SendMessageW(window, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(window, nullptr, TRUE);
    }
}

}  // namespace velu::win32

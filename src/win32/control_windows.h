#pragma once
// The child window each kind of control of a form is shown in: its window class and style.

#include <windows.h>

#include <string_view>

#include "forms/control.h"

namespace velu::win32 {

// Borderless frames are pure containers, invisible picture holders keep their picture in the
// model, and timers, menu items and lines have no window.
bool hasWindow(const forms::Control& control);

// Shows the entries of a list box or combo box that its window does not show yet; `shown`
// counts those it shows. Entries are only ever appended or all removed, so the shown ones are
// a prefix of the control's.
void showEntries(HWND window, const forms::Control& list, std::size_t& shown);

// Makes the control's window as a child of the form's window, with its command id; list
// views are made by ListViewWindow. Throws CreationError naming the control.
HWND createControlWindow(const forms::Control& control, HWND parent, UINT id, HINSTANCE instance,
                         std::wstring_view formName);

}  // namespace velu::win32

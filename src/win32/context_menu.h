#pragma once
// The context menu of a control: the form's menu items that name the control as theirs, shown
// where the user right-clicked (or at the control's corner, for Shift+F10 and the menu key),
// and the items reached with Ctrl and a letter while the control has the focus.

#include <windows.h>

#include "forms/form.h"

namespace velu::win32 {

// The item the user chose from the control's context menu; nothing when the menu was closed
// without a choice or the control has none. `at` is in screen coordinates; (-1, -1) opens it
// at the control's top-left corner.
forms::Control* chooseFromContextMenu(const forms::Form& form, const forms::Control& owner,
                                      HWND control, POINT at);

// The visible item of the control's context menu that Ctrl and this key reach; nothing for
// any other key.
forms::Control* contextItemForKey(const forms::Form& form, const forms::Control& owner,
                                  WORD virtualKey);

}  // namespace velu::win32

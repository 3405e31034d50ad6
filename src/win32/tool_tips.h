#pragma once
// The tool tips of a form's controls: one tool tip window for the form, one tool per control.
// The tips learn of the mouse from the message loop (relay) rather than by subclassing every
// control, which would make each message to a control (filling a list of 32 767 entries) slow.

#include <windows.h>

#include <commctrl.h>

#include <string_view>

#include "forms/control.h"

namespace velu::win32 {

class ToolTips {
  public:
    // Throws CreationError when the tool tip window cannot be made.
    ToolTips(HWND window, HINSTANCE instance, std::wstring_view formName);

    // A control's tool; throws CreationError when it cannot be added.
    void add(const forms::Control& control, HWND controlWindow, UINT id);
    // The control's text now, and for a frame the strip of its caption in this font.
    void update(const forms::Control& control, HWND controlWindow, UINT id, HFONT font);
    // Hands a mouse message over the form to the tips.
    void relay(MSG& message) const;

  private:
    TTTOOLINFOW toolOf(const forms::Control& control, HWND controlWindow, UINT id) const;

    HWND window_;
    HWND tips_;
    std::wstring_view formName_;
};

}  // namespace velu::win32

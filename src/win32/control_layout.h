#pragma once
// Where the controls of a form stand on screen: their twips positions at the window's DPI
// (twips × DPI / 1440), moved or stretched with the edges they are anchored to when the window
// is larger than its designed client area.

#include <windows.h>

#include "forms/form.h"

namespace velu::win32 {

class ControlLayout {
  public:
    explicit ControlLayout(const forms::Form& form) : form_(form) {}

    void setDpi(UINT dpi) { dpi_ = dpi; }
    UINT dpi() const { return dpi_; }
    int toPixels(int twips) const { return ::MulDiv(twips, static_cast<int>(dpi_), 1440); }
    // Position of a control in twips relative to the form's client area.
    forms::TwipsRect absoluteTwips(const forms::Control& control) const;
    // The designed client area in pixels: the window's size, and its smallest when it resizes.
    SIZE clientSize() const;
    // Whether any control follows the window's frame when it is resized.
    bool followsFrame() const;

    // The size of the window around the designed client area, with or without a menu bar.
    SIZE windowSize(HWND window, bool menuBar) const;

    // Puts a control's window in place for a client area of the given size; labels that
    // size themselves measure their caption in the font.
    void place(const forms::Control& control, HWND window, HFONT font, SIZE client) const;
    // Lines have no window: each is drawn at its place.
    void paintLines(HDC dc) const;

  private:
    const forms::Form& form_;
    UINT dpi_ = 96;
};

// A caption as it is drawn: "&Ende" shows as "Ende", "&&" as "&".
std::wstring withoutAccessMarks(const std::wstring& caption);

}  // namespace velu::win32

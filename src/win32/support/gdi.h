#pragma once
// Owners of device contexts and GDI objects, so that no path keeps a DC, leaves an object
// selected into one or leaks an object. Declare an object's owner before the SelectedObject
// that selects it: the DC gives it back before it is deleted.

#include <windows.h>

#include <string>

#include "win32/support/owner.h"

namespace velu::win32 {

// The DC of a window's client area (GetDC), given back with ReleaseDC; a null window gives
// the screen's.
class WindowDc {
  public:
    explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_) ::ReleaseDC(window_, dc_);
    }
    HDC get() const { return dc_; }

  private:
    HWND window_;
    HDC dc_;
};

// The DC of one WM_PAINT: BeginPaint, and EndPaint on every path.
class PaintDc {
  public:
    explicit PaintDc(HWND window) : window_(window), dc_(::BeginPaint(window, &paint_)) {}
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    ~PaintDc() { ::EndPaint(window_, &paint_); }
    HDC get() const { return dc_; }
    const RECT& area() const { return paint_.rcPaint; }

  private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// A memory DC of CreateCompatibleDC, deleted with DeleteDC.
using UniqueMemoryDc = UniqueHandle<HDC, &::DeleteDC>;

// An object selected into a DC; the object it replaced goes back in when this goes.
class SelectedObject {
  public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject() {
        if (previous_) ::SelectObject(dc_, previous_);
    }

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

// The extents of texts in a font, as drawn on a window: the window's DC with the font selected
// for as long as this lives.
class TextMeasure {
  public:
    TextMeasure(HWND window, HFONT font) : dc_(window), font_(dc_.get(), font) {}
    // In the window's own font.
    explicit TextMeasure(HWND window)
        : TextMeasure(window, reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0))) {}
    SIZE extent(const std::wstring& text) const {
        SIZE size{};
        ::GetTextExtentPoint32W(dc_.get(), text.c_str(), static_cast<int>(text.size()), &size);
        return size;
    }
    int width(const std::wstring& text) const { return static_cast<int>(extent(text).cx); }

  private:
    WindowDc dc_;
    SelectedObject font_;
};

// Pens, brushes, fonts and bitmaps that the program made; stock objects are never deleted.
using UniquePen = UniqueHandle<HPEN, &::DeleteObject>;
using UniqueBrush = UniqueHandle<HBRUSH, &::DeleteObject>;
using UniqueFont = UniqueHandle<HFONT, &::DeleteObject>;
using UniqueBitmap = UniqueHandle<HBITMAP, &::DeleteObject>;

}  // namespace velu::win32

#pragma once
// Renders a form model as a Win32 window and forwards the user's input into the model.
//
// Controls are created from their definitions and placed at their twips positions scaled by
// the window's DPI; every property change in the model is mirrored into the matching window,
// menu item or timer. Borderless frames are pure containers and get no window of their own;
// invisible picture holders carry their picture in the model only.

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "forms/form.h"
#include "win32/support/gdi.h"
#include "win32/support/user.h"

namespace velu::win32 {

// The three pictures of the program at one DPI.
class PictureSet {
  public:
    PictureSet(HINSTANCE instance, UINT dpi);
    HICON icon(forms::Picture picture) const;

  private:
    UniqueIcon tool_;
    UniqueIcon success_;
    UniqueIcon error_;
};

class FormWindow final : public forms::FormObserver {
  public:
    struct Style {
        bool resizable = true;  // ordinary resizable frame with minimise and maximise boxes
        std::function<void()> onDestroyed;
    };

    FormWindow(forms::Form& form, HINSTANCE instance, Style style);
    ~FormWindow() override;
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    HWND handle() const { return window_; }
    // The window of a control; nothing for controls without one.
    HWND controlWindow(const forms::Control& control) const;
    // Command id of a control or menu item, as WM_COMMAND carries it.
    UINT commandId(const forms::Control& control) const;
    UINT dpi() const { return dpi_; }
    int toPixels(int twips) const { return ::MulDiv(twips, static_cast<int>(dpi_), 1440); }
    // Position of a control in twips relative to the client area.
    forms::TwipsRect absoluteTwips(const forms::Control& control) const;

    // The icon this window shows for a picture at its present DPI.
    HICON iconOf(forms::Picture picture) const { return pictures_->icon(picture); }

    // Shows the window; the focus goes to the control with the lowest tab index.
    void show(int showCommand);
    // Keyboard navigation (Tab, access keys, Enter and Escape); true when the message was used.
    bool preTranslate(MSG& message);

    void controlChanged(const forms::Control& control, forms::Property property) override;
    void captionChanged(const forms::Form& form) override;
    void layerRequested(const forms::Form& form, bool topmost) override;

    // Runs the work later, from whatever message loop runs next on this thread (also a
    // modal box's); for work that must not run inside a handler of this window.
    void defer(std::function<void()> work);

    // Whether a handler of the form runs at the moment (a modal box it shows may be open).
    bool handling() const { return handling_ > 0; }
    // Runs the work as soon as the handler that runs now has returned.
    void whenHandlersReturn(std::function<void()> work) { afterHandlers_ = std::move(work); }

  private:
    struct Bound {
        forms::Control* control = nullptr;
        HWND window = nullptr;
        UINT id = 0;
        HMENU parentMenu = nullptr;  // menu items: the menu that holds the item
        UINT menuPosition = 0;
        HMENU popup = nullptr;       // menu items that open a menu
        std::size_t shownItems = 0;  // lists: how many of the entries the window shows
    };

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void onCommand(WPARAM wParam, LPARAM lParam);
    // Runs a handler of the form, counting it as running while it does.
    void runHandler(const std::function<void()>& handler);

    void createWindow(HINSTANCE instance);
    void createControls(HINSTANCE instance);
    void createMenuBar();
    void createToolTips(HINSTANCE instance);
    void applyDpi(UINT dpi);
    void resizeClientArea();
    void placeControl(const Bound& bound);
    void syncList(Bound& bound);
    void updateMenuItem(const Bound& bound);
    void updateToolTip(const Bound& bound);
    void updatePicture(const Bound& bound);
    void updateTimer(const Bound& bound);
    void paintLines(HDC dc);
    Bound* bound(const forms::Control& control);
    const Bound* bound(const forms::Control& control) const;
    Bound* boundById(UINT id);
    const Bound* boundByWindow(HWND window) const;
    TTTOOLINFOW toolInfo(const Bound& b) const;
    // The window's default or cancel button, where it has one.
    forms::Control* buttonWith(bool forms::ControlDefinition::*role) const;

    forms::Form& form_;
    Style style_;
    HWND window_ = nullptr;
    HWND toolTips_ = nullptr;
    HMENU menuBar_ = nullptr;
    UINT dpi_ = 96;
    UniqueFont font_;
    std::unique_ptr<PictureSet> pictures_;
    HINSTANCE instance_ = nullptr;
    std::vector<Bound> bound_;
    std::vector<std::function<void()>> deferred_;
    int handling_ = 0;
    std::function<void()> afterHandlers_;
};

}  // namespace velu::win32

#pragma once
// Renders a form model as a Win32 window and forwards the user's input into the model.
//
// It ties the parts together: the window class and the window itself, the menu bar
// (menu_bar), a child window per control (control_windows, list_view), the tool tips
// (tool_tips) and the layout at the window's DPI (control_layout). Every property change in
// the model is mirrored into the matching window, menu item or timer; every message that
// means a user's action runs the model's handler, counted as running while it does.

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "forms/form.h"
#include "win32/control_layout.h"
#include "win32/handler_depth.h"
#include "win32/list_view.h"
#include "win32/menu_bar.h"
#include "win32/picture_set.h"
#include "win32/support/gdi.h"
#include "win32/tool_tips.h"

namespace velu::win32 {

class FormWindow final : public forms::FormObserver {
  public:
    struct Style {
        bool resizable = true;  // ordinary resizable frame with minimise and maximise boxes
        std::function<void()> onDestroyed;
        // The window that owns this one (it stays above it and has no task-bar button).
        HWND owner = nullptr;
    };

    // Throws CreationError when the window or a part of it cannot be made.
    FormWindow(forms::Form& form, HINSTANCE instance, Style style);
    ~FormWindow() override;
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    HWND handle() const { return window_; }
    // The window of a control; nothing for controls without one.
    HWND controlWindow(const forms::Control& control) const;
    // Command id of a control or menu item, as WM_COMMAND carries it.
    UINT commandId(const forms::Control& control) const;
    UINT dpi() const { return layout_.dpi(); }
    int toPixels(int twips) const { return layout_.toPixels(twips); }
    // Position of a control in twips relative to the client area.
    forms::TwipsRect absoluteTwips(const forms::Control& control) const {
        return layout_.absoluteTwips(control);
    }

    // The icon this window shows for a picture at its present DPI.
    HICON iconOf(forms::Picture picture) const { return pictures_->icon(picture); }

    // Shows the window; the focus goes to the control with the lowest tab index.
    void show(int showCommand);
    // Keyboard navigation (Tab, access keys, Enter and Escape); true when the message was used.
    bool preTranslate(MSG& message);

    void controlChanged(const forms::Control& control, forms::Property property) override;
    void rowChanged(const forms::Control& control, std::size_t row) override;
    void captionChanged(const forms::Form& form) override;
    void layerRequested(const forms::Form& form, bool topmost) override;
    void workStarted(const forms::Form& form) override;
    void formDestroyed(const forms::Form& form) override;

    // Runs the work later, from whatever message loop runs next on this thread (also a
    // modal box's); for work that must not run inside a handler of this window.
    void defer(std::function<void()> work);

    // Whether a handler of the form runs at the moment (a modal box it shows may be open).
    bool handling() const { return handlers_.running(); }
    // Runs the work as soon as the handler that runs now has returned.
    void whenHandlersReturn(std::function<void()> work) { handlers_.whenReturned(std::move(work)); }

  private:
    struct Bound {
        forms::Control* control = nullptr;
        HWND window = nullptr;
        UINT id = 0;
        std::unique_ptr<ListViewWindow> listView;
        std::size_t shownItems = 0;  // lists: how many of the entries the window shows
    };

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void onCommand(WPARAM wParam, LPARAM lParam);
    // A notification of a list view; true when the change it announces is refused.
    bool onNotify(const NMHDR& header);
    void scheduleWork();
    void runWorkStep();

    void createWindow(HINSTANCE instance);
    void destroyWindow();
    void createControls(HINSTANCE instance);
    void applyDpi(UINT dpi);
    void resizeClientArea();
    SIZE clientSize() const;
    void placeControl(const Bound& bound);
    void placeControls(bool onlyFollowers);
    void syncList(Bound& bound);
    void updateToolTip(const Bound& bound);
    void updatePicture(const Bound& bound);
    void updateTimer(const Bound& bound);
    void updateProgress(const Bound& bound);
    Bound* bound(const forms::Control& control);
    const Bound* bound(const forms::Control& control) const;
    Bound* boundById(UINT id);
    const Bound* boundByWindow(HWND window) const;
    // The window's default or cancel button, where it has one.
    forms::Control* buttonWith(bool forms::ControlDefinition::*role) const;

    forms::Form* form_;  // nothing once the form is gone
    Style style_;
    HWND window_ = nullptr;
    ControlLayout layout_;
    std::optional<MenuBar> menuBar_;
    std::optional<ToolTips> toolTips_;
    UniqueFont font_;
    std::unique_ptr<PictureSet> pictures_;
    HINSTANCE instance_ = nullptr;
    std::vector<Bound> bound_;
    std::vector<std::function<void()>> deferred_;
    bool workScheduled_ = false;  // a step waits for its message
    HandlerDepth handlers_;
};

}  // namespace velu::win32

#include "win32/form_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <climits>
#include <string>
#include <utility>

#include "win32/context_menu.h"
#include "win32/control_windows.h"
#include "win32/creation_error.h"
#include "win32/form_class.h"

namespace velu::win32 {
namespace {

using forms::Control;
using forms::Kind;
using forms::Property;

constexpr UINT kFirstControlId = 100;  // above IDOK and IDCANCEL
constexpr UINT kFirstMenuId = 1000;
constexpr UINT kRunDeferred = WM_APP + 1;
// The form's work runs a step at a time, each from a message of its own. Whenever input,
// a timer or another window's painting waits, the next step waits for a timer, whose message
// comes after all of them; otherwise it follows at once, from a posted message, after the
// window has drawn what the step changed.
constexpr UINT kRunWork = WM_APP + 2;
constexpr UINT_PTR kWorkTimer = 1;
constexpr UINT kWaitingWork = QS_INPUT | QS_TIMER | QS_PAINT | QS_HOTKEY;

UINT dpiOf(HWND window) {
    const UINT dpi = window ? ::GetDpiForWindow(window) : 0;
    return dpi != 0 ? dpi : ::GetDpiForSystem();
}

bool isList(const Control& control) {
    return control.kind() == Kind::ComboBox || control.kind() == Kind::ListBox;
}

}  // namespace

FormWindow::FormWindow(forms::Form& form, HINSTANCE instance, Style style)
    : form_(&form), style_(std::move(style)), layout_(form), instance_(instance) {
    createWindow(instance);
    // What is made so far goes with the window when a part cannot be made.
    try {
        menuBar_.emplace(*form_, window_, kFirstMenuId);
        createControls(instance);
        toolTips_.emplace(window_, instance, form_->name());
        for (const auto& b : bound_) {
            if (b.window) toolTips_->add(*b.control, b.window, b.id);
        }
    } catch (...) {
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        ::DestroyWindow(window_);
        throw;
    }
    applyDpi(dpiOf(window_));
    for (const auto& b : bound_) updateTimer(b);
    form_->addObserver(this);
    if (form_->working()) scheduleWork();
}

FormWindow::~FormWindow() {
    if (form_) form_->removeObserver(this);
    destroyWindow();
}

void FormWindow::destroyWindow() {
    if (!::IsWindow(window_)) return;
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
}

// A window without its form has nothing to show and no handler to run: it goes at once, and
// nothing touches the form again.
void FormWindow::formDestroyed(const forms::Form&) {
    form_ = nullptr;
    destroyWindow();
}

void FormWindow::createWindow(HINSTANCE instance) {
    const wchar_t* windowClass = formWindowClass(instance, &FormWindow::windowProc, form_->name());
    DWORD frame = style_.resizable ? WS_OVERLAPPEDWINDOW
                                   : (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_DLGFRAME);
    // A window owned by another is minimised with it, not on its own.
    if (style_.owner) frame &= ~WS_MINIMIZEBOX;
    const DWORD extended = !style_.resizable ? WS_EX_DLGMODALFRAME
                           : style_.owner    ? 0
                                             : WS_EX_APPWINDOW;
    window_ =
        created(::CreateWindowExW(extended | WS_EX_CONTROLPARENT, windowClass,
                                  form_->caption().c_str(), frame, CW_USEDEFAULT, CW_USEDEFAULT,
                                  100, 100, style_.owner, nullptr, instance, this),
                form_->name(), L"das Fenster", L"CreateWindowExW");
}

void FormWindow::createControls(HINSTANCE instance) {
    // Windows are made in tab order, so that the platform's Tab key follows the tab indices;
    // frames are then put below the controls they hold.
    std::vector<Control*> order;
    for (const auto& owned : form_->controls()) {
        if (owned->kind() != Kind::Menu) order.push_back(owned.get());
    }
    std::stable_sort(order.begin(), order.end(), [](const Control* a, const Control* b) {
        return a->definition().tabIndex.value_or(INT_MAX) <
               b->definition().tabIndex.value_or(INT_MAX);
    });

    UINT id = kFirstControlId;
    std::vector<HWND> frames;
    for (Control* control : order) {
        Bound b;
        b.control = control;
        b.id = id++;
        if (control->kind() == Kind::ListView) {
            b.listView =
                std::make_unique<ListViewWindow>(*control, window_, b.id, instance, form_->name());
            b.window = b.listView->handle();
        } else if (hasWindow(*control)) {
            b.window = createControlWindow(*control, window_, b.id, instance, form_->name());
            if (control->kind() == Kind::Frame) frames.push_back(b.window);
        }
        bound_.push_back(std::move(b));
    }
    for (HWND frame : frames) {
        ::SetWindowPos(frame, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    for (auto& b : bound_) {
        if (b.window && isList(*b.control)) syncList(b);
        updateProgress(b);
    }
}

void FormWindow::applyDpi(UINT dpi) {
    layout_.setDpi(dpi);
    // The platform's dialog font, made for this window's DPI.
    LOGFONTW font{};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    font.lfHeight =
        ::MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(::GetDpiForSystem()));
    font_.reset(::CreateFontIndirectW(&font));
    pictures_ = std::make_unique<PictureSet>(instance_, dpi);
    for (const auto& b : bound_) {
        if (!b.window) continue;
        ::SendMessageW(b.window, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        if (b.listView) b.listView->fitColumns();
        updatePicture(b);
    }
    resizeClientArea();
    placeControls(false);
    ::InvalidateRect(window_, nullptr, TRUE);
}

SIZE FormWindow::clientSize() const {
    RECT client{};
    ::GetClientRect(window_, &client);
    return {client.right, client.bottom};
}

void FormWindow::resizeClientArea() {
    const SIZE wanted = layout_.clientSize();
    const SIZE outer = layout_.windowSize(window_, !menuBar_->empty());
    ::SetWindowPos(window_, nullptr, 0, 0, outer.cx, outer.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // A menu bar that wraps onto a second line takes height from the client area.
    const SIZE client = clientSize();
    if (client.cx != wanted.cx || client.cy != wanted.cy) {
        RECT outer{};
        ::GetWindowRect(window_, &outer);
        ::SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left + wanted.cx - client.cx,
                       outer.bottom - outer.top + wanted.cy - client.cy,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void FormWindow::placeControl(const Bound& b) {
    layout_.place(*b.control, b.window, font_.get(), clientSize());
    if (b.control->kind() == Kind::Frame) updateToolTip(b);
}

void FormWindow::placeControls(bool onlyFollowers) {
    constexpr unsigned kFixed = forms::AnchorLeft | forms::AnchorTop;
    for (const auto& b : bound_) {
        if (!b.window) continue;
        if (onlyFollowers && b.control->definition().anchors == kFixed) continue;
        placeControl(b);
    }
}

void FormWindow::show(int showCommand) {
    ::ShowWindow(window_, showCommand);
    ::UpdateWindow(window_);
    const Bound* first = nullptr;
    for (const auto& b : bound_) {
        if (!b.window || !(::GetWindowLongPtrW(b.window, GWL_STYLE) & WS_TABSTOP)) continue;
        if (!::IsWindowEnabled(b.window)) continue;
        if (!first || b.control->definition().tabIndex < first->control->definition().tabIndex) {
            first = &b;
        }
    }
    if (first) ::SetFocus(first->window);
}

bool FormWindow::preTranslate(MSG& message) {
    if (!::IsWindow(window_)) return false;
    toolTips_->relay(message);
    return ::IsDialogMessageW(window_, &message);
}

HWND FormWindow::controlWindow(const Control& control) const {
    const Bound* b = bound(control);
    return b ? b->window : nullptr;
}

UINT FormWindow::commandId(const Control& control) const {
    if (control.kind() == Kind::Menu) return menuBar_->commandId(control);
    const Bound* b = bound(control);
    return b ? b->id : 0;
}

const FormWindow::Bound* FormWindow::bound(const Control& control) const {
    for (const auto& b : bound_) {
        if (b.control == &control) return &b;
    }
    return nullptr;
}

FormWindow::Bound* FormWindow::bound(const Control& control) {
    return const_cast<Bound*>(std::as_const(*this).bound(control));
}

const FormWindow::Bound* FormWindow::boundByWindow(HWND window) const {
    for (const auto& b : bound_) {
        if (b.window && b.window == window) return &b;
    }
    return nullptr;
}

FormWindow::Bound* FormWindow::boundById(UINT id) {
    for (auto& b : bound_) {
        if (b.id == id) return &b;
    }
    return nullptr;
}

Control* FormWindow::buttonWith(bool forms::ControlDefinition::*role) const {
    for (const auto& owned : form_->controls()) {
        if (owned->definition().*role) return owned.get();
    }
    return nullptr;
}

void FormWindow::controlChanged(const Control& control, Property property) {
    if (control.kind() == Kind::Menu) {
        menuBar_->update(control);
        return;
    }
    Bound* b = bound(control);
    if (!b) return;
    switch (property) {
        case Property::Caption:
            if (b->window) {
                ::SetWindowTextW(b->window, control.caption().c_str());
                if (control.definition().autoSize) placeControl(*b);
            }
            break;
        case Property::ToolTipText:
            updateToolTip(*b);
            break;
        case Property::ListItems:
            syncList(*b);
            break;
        case Property::ListIndex:
            if (b->window) {
                const UINT message = control.kind() == Kind::ListBox ? LB_SETCURSEL : CB_SETCURSEL;
                ::SendMessageW(b->window, message, static_cast<WPARAM>(control.listIndex()), 0);
            }
            break;
        case Property::Value:
            if (b->window) {
                ::SendMessageW(b->window, BM_SETCHECK,
                               control.value() != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
            }
            break;
        case Property::Checked:
            break;
        case Property::Picture:
            updatePicture(*b);
            break;
        case Property::TimerEnabled:
            updateTimer(*b);
            break;
        case Property::Enabled:
            if (b->window) ::EnableWindow(b->window, control.enabled());
            break;
        case Property::Visible:
            if (b->window) ::ShowWindow(b->window, control.visible() ? SW_SHOWNA : SW_HIDE);
            break;
        case Property::Columns:
            if (b->listView) b->listView->showHeadings();
            break;
        case Property::Rows:
            if (b->listView) b->listView->showRows();
            break;
        case Property::Selection:
            if (b->listView) b->listView->showSelection();
            break;
        case Property::Progress:
            updateProgress(*b);
            break;
    }
}

void FormWindow::rowChanged(const Control& control, std::size_t row) {
    Bound* b = bound(control);
    if (b && b->listView) b->listView->showRow(row);
}

void FormWindow::captionChanged(const forms::Form& form) {
    ::SetWindowTextW(window_, form.caption().c_str());
}

// Only the layer changes; since SWP_NOACTIVATE is not given, the window may be activated.
void FormWindow::layerRequested(const forms::Form&, bool topmost) {
    ::SetWindowPos(window_, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE);
}

void FormWindow::workStarted(const forms::Form&) {
    scheduleWork();
}

void FormWindow::scheduleWork() {
    if (workScheduled_) return;
    workScheduled_ = true;
    ::RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    if (HIWORD(::GetQueueStatus(kWaitingWork)) != 0) {
        ::SetTimer(window_, kWorkTimer, USER_TIMER_MINIMUM, nullptr);
    } else {
        ::PostMessageW(window_, kRunWork, 0, 0);
    }
}

void FormWindow::runWorkStep() {
    ::KillTimer(window_, kWorkTimer);
    workScheduled_ = false;
    // Inside a step's own message loop (a box it shows) the step goes on once it has returned,
    // and schedules the next one then.
    if (!form_ || form_->stepping()) return;
    bool more = false;
    handlers_.run([&] { more = form_->runWork(); });
    if (more && ::IsWindow(window_)) scheduleWork();
}

void FormWindow::syncList(Bound& b) {
    if (b.window) showEntries(b.window, *b.control, b.shownItems);
}

void FormWindow::updateToolTip(const Bound& b) {
    if (b.window && toolTips_) toolTips_->update(*b.control, b.window, b.id, font_.get());
}

void FormWindow::updatePicture(const Bound& b) {
    if (!b.window) return;
    const auto kind = b.control->kind();
    if (kind != Kind::Image && kind != Kind::PictureBox) return;
    ::SendMessageW(b.window, STM_SETICON,
                   reinterpret_cast<WPARAM>(pictures_->icon(b.control->picture())), 0);
}

void FormWindow::updateTimer(const Bound& b) {
    if (b.control->kind() != Kind::Timer) return;
    if (b.control->timerEnabled()) {
        ::SetTimer(window_, b.id, static_cast<UINT>(b.control->interval()), nullptr);
    } else {
        ::KillTimer(window_, b.id);
    }
}

void FormWindow::updateProgress(const Bound& b) {
    if (!b.window || b.control->kind() != Kind::ProgressBar) return;
    // Work whose amount is not known yet moves the bar to and fro.
    const bool known = b.control->progressKnown();
    const auto style = ::GetWindowLongPtrW(b.window, GWL_STYLE);
    ::SetWindowLongPtrW(b.window, GWL_STYLE, known ? style & ~PBS_MARQUEE : style | PBS_MARQUEE);
    ::SendMessageW(b.window, PBM_SETMARQUEE, known ? FALSE : TRUE, 0);
    if (!known) return;
    // The bar counts in 32 bits; a larger count is shown in proportion.
    const auto maximum =
        static_cast<double>(std::max<std::size_t>(b.control->progressMaximum(), 1));
    const int position =
        static_cast<int>(static_cast<double>(b.control->progress()) / maximum * 10000.0);
    ::SendMessageW(b.window, PBM_SETRANGE32, 0, 10000);
    ::SendMessageW(b.window, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void FormWindow::onCommand(WPARAM wParam, LPARAM lParam) {
    const UINT id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    if (id == IDOK || id == IDCANCEL) {
        // Enter and Escape reach the window's default and cancel buttons, where it has them.
        Control* button = id == IDOK ? buttonWith(&forms::ControlDefinition::defaultButton)
                                     : buttonWith(&forms::ControlDefinition::cancelButton);
        if (button && button->enabled()) form_->click(*button);
        return;
    }
    if (lParam == 0) {  // a menu item
        if (Control* item = menuBar_->itemWithId(id); item && !item->isSeparator()) {
            form_->click(*item);
        }
        return;
    }
    Bound* b = boundById(id);
    if (!b) return;
    Control& control = *b->control;
    switch (control.kind()) {
        case Kind::CommandButton:
        case Kind::CheckBox:
            if (code == BN_CLICKED) form_->click(control);
            break;
        case Kind::ComboBox:
            if (code == CBN_SELCHANGE) {
                control.setListIndex(
                    static_cast<int>(::SendMessageW(b->window, CB_GETCURSEL, 0, 0)));
            }
            break;
        case Kind::ListBox:
            if (code == LBN_SELCHANGE) {
                control.setListIndex(
                    static_cast<int>(::SendMessageW(b->window, LB_GETCURSEL, 0, 0)));
            }
            break;
        default:
            break;
    }
}

bool FormWindow::onNotify(const NMHDR& header) {
    const Bound* b = boundByWindow(header.hwndFrom);
    if (!b || !b->listView) return false;
    bool refuse = false;
    const auto notice = b->listView->read(header, refuse);
    Control& control = *b->control;
    if (notice.selected) control.setRowSelected(notice.index, *notice.selected);
    switch (notice.kind) {
        case ListViewWindow::Notice::Kind::Ticked:
            handlers_.run([&] { control.setRowChecked(notice.index, notice.checked); });
            break;
        case ListViewWindow::Notice::Kind::HeadingClicked:
            handlers_.run([&] { control.clickHeading(notice.index); });
            break;
        case ListViewWindow::Notice::Kind::CtrlKey:
            if (Control* item =
                    contextItemForKey(*form_, control, static_cast<WORD>(notice.index))) {
                if (item->enabled()) handlers_.run([&] { form_->click(*item); });
            }
            break;
        case ListViewWindow::Notice::Kind::None:
            break;
    }
    return refuse;
}

void FormWindow::defer(std::function<void()> work) {
    deferred_.push_back(std::move(work));
    ::PostMessageW(window_, kRunDeferred, 0, 0);
}

LRESULT CALLBACK FormWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<FormWindow*>(create->lpCreateParams);
        self->window_ = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<FormWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
    return self->handleMessage(message, wParam, lParam);
}

LRESULT FormWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            handlers_.run([&] { onCommand(wParam, lParam); });
            return 0;
        case WM_NOTIFY:
            return onNotify(*reinterpret_cast<const NMHDR*>(lParam)) ? TRUE : FALSE;
        case WM_TIMER:
            if (wParam == kWorkTimer) {
                runWorkStep();
            } else if (Bound* b = boundById(static_cast<UINT>(wParam))) {
                handlers_.run([&] { form_->tick(*b->control); });
            }
            return 0;
        case kRunWork:
            runWorkStep();
            return 0;
        case kRunDeferred: {
            auto work = std::move(deferred_);
            deferred_.clear();
            for (auto& w : work) w();
            return 0;
        }
        case WM_CTLCOLORSTATIC: {
            const LRESULT brush = ::DefWindowProcW(window_, message, wParam, lParam);
            const Bound* b = boundByWindow(reinterpret_cast<HWND>(lParam));
            if (b && b->control->definition().blackText) {
                ::SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 0));
            }
            return brush;
        }
        case DM_GETDEFID: {
            const Control* button = buttonWith(&forms::ControlDefinition::defaultButton);
            if (!button) return 0;
            return MAKELRESULT(commandId(*button), DC_HASDEFID);
        }
        case WM_PAINT: {
            const PaintDc paint(window_);
            layout_.paintLines(paint.get());
            return 0;
        }
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED && layout_.followsFrame()) {
                placeControls(true);
                // A control moved or stretched is drawn anew whole: a wrapped label would keep
                // its old lines where it stood, and a moved button would not show at once.
                ::RedrawWindow(window_, nullptr, nullptr,
                               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            }
            return 0;
        case WM_GETMINMAXINFO:
            // A window whose controls follow its frame is never smaller than designed.
            if (window_ && menuBar_ && layout_.followsFrame()) {
                const SIZE smallest = layout_.windowSize(window_, !menuBar_->empty());
                reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {smallest.cx, smallest.cy};
            }
            return 0;
        case WM_CONTEXTMENU: {
            const Bound* b = boundByWindow(reinterpret_cast<HWND>(wParam));
            if (!b) return ::DefWindowProcW(window_, message, wParam, lParam);
            const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (Control* item = chooseFromContextMenu(*form_, *b->control, b->window, at)) {
                handlers_.run([&] { form_->click(*item); });
            }
            return 0;
        }
        case WM_CLOSE:
            // Closing a window that has a cancel button is pressing it: it may close the
            // window, or stop what the window is doing.
            if (Control* cancel = buttonWith(&forms::ControlDefinition::cancelButton)) {
                handlers_.run([&] { form_->click(*cancel); });
                return 0;
            }
            return ::DefWindowProcW(window_, message, wParam, lParam);
        case WM_DPICHANGED: {
            applyDpi(HIWORD(wParam));
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            ::SetWindowPos(window_, nullptr, suggested->left, suggested->top, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_DESTROY: {
            for (const auto& b : bound_) {
                if (b.control->kind() == Kind::Timer) ::KillTimer(window_, b.id);
            }
            ::KillTimer(window_, kWorkTimer);
            if (style_.onDestroyed) style_.onDestroyed();
            return 0;
        }
        default:
            return ::DefWindowProcW(window_, message, wParam, lParam);
    }
}

}  // namespace velu::win32

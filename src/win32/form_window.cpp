#include "win32/form_window.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <system_error>
#include <utility>

#include "win32/resource_ids.h"

namespace velu::win32 {
namespace {

using forms::Control;
using forms::Kind;
using forms::Property;

constexpr wchar_t kWindowClass[] = L"VelumarDichteForm";
constexpr UINT kFirstControlId = 100;  // above IDOK and IDCANCEL
constexpr UINT kFirstMenuId = 1000;
constexpr UINT kRunDeferred = WM_APP + 1;
constexpr int kComboListHeight = 240;  // pixels of the opened list at 96 dpi

// Pictures at their own size at 96 dpi: the tool 42 pixels, the faces 32.
constexpr int kToolPixels = 42;
constexpr int kFacePixels = 32;

HICON loadIcon(HINSTANCE instance, int id, int pixels) {
    return static_cast<HICON>(
        ::LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, pixels, pixels, 0));
}

UINT dpiOf(HWND window) {
    const UINT dpi = window ? ::GetDpiForWindow(window) : 0;
    return dpi != 0 ? dpi : ::GetDpiForSystem();
}

std::wstring withoutAccessMarks(const std::wstring& caption) {
    std::wstring plain;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == L'&' && i + 1 < caption.size()) ++i;
        plain += caption[i];
    }
    return plain;
}

// The form's own window could not be made: there is nothing to show, so the caller learns
// which call failed and why.
[[noreturn]] void failed(const char* call) {
    const auto error = static_cast<int>(::GetLastError());
    throw std::system_error(error, std::system_category(),
                            std::string(call) + " failed (error " + std::to_string(error) + ")");
}

bool hasWindow(const Control& control) {
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

}  // namespace

PictureSet::PictureSet(HINSTANCE instance, UINT dpi)
    : tool_(loadIcon(instance, VELU_ICON_TOOL, ::MulDiv(kToolPixels, dpi, 96))),
      success_(loadIcon(instance, VELU_ICON_SUCCESS, ::MulDiv(kFacePixels, dpi, 96))),
      error_(loadIcon(instance, VELU_ICON_ERROR, ::MulDiv(kFacePixels, dpi, 96))) {}

HICON PictureSet::icon(forms::Picture picture) const {
    switch (picture) {
        case forms::Picture::Tool:
            return tool_.get();
        case forms::Picture::Success:
            return success_.get();
        case forms::Picture::Error:
            return error_.get();
        case forms::Picture::None:
            break;
    }
    return nullptr;
}

FormWindow::FormWindow(forms::Form& form, HINSTANCE instance, Style style)
    : form_(form), style_(std::move(style)), instance_(instance) {
    createWindow(instance);
    createMenuBar();
    createControls(instance);
    createToolTips(instance);
    applyDpi(dpiOf(window_));
    for (const auto& b : bound_) updateTimer(b);
    form_.addObserver(this);
}

FormWindow::~FormWindow() {
    form_.removeObserver(this);
    if (::IsWindow(window_)) {
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        ::DestroyWindow(window_);
    }
}

void FormWindow::createWindow(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (!::GetClassInfoExW(instance, kWindowClass, &windowClass)) {
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &FormWindow::windowProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.hIcon = loadIcon(instance, VELU_ICON_TOOL, ::GetSystemMetrics(SM_CXICON));
        windowClass.hIconSm = loadIcon(instance, VELU_ICON_TOOL, ::GetSystemMetrics(SM_CXSMICON));
        windowClass.lpszClassName = kWindowClass;
        if (!::RegisterClassExW(&windowClass)) failed("RegisterClassExW");
    }
    const DWORD frame = style_.resizable ? WS_OVERLAPPEDWINDOW
                                         : (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_DLGFRAME);
    const DWORD extended = style_.resizable ? WS_EX_APPWINDOW : WS_EX_DLGMODALFRAME;
    window_ = ::CreateWindowExW(extended | WS_EX_CONTROLPARENT, kWindowClass,
                                form_.caption().c_str(), frame, CW_USEDEFAULT, CW_USEDEFAULT, 100,
                                100, nullptr, nullptr, instance, this);
    if (!window_) failed("CreateWindowExW");
}

void FormWindow::createMenuBar() {
    std::vector<Control*> items;
    for (const auto& owned : form_.controls()) {
        if (owned->kind() == Kind::Menu) items.push_back(owned.get());
    }
    if (items.empty()) return;
    menuBar_ = ::CreateMenu();
    std::vector<HMENU> levels{menuBar_};  // levels[n - 1] holds the items of level n
    UINT id = kFirstMenuId;
    for (std::size_t i = 0; i < items.size(); ++i) {
        Control& item = *items[i];
        const auto level = static_cast<std::size_t>(item.definition().menuLevel);
        levels.resize(level);
        Bound b;
        b.control = &item;
        b.id = id++;
        b.parentMenu = levels[level - 1];
        b.menuPosition = static_cast<UINT>(::GetMenuItemCount(b.parentMenu));
        // An item opens a menu when the items that follow it are one level deeper.
        const bool opensMenu =
            i + 1 < items.size() && items[i + 1]->definition().menuLevel > static_cast<int>(level);
        if (opensMenu) {
            b.popup = ::CreatePopupMenu();
            ::AppendMenuW(b.parentMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(b.popup),
                          item.caption().c_str());
            levels.push_back(b.popup);
        } else if (item.isSeparator()) {
            ::AppendMenuW(b.parentMenu, MF_SEPARATOR, b.id, nullptr);
        } else {
            ::AppendMenuW(b.parentMenu, MF_STRING, b.id, item.caption().c_str());
        }
        bound_.push_back(b);
    }
    ::SetMenu(window_, menuBar_);
}

void FormWindow::createControls(HINSTANCE instance) {
    // Windows are made in tab order, so that the platform's Tab key follows the tab indices;
    // frames are then put below the controls they hold.
    std::vector<Control*> order;
    for (const auto& owned : form_.controls()) {
        if (owned->kind() != Kind::Menu) order.push_back(owned.get());
    }
    std::stable_sort(order.begin(), order.end(), [](const Control* a, const Control* b) {
        const int ta = a->definition().tabIndex.value_or(INT_MAX);
        const int tb = b->definition().tabIndex.value_or(INT_MAX);
        return ta < tb;
    });

    UINT id = kFirstControlId;
    std::vector<HWND> frames;
    for (Control* control : order) {
        Bound b;
        b.control = control;
        b.id = id++;
        if (hasWindow(*control)) {
            const auto& d = control->definition();
            const wchar_t* className = L"STATIC";
            DWORD style = WS_CHILD | WS_VISIBLE;
            DWORD extended = 0;
            switch (control->kind()) {
                case Kind::Frame:
                    className = L"BUTTON";
                    style |= BS_GROUPBOX;
                    break;
                case Kind::CommandButton:
                    className = L"BUTTON";
                    style |= WS_TABSTOP | (d.defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
                    break;
                case Kind::CheckBox:
                    className = L"BUTTON";
                    style |= WS_TABSTOP | BS_CHECKBOX;
                    break;
                case Kind::ComboBox:
                    className = L"COMBOBOX";
                    style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
                    break;
                case Kind::ListBox:
                    className = L"LISTBOX";
                    style |= WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY;
                    extended = WS_EX_CLIENTEDGE;
                    break;
                case Kind::Image:
                    style |= SS_ICON | SS_REALSIZEIMAGE;
                    break;
                case Kind::PictureBox:
                    // A picture box takes the focus in its place of the tab order.
                    style |= SS_ICON | SS_REALSIZEIMAGE | SS_NOTIFY | (d.tabIndex ? WS_TABSTOP : 0);
                    break;
                default:  // labels
                    style |= SS_NOTIFY | (d.valueDisplay ? SS_RIGHT : SS_LEFT);
                    break;
            }
            const std::wstring text = control->kind() == Kind::ComboBox ? L"" : control->caption();
            b.window =
                ::CreateWindowExW(extended, className, text.c_str(), style, 0, 0, 10, 10, window_,
                                  reinterpret_cast<HMENU>(UINT_PTR{b.id}), instance, nullptr);
            if (control->kind() == Kind::Frame) frames.push_back(b.window);
        }
        bound_.push_back(b);
    }
    for (HWND frame : frames) {
        ::SetWindowPos(frame, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    for (auto& b : bound_) {
        if (b.window &&
            (b.control->kind() == Kind::ComboBox || b.control->kind() == Kind::ListBox)) {
            syncList(b);
        }
    }
}

void FormWindow::createToolTips(HINSTANCE instance) {
    toolTips_ =
        ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                          WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, instance, nullptr);
    for (const auto& b : bound_) {
        if (!b.window) continue;
        std::wstring text = b.control->toolTip();
        TTTOOLINFOW tool = toolInfo(b);
        tool.lpszText = text.data();
        ::SendMessageW(toolTips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

// A frame lets the mouse through to the window beneath it, so its tool is the strip of its
// caption on the form's own window; every other control is a tool of its own.
TTTOOLINFOW FormWindow::toolInfo(const Bound& b) const {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = window_;
    if (b.control->kind() == Kind::Frame) {
        tool.uId = b.id;
        RECT frame{};
        ::GetWindowRect(b.window, &frame);
        ::MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&frame), 2);
        TEXTMETRICW metrics{};
        const WindowDc dc(window_);
        const SelectedObject font(dc.get(), font_.get());
        ::GetTextMetricsW(dc.get(), &metrics);
        tool.rect = {frame.left, frame.top, frame.right, frame.top + metrics.tmHeight};
    } else {
        tool.uFlags = TTF_IDISHWND;
        tool.uId = reinterpret_cast<UINT_PTR>(b.window);
    }
    return tool;
}

forms::TwipsRect FormWindow::absoluteTwips(const Control& control) const {
    forms::TwipsRect rect = control.definition().rect;
    for (const Control* container = control.container(); container;
         container = container->container()) {
        rect.left += container->definition().rect.left;
        rect.top += container->definition().rect.top;
    }
    return rect;
}

void FormWindow::applyDpi(UINT dpi) {
    dpi_ = dpi;
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
        updatePicture(b);
        placeControl(b);
    }
    resizeClientArea();
    ::InvalidateRect(window_, nullptr, TRUE);
}

void FormWindow::resizeClientArea() {
    const auto& area = form_.clientArea();
    const int width = toPixels(area.width);
    const int height = toPixels(area.height);
    RECT rect{0, 0, width, height};
    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(window_, GWL_STYLE));
    const auto extended = static_cast<DWORD>(::GetWindowLongPtrW(window_, GWL_EXSTYLE));
    ::AdjustWindowRectExForDpi(&rect, style, menuBar_ != nullptr, extended, dpi_);
    ::SetWindowPos(window_, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // A menu bar that wraps onto a second line takes height from the client area.
    RECT client{};
    ::GetClientRect(window_, &client);
    if (client.bottom != height || client.right != width) {
        RECT outer{};
        ::GetWindowRect(window_, &outer);
        ::SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left + width - client.right,
                       outer.bottom - outer.top + height - client.bottom,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void FormWindow::placeControl(const Bound& b) {
    const Control& control = *b.control;
    const auto rect = absoluteTwips(control);
    int x = toPixels(rect.left);
    int y = toPixels(rect.top);
    int width = toPixels(rect.left + rect.width) - x;
    int height = toPixels(rect.top + rect.height) - y;
    const auto& d = control.definition();
    if (control.kind() == Kind::Label && d.autoSize) {
        const WindowDc dc(b.window);
        const SelectedObject font(dc.get(), font_.get());
        const std::wstring text = withoutAccessMarks(control.caption());
        SIZE size{};
        ::GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
        width = size.cx;
        height = size.cy;
    }
    if (control.kind() == Kind::ComboBox) {
        // The closed list is as high as the layout says; the opened list hangs below it.
        ::SetWindowPos(b.window, nullptr, x, y, width, height + toPixels(kComboListHeight * 15),
                       SWP_NOZORDER | SWP_NOACTIVATE);
        // The closed height follows the height of the selection field. The value asked back
        // need not be the one given (Wine adds two pixels to it), so each step corrects the
        // value last given rather than the one reported.
        int item = static_cast<int>(
            ::SendMessageW(b.window, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
        for (int attempt = 0; attempt < 4; ++attempt) {
            RECT closed{};
            ::GetWindowRect(b.window, &closed);
            const int difference = height - (closed.bottom - closed.top);
            if (difference == 0) break;
            item = std::max(1, item + difference);
            ::SendMessageW(b.window, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), item);
        }
        return;
    }
    if (control.kind() == Kind::Image || control.kind() == Kind::PictureBox) {
        // A picture shows at its own size with its top-left corner fixed.
        ::SetWindowPos(b.window, nullptr, x, y, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
        return;
    }
    ::SetWindowPos(b.window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    if (control.kind() == Kind::Frame) updateToolTip(b);
}

void FormWindow::show(int showCommand) {
    ::ShowWindow(window_, showCommand);
    ::UpdateWindow(window_);
    const Bound* first = nullptr;
    for (const auto& b : bound_) {
        if (!b.window || !(::GetWindowLongPtrW(b.window, GWL_STYLE) & WS_TABSTOP)) continue;
        if (!first || b.control->definition().tabIndex < first->control->definition().tabIndex) {
            first = &b;
        }
    }
    if (first) ::SetFocus(first->window);
}

bool FormWindow::preTranslate(MSG& message) {
    if (!::IsWindow(window_)) return false;
    // The tool tips learn of the mouse from here rather than by subclassing every control,
    // which would make each message to a control (filling a list of 32 767 entries) slow.
    if (toolTips_ && message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST &&
        (message.hwnd == window_ || ::IsChild(window_, message.hwnd))) {
        ::SendMessageW(toolTips_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&message));
    }
    return ::IsDialogMessageW(window_, &message);
}

HWND FormWindow::controlWindow(const Control& control) const {
    const Bound* b = bound(control);
    return b ? b->window : nullptr;
}

UINT FormWindow::commandId(const Control& control) const {
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
    for (const auto& owned : form_.controls()) {
        if (owned->definition().*role) return owned.get();
    }
    return nullptr;
}

void FormWindow::controlChanged(const Control& control, Property property) {
    Bound* b = bound(control);
    if (!b) return;
    switch (property) {
        case Property::Caption:
            if (b->parentMenu) {
                updateMenuItem(*b);
            } else if (b->window) {
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
            updateMenuItem(*b);
            break;
        case Property::Picture:
            updatePicture(*b);
            break;
        case Property::TimerEnabled:
            updateTimer(*b);
            break;
    }
}

void FormWindow::captionChanged(const forms::Form& form) {
    ::SetWindowTextW(window_, form.caption().c_str());
}

// Only the layer changes; since SWP_NOACTIVATE is not given, the window may be activated.
void FormWindow::layerRequested(const forms::Form&, bool topmost) {
    ::SetWindowPos(window_, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE);
}

void FormWindow::syncList(Bound& b) {
    if (!b.window) return;
    const bool listBox = b.control->kind() == Kind::ListBox;
    const auto& items = b.control->items();
    // Entries are only ever appended or all removed, so the shown ones are a prefix.
    if (items.size() < b.shownItems) {
        ::SendMessageW(b.window, listBox ? LB_RESETCONTENT : CB_RESETCONTENT, 0, 0);
        b.shownItems = 0;
    }
    const std::size_t adding = items.size() - b.shownItems;
    if (adding == 0) return;
    const bool many = adding > 64;
    if (many) {
        ::SendMessageW(b.window, WM_SETREDRAW, FALSE, 0);
        std::size_t characters = 0;
        for (std::size_t i = b.shownItems; i < items.size(); ++i) characters += items[i].size() + 1;
        ::SendMessageW(b.window, listBox ? LB_INITSTORAGE : CB_INITSTORAGE, adding,
                       static_cast<LPARAM>(characters * sizeof(wchar_t)));
    }
    for (; b.shownItems < items.size(); ++b.shownItems) {
        ::SendMessageW(b.window, listBox ? LB_ADDSTRING : CB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(items[b.shownItems].c_str()));
    }
    if (many) {
        ::SendMessageW(b.window, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(b.window, nullptr, TRUE);
    }
}

void FormWindow::updateMenuItem(const Bound& b) {
    if (!b.parentMenu) return;
    const Control& item = *b.control;
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_STATE;
    const bool separator = item.isSeparator() && !b.popup;
    info.fType = separator ? MFT_SEPARATOR : MFT_STRING;
    std::wstring caption = item.caption();
    info.dwTypeData = separator ? nullptr : caption.data();
    info.fState = item.checked() ? MFS_CHECKED : MFS_UNCHECKED;
    ::SetMenuItemInfoW(b.parentMenu, b.menuPosition, TRUE, &info);
    if (b.parentMenu == menuBar_) ::DrawMenuBar(window_);
}

void FormWindow::updateToolTip(const Bound& b) {
    if (!b.window || !toolTips_) return;
    std::wstring text = b.control->toolTip();
    TTTOOLINFOW tool = toolInfo(b);
    tool.lpszText = text.data();
    ::SendMessageW(toolTips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    if (b.control->kind() == Kind::Frame) {
        ::SendMessageW(toolTips_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
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

void FormWindow::paintLines(HDC dc) {
    for (const auto& owned : form_.controls()) {
        if (owned->kind() != Kind::Line) continue;
        const auto rect = absoluteTwips(*owned);
        const auto& d = owned->definition();
        const auto colour = static_cast<COLORREF>(d.lineColour);
        const int thickness = std::max(1, ::MulDiv(d.lineWidth, static_cast<int>(dpi_), 96));
        const UniquePen pen(::CreatePen(PS_SOLID, thickness, colour));
        const SelectedObject selected(dc, pen.get());
        const int y = toPixels(rect.top);
        ::MoveToEx(dc, toPixels(rect.left), y, nullptr);
        ::LineTo(dc, toPixels(rect.left + rect.width), y);
    }
}

void FormWindow::onCommand(WPARAM wParam, LPARAM lParam) {
    const UINT id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    if (id == IDOK || id == IDCANCEL) {
        // Enter and Escape reach the window's default and cancel buttons, where it has them.
        Control* button = id == IDOK ? buttonWith(&forms::ControlDefinition::defaultButton)
                                     : buttonWith(&forms::ControlDefinition::cancelButton);
        if (button) form_.click(*button);
        return;
    }
    Bound* b = boundById(id);
    if (!b) return;
    Control& control = *b->control;
    if (lParam == 0) {  // a menu item
        if (!b->popup && !control.isSeparator()) form_.click(control);
        return;
    }
    switch (control.kind()) {
        case Kind::CommandButton:
        case Kind::CheckBox:
            if (code == BN_CLICKED) form_.click(control);
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

void FormWindow::runHandler(const std::function<void()>& handler) {
    ++handling_;
    handler();
    if (--handling_ == 0 && afterHandlers_) std::exchange(afterHandlers_, nullptr)();
}

LRESULT FormWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            runHandler([&] { onCommand(wParam, lParam); });
            return 0;
        case WM_TIMER:
            if (Bound* b = boundById(static_cast<UINT>(wParam))) {
                runHandler([&] { form_.tick(*b->control); });
            }
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
            paintLines(paint.get());
            return 0;
        }
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
            if (style_.onDestroyed) style_.onDestroyed();
            return 0;
        }
        default:
            return ::DefWindowProcW(window_, message, wParam, lParam);
    }
}

}  // namespace velu::win32

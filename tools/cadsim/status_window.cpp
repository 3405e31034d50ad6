#include "status_window.h"

#include <utility>

#include "instances.h"

namespace cadsim::win {

namespace {

constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kRefreshMs = 500;
constexpr DWORD kPaintEveryMs = 100;

using velu::win32::PaintDc;
using velu::win32::SelectedObject;

// The call that failed and the error it left.
std::wstring failureOf(const wchar_t* call) {
    return std::wstring(call) + L" failed (error " + std::to_wstring(GetLastError()) + L")";
}

HFONT makeFont(int height, int weight) {
    return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, L"Tahoma");
}

}  // namespace

StatusWindow::StatusWindow(const std::wstring& className, std::function<void()> onTimer,
                           Queries queries)
    : className_(className),
      onTimer_(std::move(onTimer)),
      queries_(std::move(queries)),
      font_(makeFont(-16, FW_NORMAL)),
      boldFont_(makeFont(-18, FW_BOLD)) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &StatusWindow::windowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = className_.c_str();
    if (!RegisterClassExW(&wc)) {
        failure_ = failureOf(L"RegisterClassExW");
        return;
    }
    window_.reset(CreateWindowExW(
        0, className_.c_str(), kTitle, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
        CW_USEDEFAULT, CW_USEDEFAULT, 720, 420, nullptr, nullptr, GetModuleHandleW(nullptr), this));
    if (!window_) {
        // No display (e.g. Wine without X): a message-only window still receives WM_CLOSE
        // from /shutdown, it just cannot be shown.
        messageOnly_ = true;
        window_.reset(CreateWindowExW(0, className_.c_str(), kTitle, 0, 0, 0, 0, 0, HWND_MESSAGE,
                                      nullptr, GetModuleHandleW(nullptr), this));
        if (!window_) failure_ = failureOf(L"CreateWindowExW");
    }
}

StatusWindow::~StatusWindow() {
    window_.reset();
    UnregisterClassW(className_.c_str(), GetModuleHandleW(nullptr));
}

void StatusWindow::show(bool visible) {
    if (visible == shown_) return;
    shown_ = visible;
    if (!window_ || messageOnly_) return;
    if (visible) {
        SetTimer(window_.get(), kRefreshTimer, kRefreshMs, nullptr);
        ShowWindow(window_.get(), SW_SHOWNORMAL);
        SetForegroundWindow(window_.get());
        UpdateWindow(window_.get());
    } else {
        KillTimer(window_.get(), kRefreshTimer);
        ShowWindow(window_.get(), SW_HIDE);
    }
}

void StatusWindow::setLines(std::vector<std::wstring> lines) {
    if (lines == lines_) return;
    lines_ = std::move(lines);
    // A hidden window is painted in full when it is shown.
    if (!window_ || !shown_) return;
    const DWORD now = GetTickCount();
    if (now - lastPainted_ < kPaintEveryMs) {
        paintPending_ = true;
        return;
    }
    lastPainted_ = now;
    paintPending_ = false;
    InvalidateRect(window_.get(), nullptr, TRUE);
}

void StatusWindow::paint() {
    const PaintDc paint(window_.get());
    SetBkMode(paint.get(), TRANSPARENT);
    RECT client{};
    GetClientRect(window_.get(), &client);
    int y = 12;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const SelectedObject font(paint.get(), i == 0 ? boldFont_.get() : font_.get());
        RECT line{16, y, client.right - 12, y + 28};
        DrawTextW(paint.get(), lines_[i].c_str(), static_cast<int>(lines_[i].size()), &line,
                  DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        y += i == 0 ? 36 : 28;
    }
}

LRESULT CALLBACK StatusWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<StatusWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self != nullptr && message == liveObjectsMessage()) {
        return self->queries_.liveObjects ? static_cast<LRESULT>(self->queries_.liveObjects()) : 0;
    }
    if (self != nullptr && message == callCountsMessage()) {
        return self->queries_.callCounts ? self->queries_.callCounts(wParam) : 0;
    }
    if (self != nullptr) {
        switch (message) {
            case WM_PAINT:
                self->paint();
                return 0;
            case WM_TIMER:
                if (wParam != kRefreshTimer) return 0;
                if (self->onTimer_) self->onTimer_();
                if (self->paintPending_) {
                    self->paintPending_ = false;
                    self->lastPainted_ = GetTickCount();
                    InvalidateRect(hwnd, nullptr, TRUE);
                }
                return 0;
            case WM_CLOSE:
                DestroyWindow(hwnd);
                return 0;
            case WM_DESTROY:
                // The window is gone: its owner must not destroy it again.
                self->window_.release();
                SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
                PostQuitMessage(0);
                return 0;
            default:
                break;
        }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace cadsim::win

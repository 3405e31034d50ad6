#include "win32/tool_tips.h"

#include <string>

#include "common/program_texts.h"
#include "win32/creation_error.h"
#include "win32/support/gdi.h"

namespace velu::win32 {

ToolTips::ToolTips(HWND window, HINSTANCE instance, std::wstring_view formName)
    : window_(window),
      // The tips are an owned pop-up: they go with the form's window.
      tips_(created(
          ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                            WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr, instance, nullptr),
          formName, L"das Tooltip-Fenster", L"CreateWindowExW")),
      formName_(formName) {}

// A frame lets the mouse through to the window beneath it, so its tool is the strip of its
// caption on the form's own window; every other control is a tool of its own.
TTTOOLINFOW ToolTips::toolOf(const forms::Control& control, HWND controlWindow, UINT id) const {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = window_;
    if (control.kind() == forms::Kind::Frame) {
        tool.uId = id;
    } else {
        tool.uFlags = TTF_IDISHWND;
        tool.uId = reinterpret_cast<UINT_PTR>(controlWindow);
    }
    return tool;
}

void ToolTips::add(const forms::Control& control, HWND controlWindow, UINT id) {
    std::wstring text = control.toolTip();
    TTTOOLINFOW tool = toolOf(control, controlWindow, id);
    tool.lpszText = text.data();
    if (!::SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool))) {
        creationFailed(formName_, L"der Tooltip von " + texts::controlNamed(control.name()),
                       L"TTM_ADDTOOLW");
    }
}

void ToolTips::update(const forms::Control& control, HWND controlWindow, UINT id, HFONT font) {
    std::wstring text = control.toolTip();
    TTTOOLINFOW tool = toolOf(control, controlWindow, id);
    tool.lpszText = text.data();
    ::SendMessageW(tips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    if (control.kind() != forms::Kind::Frame) return;
    RECT frame{};
    ::GetWindowRect(controlWindow, &frame);
    ::MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&frame), 2);
    TEXTMETRICW metrics{};
    const WindowDc dc(window_);
    const SelectedObject selected(dc.get(), font);
    ::GetTextMetricsW(dc.get(), &metrics);
    tool.rect = {frame.left, frame.top, frame.right, frame.top + metrics.tmHeight};
    ::SendMessageW(tips_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void ToolTips::relay(MSG& message) const {
    if (message.message < WM_MOUSEFIRST || message.message > WM_MOUSELAST) return;
    if (message.hwnd == window_ || ::IsChild(window_, message.hwnd)) {
        ::SendMessageW(tips_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&message));
    }
}

}  // namespace velu::win32

// The stand-in's top-level window: shows the scenario and the last call while Visible is true.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "win32/support/gdi.h"
#include "win32/support/user.h"

namespace cadsim::win {

class StatusWindow {
  public:
    static constexpr const wchar_t* kTitle = L"CAD stand-in";

    // The class is windowClassFor the served ProgID (instances.h). onTimer runs about twice a
    // second while the window is shown (to follow the state file); liveObjects answers
    // liveObjectsMessage, shown or not.
    StatusWindow(const std::wstring& className, std::function<void()> onTimer,
                 std::function<long()> liveObjects);
    ~StatusWindow();
    StatusWindow(const StatusWindow&) = delete;
    StatusWindow& operator=(const StatusWindow&) = delete;

    bool valid() const { return static_cast<bool>(window_); }
    HWND handle() const { return window_.get(); }
    void show(bool visible);
    bool shown() const { return shown_; }
    bool canShow() const { return valid() && !messageOnly_; }
    // Why there is no window at all: the call that failed and its error.
    const std::wstring& failure() const { return failure_; }
    // Replaces the text lines and repaints if they changed.
    void setLines(std::vector<std::wstring> lines);

  private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void paint();

    std::wstring className_;
    std::function<void()> onTimer_;
    std::function<long()> liveObjects_;
    std::vector<std::wstring> lines_;
    velu::win32::UniqueFont font_;
    velu::win32::UniqueFont boldFont_;
    velu::win32::UniqueWindow window_;
    std::wstring failure_;
    bool shown_ = false;
    bool messageOnly_ = false;  // there is no display to show a window on
};

}  // namespace cadsim::win

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

    // What the window asks its server: liveObjects answers liveObjectsMessage, callCounts
    // callCountsMessage (with its wParam), shown or not (instances.h).
    struct Queries {
        std::function<long()> liveObjects;
        std::function<LRESULT(WPARAM)> callCounts;
    };

    // The class is windowClassFor the served ProgID (instances.h). onTimer runs about twice a
    // second while the window is shown (to follow the state file).
    StatusWindow(const std::wstring& className, std::function<void()> onTimer, Queries queries);
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
    // Replaces the text lines; the window repaints when they changed, at most about ten times
    // a second, so that a client's stream of calls is not slowed down by painting.
    void setLines(std::vector<std::wstring> lines);

  private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void paint();

    std::wstring className_;
    std::function<void()> onTimer_;
    Queries queries_;
    std::vector<std::wstring> lines_;
    DWORD lastPainted_ = 0;      // GetTickCount when the lines were last given to paint
    bool paintPending_ = false;  // lines changed since, left to the timer
    velu::win32::UniqueFont font_;
    velu::win32::UniqueFont boldFont_;
    velu::win32::UniqueWindow window_;
    std::wstring failure_;
    bool shown_ = false;
    bool messageOnly_ = false;  // there is no display to show a window on
};

}  // namespace cadsim::win

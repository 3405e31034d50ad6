#pragma once
// Whether a handler of a form runs at the moment (a modal box it shows may be open), and work
// that must wait until the handlers on the stack have returned: a window whose handler closed
// it is discarded only then.

#include <functional>
#include <utility>

namespace velu::win32 {

class HandlerDepth {
  public:
    // Runs a handler, counting it as running while it does.
    template <typename Handler>
    void run(Handler&& handler) {
        ++depth_;
        handler();
        if (--depth_ == 0 && afterwards_) std::exchange(afterwards_, nullptr)();
    }
    bool running() const { return depth_ > 0; }
    // Runs the work as soon as the handler that runs now has returned.
    void whenReturned(std::function<void()> work) { afterwards_ = std::move(work); }

  private:
    int depth_ = 0;
    std::function<void()> afterwards_;
};

}  // namespace velu::win32

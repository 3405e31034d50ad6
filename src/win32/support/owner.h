#pragma once
// The owner behind every handle owner of the program, the CAD stand-in, the tests and the
// benchmarks: it closes its handle exactly once, when it goes or takes another one, and it
// moves but does not copy, so that a handle has one owner at a time.

#include <utility>

namespace velu::win32 {

// Traits name the Handle type, the value that means "no handle" (none), which values mean
// it (isNone; some functions answer failure with INVALID_HANDLE_VALUE instead of null) and
// how a handle is closed (close).
template <typename Traits>
class Owner {
  public:
    using Handle = typename Traits::Handle;

    Owner() = default;
    explicit Owner(Handle handle) : handle_(handle) {}
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;
    Owner(Owner&& other) noexcept : handle_(other.release()) {}
    Owner& operator=(Owner&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~Owner() { reset(); }

    Handle get() const { return handle_; }
    explicit operator bool() const { return !Traits::isNone(handle_); }
    // Gives the handle up without closing it.
    Handle release() { return std::exchange(handle_, Traits::none()); }
    void reset(Handle handle = Traits::none()) {
        const Handle previous = std::exchange(handle_, handle);
        if (!Traits::isNone(previous)) Traits::close(previous);
    }
    // For functions that hand out a new handle through an out-parameter.
    Handle* put() {
        reset();
        return &handle_;
    }

  private:
    Handle handle_ = Traits::none();
};

// Most handles: null means none, and one function closes them.
template <typename HandleType, auto Close>
struct ClosedBy {
    using Handle = HandleType;
    static constexpr Handle none() { return nullptr; }
    static bool isNone(Handle handle) { return handle == nullptr; }
    static void close(Handle handle) { Close(handle); }
};

template <typename Handle, auto Close>
using UniqueHandle = Owner<ClosedBy<Handle, Close>>;

}  // namespace velu::win32

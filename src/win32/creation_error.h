#pragma once
// A window, control, menu or tool tip of a form that could not be made. Nothing is shown with
// a part missing: whoever opens the form tells the user which part and why.

#include <windows.h>

#include <stdexcept>
#include <string>
#include <string_view>

namespace velu::win32 {

class CreationError : public std::runtime_error {
  public:
    // `window` is the form's name, `what` the part ("das Steuerelement cmdExit"), `call` the
    // function that failed.
    CreationError(std::wstring_view window, std::wstring_view what, std::wstring_view call,
                  DWORD error);
    // The text for the user: what could not be made, the call, the error and its text.
    const std::wstring& text() const { return text_; }

  private:
    std::wstring text_;
};

// Throws the CreationError of the call that failed just now (its GetLastError).
[[noreturn]] void creationFailed(std::wstring_view window, std::wstring_view what,
                                 std::wstring_view call);

// The handle of a call that makes something; throws when it is null.
template <typename Handle>
Handle created(Handle handle, std::wstring_view window, std::wstring_view what,
               std::wstring_view call) {
    if (!handle) creationFailed(window, what, call);
    return handle;
}

}  // namespace velu::win32

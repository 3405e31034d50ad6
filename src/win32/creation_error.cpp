#include "win32/creation_error.h"

#include "common/program_texts.h"
#include "support/text.h"
#include "win32/com_automation.h"

namespace velu::win32 {

CreationError::CreationError(std::wstring_view window, std::wstring_view what,
                             std::wstring_view call, DWORD error)
    : std::runtime_error(text::toUtf8(what) + ": " + text::toUtf8(call) + " failed"),
      text_(texts::windowPartNotCreated(window, what, call,
                                        static_cast<std::int32_t>(HRESULT_FROM_WIN32(error)),
                                        systemErrorText(HRESULT_FROM_WIN32(error)))) {}

void creationFailed(std::wstring_view window, std::wstring_view what, std::wstring_view call) {
    // A call that failed without saying why still failed.
    const DWORD error = ::GetLastError();
    throw CreationError(window, what, call,
                        error != ERROR_SUCCESS ? error : ERROR_INVALID_FUNCTION);
}

}  // namespace velu::win32

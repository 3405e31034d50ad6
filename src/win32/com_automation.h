#pragma once
// The automation service over COM: late binding through IDispatch.
//
// The application object is taken from the running instance first (the running object table,
// as GetActiveObject does) and created only when none runs. Calls that a busy server rejects
// with "retry later" are retried silently for up to 30 seconds, by an OLE message filter and,
// where the platform does not consult it, by the call itself. The wait cursor shows while a
// call runs. Every failure becomes a cad::AutomationError with the code and the system's text.

#include <windows.h>

#include <objidl.h>

#include <chrono>

#include "cad/automation.h"
#include "win32/support/com_apartment.h"

namespace velu::win32 {

class ComAutomation final : public cad::Automation {
  public:
    // Registers the message filter on the calling (user-interface) thread.
    explicit ComAutomation(std::chrono::milliseconds retryLimit = std::chrono::seconds(30));
    ComAutomation(const ComAutomation&) = delete;
    ComAutomation& operator=(const ComAutomation&) = delete;

    cad::ObjectRef connect(std::wstring_view progId) override;

  private:
    std::chrono::milliseconds retryLimit_;
    MessageFilterRegistration filter_;
};

// The system's text for an error code, without the line break at its end.
std::wstring systemErrorText(HRESULT code);

}  // namespace velu::win32

#pragma once
// The platform's standard "Save As" dialog, owned by a window of the program. It opens in the
// user's Documents folder the first time and in the folder last saved into afterwards.

#include <windows.h>

#include <string>

#include "common/services.h"

namespace velu::win32 {

class WindowsSaveDialog final : public SaveDialog {
  public:
    // The dialog is owned by this window while it exists (it may change during the run).
    void setOwner(HWND owner) { owner_ = owner; }
    std::optional<std::wstring> chooseFile(const SaveRequest& request) override;

  private:
    HWND owner_ = nullptr;
    std::wstring folder_;  // where the last file went; empty: the user's Documents
};

}  // namespace velu::win32

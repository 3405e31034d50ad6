#pragma once
// The program's three pictures (tool, success, error) as icons made for one DPI.

#include <windows.h>

#include "forms/control.h"
#include "win32/support/user.h"

namespace velu::win32 {

class PictureSet {
  public:
    PictureSet(HINSTANCE instance, UINT dpi);
    HICON icon(forms::Picture picture) const;

  private:
    UniqueIcon tool_;
    UniqueIcon success_;
    UniqueIcon error_;
};

// An icon of the program's resources at a size of its own; nobody else frees it.
HICON loadIcon(HINSTANCE instance, int id, int pixels);

}  // namespace velu::win32

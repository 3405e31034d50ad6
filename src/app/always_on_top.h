#pragma once
// SetAlwaysOnTop: keeping a window above other windows.

#include <cstdint>

#include "forms/form.h"

namespace velu::app {

// Puts the window in the topmost layer when the flag is not zero, in the ordinary layer
// otherwise; it keeps its place and size.
void SetAlwaysOnTop(forms::Form& window, std::int16_t onTop);

}  // namespace velu::app

#pragma once
// The built-in make-up of the main window frmVelumarDichte: its controls and menu bar.

#include <memory>

#include "forms/form.h"

namespace velu::app {

// Client area of the main window below the menu bar, in twips.
inline constexpr forms::TwipsRect kMainClientArea{0, 0, 4575, 5055};

// The main window as it is created, before its load handler runs: 22 controls in creation
// order, then the 15 items of the menu bar in menu order.
std::unique_ptr<forms::Form> makeMainWindowForm();

}  // namespace velu::app

#pragma once
// The built-in make-up of the About box frmAbout.

#include <memory>

#include "forms/form.h"

namespace velu::about {

inline constexpr forms::TwipsRect kAboutClientArea{0, 0, 5730, 3690};

std::unique_ptr<forms::Form> makeAboutForm();

}  // namespace velu::about

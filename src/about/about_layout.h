#pragma once
// The built-in make-up of the About box frmAbout. Each member is the control of that name; the
// names are also the section names of the interface text file.

#include "forms/form.h"

namespace velu::about {

inline constexpr forms::TwipsRect kAboutClientArea{0, 0, 5730, 3690};

class AboutForm final : public forms::Form {
  public:
    AboutForm();

    forms::Control& picIcon;
    forms::Control& lblTitle;
    forms::Control& lblVersion;
    forms::Control& lblDescription;
    forms::Control& lblDisclaimer;
    forms::Control& cmdOK;
    forms::Control& cmdSysInfo;
    // The two elements of the line array Line1, an etched separator below the text.
    forms::Control& Line1_0;
    forms::Control& Line1_1;
};

}  // namespace velu::about

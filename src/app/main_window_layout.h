#pragma once
// The built-in make-up of the main window frmVelumarDichte: its 22 controls in creation order,
// then the 16 items of its menu bar in menu order. Each member is the control of that name;
// the names are also the section names of the interface text file.

#include "forms/form.h"

namespace velu::app {

// Client area of the main window below the menu bar, in twips.
inline constexpr forms::TwipsRect kMainClientArea{0, 0, 4575, 5055};

class MainWindowForm final : public forms::Form {
  public:
    MainWindowForm();

    forms::Control& Frame3;
    forms::Control& timImage;
    forms::Control& cmdExit;
    forms::Control& Frame1;
    forms::Control& cmbAnwendenAuf;
    forms::Control& cmbAuswahl;
    forms::Control& cmdSetDensity;
    forms::Control& lblAnwendenAuf;
    forms::Control& lblAuswahl;
    forms::Control& lblAuswahlWert2;
    forms::Control& lblAuswahlWert;
    forms::Control& Frame2;
    forms::Control& chkSWXSystemStandard;
    forms::Control& cmdGetDensity;
    forms::Control& lblDensity;
    forms::Control& lblDichte;
    forms::Control& cmdAbout;
    forms::Control& imgSuccess;
    forms::Control& imgVis;
    forms::Control& imgError;
    forms::Control& imgSWTool;
    forms::Control& lblVelumar;

    forms::Control& mnuFile;
    forms::Control& mnuExit;
    forms::Control& mnuOptionen;
    forms::Control& mnuGet;
    forms::Control& mnuGetStandard;
    forms::Control& mnuAnwendenAuf;
    forms::Control& mnuAnwendenSystemStandard;
    forms::Control& mnuAnwendenNurAktivesTeil;
    forms::Control& mnuAnwendenAllPossible;
    forms::Control& mnuAnwendenBaugruppe;
    forms::Control& mnudummy;
    forms::Control& mnuShowErrors;
    forms::Control& mnuShowSuccess;
    forms::Control& mnuAlwaysOnTop;
    forms::Control& mnuHelp;
    forms::Control& mnuAbout;
};

}  // namespace velu::app

#pragma once
// The built-in make-up of the assembly window frmBaugruppe: the material to be written, the
// list of the assembly's parts, the progress of the work and its buttons. Each member is the
// control of that name; the names are also the section names of the interface text file.

#include "forms/form.h"

namespace velu::assembly {

// Client area at its smallest, in twips; the window is resizable and the list grows with it.
// At 192 dpi the window fits a display of 1280 by 1024 pixels; columns wider than the list
// scroll.
inline constexpr forms::TwipsRect kAssemblyClientArea{0, 0, 9240, 5760};

// The columns of the parts list, in order.
enum Column : std::size_t {
    kPart,
    kInstances,
    kConfigurations,
    kMaterials,
    kDensity,
    kMassDensity,
    kMass,
    kResult,
    kColumns
};

class AssemblyForm final : public forms::Form {
  public:
    AssemblyForm();

    forms::Control& lblMaterial;
    forms::Control& lvwTeile;
    forms::Control& prgFortschritt;
    forms::Control& lblStatus;
    forms::Control& cmdUebertragen;
    forms::Control& cmdOhneMaterial;
    forms::Control& cmdRueckgaengig;
    forms::Control& cmdSpeichern;
    forms::Control& cmdSchliessen;
    // The list's context menu.
    forms::Control& mnuKopieren;
    forms::Control& mnuAlleAuswaehlen;
};

}  // namespace velu::assembly

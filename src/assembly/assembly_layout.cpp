#include "assembly/assembly_layout.h"

namespace velu::assembly {
namespace {

using forms::Kind;

constexpr unsigned kAcross = forms::AnchorLeft | forms::AnchorTop | forms::AnchorRight;
constexpr unsigned kEverySide = kAcross | forms::AnchorBottom;
constexpr unsigned kAcrossTheFoot = forms::AnchorLeft | forms::AnchorRight | forms::AnchorBottom;
constexpr unsigned kFootLeft = forms::AnchorLeft | forms::AnchorBottom;
constexpr unsigned kFootRight = forms::AnchorRight | forms::AnchorBottom;

}  // namespace

// From top to bottom: the material, the list, the progress with its status line, the buttons.
// The list takes what the window grows by; the rest keeps its distance to the nearer edges.
AssemblyForm::AssemblyForm()
    : Form(L"frmBaugruppe", L"", kAssemblyClientArea),
      lblMaterial(add({.name = L"lblMaterial",
                       .kind = Kind::Label,
                       .rect = {120, 120, 12120, 255},
                       .tabIndex = 5,
                       .anchors = kAcross})),
      lvwTeile(add({.name = L"lvwTeile",
                    .kind = Kind::ListView,
                    .rect = {120, 480, 12120, 3360},
                    .tabIndex = 0,
                    .anchors = kEverySide,
                    .columns = {{L"Teil", 2400},
                                {L"Anzahl", 900, true},
                                {L"Konfiguration", 1500},
                                {L"Material", 1500},
                                {L"Dichte [kg/m³]", 1400, true},
                                {L"Masse rechnet mit [kg/m³]", 2200, true},
                                {L"Ergebnis", 1800}}})),
      prgFortschritt(add({.name = L"prgFortschritt",
                          .kind = Kind::ProgressBar,
                          .rect = {120, 3960, 12120, 255},
                          .anchors = kAcrossTheFoot})),
      lblStatus(add({.name = L"lblStatus",
                     .kind = Kind::Label,
                     .rect = {120, 4320, 12120, 720},
                     .tabIndex = 6,
                     .wordWrap = true,
                     .anchors = kAcrossTheFoot})),
      cmdUebertragen(add({.name = L"cmdUebertragen",
                          .kind = Kind::CommandButton,
                          .rect = {120, 5220, 2520, 375},
                          .tabIndex = 1,
                          .caption = L"Dichte &übertragen",
                          .toolTip = L"Schreibt die Dichte in jedes angehakte Teil",
                          .anchors = kFootLeft})),
      cmdOhneMaterial(add({.name = L"cmdOhneMaterial",
                           .kind = Kind::CommandButton,
                           .rect = {2760, 5220, 2760, 375},
                           .tabIndex = 2,
                           .caption = L"&Nur Teile ohne Material",
                           .toolTip = L"Hakt genau die geladenen Teile ohne Material an",
                           .anchors = kFootLeft})),
      cmdSchliessen(add({.name = L"cmdSchliessen",
                         .kind = Kind::CommandButton,
                         .rect = {10560, 5220, 1680, 375},
                         .tabIndex = 3,
                         .caption = L"&Schließen",
                         .toolTip = L"Schließt das Fenster; während es arbeitet, hält es nach "
                                    L"dem Teil an, das gerade an der Reihe ist",
                         .cancelButton = true,
                         .anchors = kFootRight})) {}

}  // namespace velu::assembly

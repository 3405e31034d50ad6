#include "assembly/assembly_layout.h"

namespace velu::assembly {
namespace {

using forms::ControlDefinition;
using forms::Kind;

constexpr unsigned kAcross = forms::AnchorLeft | forms::AnchorTop | forms::AnchorRight;
constexpr unsigned kAcrossTheFoot = forms::AnchorLeft | forms::AnchorRight | forms::AnchorBottom;

// Every control but the buttons spans the window, a margin from either side.
constexpr int kMargin = 120;
constexpr int kSpan = kAssemblyClientArea.width - 2 * kMargin;
// The buttons stand in one row at the foot.
constexpr int kButtonTop = 5220;
constexpr int kButtonHeight = 375;

ControlDefinition spanning(const wchar_t* name, Kind kind, int top, int height, unsigned anchors) {
    return {.name = name, .kind = kind, .rect = {kMargin, top, kSpan, height}, .anchors = anchors};
}

// A button of the row at the foot, which keeps its distance to the bottom and to the side it
// stands on.
ControlDefinition button(const wchar_t* name, int left, int width, const wchar_t* caption,
                         const wchar_t* toolTip, forms::Anchor side) {
    return {.name = name,
            .kind = Kind::CommandButton,
            .rect = {left, kButtonTop, width, kButtonHeight},
            .caption = caption,
            .toolTip = toolTip,
            .anchors = side | forms::AnchorBottom};
}

ControlDefinition withTabIndex(ControlDefinition definition, int tabIndex) {
    definition.tabIndex = tabIndex;
    return definition;
}

// An item of the list's context menu, also reached with Ctrl and a letter.
ControlDefinition listCommand(const wchar_t* name, const wchar_t* caption, wchar_t ctrlKey) {
    return {.name = name,
            .kind = Kind::Menu,
            .caption = caption,
            .menuLevel = 1,
            .popupOf = L"lvwTeile",
            .ctrlKey = ctrlKey};
}

}  // namespace

// From top to bottom: the material, the list, the progress with its status line, the buttons.
// The list takes what the window grows by; the rest keeps its distance to the nearer edges.
AssemblyForm::AssemblyForm()
    : Form(L"frmBaugruppe", L"", kAssemblyClientArea),
      lblMaterial(add(withTabIndex(spanning(L"lblMaterial", Kind::Label, 120, 255, kAcross), 6))),
      lvwTeile(add([] {
          auto list =
              spanning(L"lvwTeile", Kind::ListView, 480, 3000, kAcross | forms::AnchorBottom);
          list.tabIndex = 0;
          // "Masse [kg]" came after the others: its heading's key follows theirs.
          list.columns = {{L"Teil"},
                          {L"Anzahl", true},
                          {L"Konfiguration"},
                          {L"Material"},
                          {L"Dichte [kg/m³]", true},
                          {L"Masse rechnet mit [kg/m³]", true},
                          {L"Masse [kg]", true, 7},
                          {L"Ergebnis", false, 6}};
          return list;
      }())),
      prgFortschritt(
          add(spanning(L"prgFortschritt", Kind::ProgressBar, 3600, 255, kAcrossTheFoot))),
      lblStatus(add([] {
          auto status = spanning(L"lblStatus", Kind::Label, 3960, 960, kAcrossTheFoot);
          status.tabIndex = 7;
          status.wordWrap = true;
          return status;
      }())),
      cmdUebertragen(add(
          withTabIndex(button(L"cmdUebertragen", kMargin, 1800, L"Dichte &übertragen",
                              L"Schreibt die Dichte in jedes angehakte Teil", forms::AnchorLeft),
                       1))),
      cmdOhneMaterial(add(withTabIndex(
          button(L"cmdOhneMaterial", 2040, 2520, L"&Nur Teile ohne Material",
                 L"Hakt genau die geladenen Teile ohne Material an", forms::AnchorLeft),
          2))),
      cmdRueckgaengig(add(withTabIndex(
          button(L"cmdRueckgaengig", 4680, 1260, L"&Rückgängig",
                 L"Setzt jedes Teil, in das dieses Fenster geschrieben hat, auf die Dichte "
                 L"zurück, die es beim Auflisten hatte",
                 forms::AnchorLeft),
          3))),
      cmdSpeichern(add(withTabIndex(
          button(L"cmdSpeichern", 6060, 1680, L"Liste &speichern\u2026",
                 L"Speichert die Liste, wie sie angezeigt wird, als CSV-Datei für Excel",
                 forms::AnchorLeft),
          4))),
      cmdSchliessen(add([] {
          auto close = button(L"cmdSchliessen", kMargin + kSpan - 1260, 1260, L"&Schließen",
                              L"Schließt das Fenster; während es arbeitet, hält es nach dem "
                              L"Teil an, das gerade an der Reihe ist",
                              forms::AnchorRight);
          close.tabIndex = 5;
          close.cancelButton = true;
          return close;
      }())),
      mnuKopieren(add(listCommand(L"mnuKopieren", L"&Kopieren", L'C'))),
      mnuAlleAuswaehlen(add(listCommand(L"mnuAlleAuswaehlen", L"&Alle auswählen", L'A'))) {}

}  // namespace velu::assembly

#include "app/main_window_layout.h"

#include <vector>

namespace velu::app {
namespace {

using forms::ControlDefinition;
using forms::Kind;
using forms::MenuRole;
using forms::Picture;

constexpr const wchar_t* kListToolTip = L"Bitte Material als Klartext auswählen";

// The controls in creation order; the container gives the nesting.
std::vector<ControlDefinition> controls() {
    return {
        {.name = L"Frame3",
         .kind = Kind::Frame,
         .rect = {0, 0, 4575, 5055},
         .tabIndex = 0,
         .border = false},
        {.name = L"timImage",
         .kind = Kind::Timer,
         .container = L"Frame3",
         .timerEnabled = true,
         .interval = 1500},
        {.name = L"cmdExit",
         .kind = Kind::CommandButton,
         .container = L"Frame3",
         .rect = {3480, 4440, 855, 375},
         .tabIndex = 15,
         .caption = L"&Ende",
         .toolTip = L"Beendet das Programm"},
        {.name = L"Frame1",
         .kind = Kind::Frame,
         .container = L"Frame3",
         .rect = {120, 2280, 4335, 1935},
         .tabIndex = 7,
         .caption = L" Dichtewert setzen "},
        {.name = L"cmbAnwendenAuf",
         .kind = Kind::ComboBox,
         .container = L"Frame1",
         .rect = {1680, 840, 2415, 315},
         .tabIndex = 10,
         .toolTip = kListToolTip,
         .items = {L"Systemstandard", L"Nur aktives Teil", L"Alles, was möglich ist"}},
        {.name = L"cmbAuswahl",
         .kind = Kind::ComboBox,
         .container = L"Frame1",
         .rect = {1680, 480, 2415, 315},
         .tabIndex = 9,
         .toolTip = kListToolTip},
        {.name = L"cmdSetDensity",
         .kind = Kind::CommandButton,
         .container = L"Frame1",
         .rect = {1680, 1320, 2415, 375},
         .tabIndex = 8,
         .caption = L"Dichte nach &SWX übertragen",
         .toolTip = L"Durch diese Funktion wird der aktuelle Dichtewert aus dem Textfeld in SWX "
                    L"eingetragen"},
        {.name = L"lblAnwendenAuf",
         .kind = Kind::Label,
         .container = L"Frame1",
         .rect = {360, 840, 1335, 255},
         .tabIndex = 14,
         .caption = L"Anwenden auf"},
        {.name = L"lblAuswahl",
         .kind = Kind::Label,
         .container = L"Frame1",
         .rect = {360, 480, 1335, 255},
         .tabIndex = 13,
         .caption = L"Bitte auswählen"},
        {.name = L"lblAuswahlWert2",
         .kind = Kind::Label,
         .container = L"Frame1",
         .rect = {360, 1200, 1020, 195},
         .tabIndex = 12,
         .caption = L"Dichte [kg/m³]",
         .autoSize = true},
        {.name = L"lblAuswahlWert",
         .kind = Kind::Label,
         .container = L"Frame1",
         .rect = {360, 1440, 1095, 255},
         .tabIndex = 11,
         .caption = L"0,001",
         .valueDisplay = true},
        {.name = L"Frame2",
         .kind = Kind::Frame,
         .container = L"Frame3",
         .rect = {1800, 360, 2655, 1815},
         .tabIndex = 2,
         .caption = L" Materialeigenschaft auslesen "},
        {.name = L"chkSWXSystemStandard",
         .kind = Kind::CheckBox,
         .container = L"Frame2",
         .rect = {240, 960, 2295, 255},
         .tabIndex = 4,
         .caption = L"Anzeige Systemstandard"},
        {.name = L"cmdGetDensity",
         .kind = Kind::CommandButton,
         .container = L"Frame2",
         .rect = {120, 480, 2415, 375},
         .tabIndex = 3,
         .caption = L"&Dichte vom Modell auslesen",
         .toolTip = L"Durch diese Funktion wird der aktuelle Dichtewert aus SWX ausgelesen und "
                    L"im Textfeld eingetragen"},
        {.name = L"lblDensity",
         .kind = Kind::Label,
         .container = L"Frame2",
         .rect = {1440, 1440, 1095, 255},
         .tabIndex = 6,
         .valueDisplay = true},
        {.name = L"lblDichte",
         .kind = Kind::Label,
         .container = L"Frame2",
         .rect = {120, 1440, 1155, 195},
         .tabIndex = 5,
         .caption = L"Dichte [kg/m³] =",
         .autoSize = true},
        {.name = L"cmdAbout",
         .kind = Kind::CommandButton,
         .container = L"Frame3",
         .rect = {120, 4440, 2535, 375},
         .tabIndex = 1,
         .caption = L"über Velumar - Dichte"},
        {.name = L"imgSuccess",
         .kind = Kind::Image,
         .container = L"Frame3",
         .rect = {1680, 4080, 480, 480},
         .picture = Picture::Success,
         .visible = false},
        {.name = L"imgVis",
         .kind = Kind::Image,
         .container = L"Frame3",
         .rect = {240, 240, 615, 615}},
        {.name = L"imgError",
         .kind = Kind::Image,
         .container = L"Frame3",
         .rect = {1200, 4080, 480, 480},
         .picture = Picture::Error,
         .visible = false},
        {.name = L"imgSWTool",
         .kind = Kind::Image,
         .container = L"Frame3",
         .rect = {600, 3960, 630, 630},
         .picture = Picture::Tool,
         .visible = false},
        {.name = L"lblVelumar",
         .kind = Kind::Label,
         .container = L"Frame3",
         .rect = {120, 960, 1575, 1095},
         .tabIndex = 16,
         .caption = L"Velumar - Dichte Auslesen/Eintragen von Materialwerten in Solidworks",
         .wordWrap = true},
    };
}

ControlDefinition menu(int level, const wchar_t* name, const wchar_t* caption, MenuRole role) {
    return {
        .name = name, .kind = Kind::Menu, .caption = caption, .menuLevel = level, .menuRole = role};
}

// The menu bar in menu order; the level gives the nesting.
std::vector<ControlDefinition> menuBar() {
    return {
        menu(1, L"mnuFile", L"&Datei", MenuRole::Menu),
        menu(2, L"mnuExit", L"Beenden", MenuRole::Command),
        menu(1, L"mnuOptionen", L"Optionen", MenuRole::Menu),
        menu(2, L"mnuGet", L"&Auslesen", MenuRole::Menu),
        menu(3, L"mnuGetStandard", L"Anzeige Systemstandard", MenuRole::Option),
        menu(2, L"mnuAnwendenAuf", L"An&wenden auf", MenuRole::Menu),
        menu(3, L"mnuAnwendenSystemStandard", L"Systemstandard", MenuRole::Option),
        menu(3, L"mnuAnwendenNurAktivesTeil", L"Nur aktives Teil", MenuRole::Option),
        menu(3, L"mnuAnwendenAllPossible", L"Alles, was möglich ist", MenuRole::Option),
        menu(2, L"mnudummy", L"-", MenuRole::Separator),
        menu(2, L"mnuShowErrors", L"Fehlermeldungen unterdrücken", MenuRole::Option),
        menu(2, L"mnuShowSuccess", L"Erfolgsmeldung unterdrücken", MenuRole::Option),
        menu(2, L"mnuAlwaysOnTop", L"Always on Top", MenuRole::Option),
        menu(1, L"mnuHelp", L"?", MenuRole::Menu),
        menu(2, L"mnuAbout", L"Über ...", MenuRole::Command),
    };
}

}  // namespace

std::unique_ptr<forms::Form> makeMainWindowForm() {
    auto form =
        std::make_unique<forms::Form>(L"frmVelumarDichte", L"Velumar - Density", kMainClientArea);
    form->addAll(controls());
    form->addAll(menuBar());
    return form;
}

}  // namespace velu::app

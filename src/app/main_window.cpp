#include "app/main_window.h"

#include "app/always_on_top.h"
#include "app/main_window_layout.h"
#include "common/number_text.h"
#include "config/density_catalogue.h"
#include "config/form_texts.h"
#include "config/message_table.h"

namespace velu::app {

using forms::Event;
using forms::Picture;

MainWindow::MainWindow(const AppServices& services)
    : services_(services),
      ini_(services.files, services.ansi, services.boxes),
      form_(makeMainWindowForm()),
      link_(*this, services.automation, services.boxes, services.locale, MessageTexts,
            MaterialDensities) {
    bindHandlers();
}

void MainWindow::bindHandlers() {
    struct Binding {
        const wchar_t* control;
        Event event;
        void (MainWindow::*handler)();
    };
    static constexpr Binding kBindings[] = {
        {L"cmbAuswahl", Event::Click, &MainWindow::cmbAuswahl_Click},
        {L"cmdExit", Event::Click, &MainWindow::cmdExit_Click},
        {L"mnuExit", Event::Click, &MainWindow::mnuExit_Click},
        {L"cmdAbout", Event::Click, &MainWindow::cmdAbout_Click},
        {L"mnuAbout", Event::Click, &MainWindow::mnuAbout_Click},
        {L"cmbAnwendenAuf", Event::Click, &MainWindow::cmbAnwendenAuf_Click},
        {L"mnuAnwendenSystemStandard", Event::Click, &MainWindow::mnuAnwendenSystemStandard_Click},
        {L"mnuAnwendenNurAktivesTeil", Event::Click, &MainWindow::mnuAnwendenNurAktivesTeil_Click},
        {L"mnuAnwendenAllPossible", Event::Click, &MainWindow::mnuAnwendenAllPossible_Click},
        {L"mnuShowErrors", Event::Click, &MainWindow::mnuShowErrors_Click},
        {L"mnuShowSuccess", Event::Click, &MainWindow::mnuShowSuccess_Click},
        {L"mnuAlwaysOnTop", Event::Click, &MainWindow::mnuAlwaysOnTop_Click},
        {L"timImage", Event::Timer, &MainWindow::timImage_Timer},
        {L"cmdSetDensity", Event::Click, &MainWindow::cmdSetDensity_Click},
        {L"cmdGetDensity", Event::Click, &MainWindow::cmdGetDensity_Click},
        {L"chkSWXSystemStandard", Event::Click, &MainWindow::chkSWXSystemStandard_Click},
        {L"mnuGetStandard", Event::Click, &MainWindow::mnuGetStandard_Click},
    };
    for (const auto& binding : kBindings) {
        form_->on(binding.control, binding.event, [this, h = binding.handler] { (this->*h)(); });
    }
}

std::wstring MainWindow::catalogueFile() const {
    return services_.files.executableDirectory() + L"\\velu.ini";
}

std::wstring MainWindow::interfaceTextFile() const {
    return services_.files.executableDirectory() + L"\\default.ini";
}

void MainWindow::Form_Load() {
    modVelumarDichte::LoadFormTexts(*form_, ini_, services_.files);

    control(L"imgVis").setPicture(control(L"imgSWTool").picture());

    auto catalogue = config::loadDensityCatalogue(
        ini_, catalogueFile(), services_.locale.decimalSeparator(), services_.boxes);
    MaterialNames = std::move(catalogue.names);
    MaterialDensities = std::move(catalogue.densities);

    forms::Control& materials = control(L"cmbAuswahl");
    materials.clear();
    materials.addItems(MaterialNames);
    materials.setListIndex(catalogue.defaultIndex);

    control(L"cmbAnwendenAuf").setListIndex(1);

    MessageTexts = config::loadMessageTable(ini_, interfaceTextFile());
}

void MainWindow::cmbAuswahl_Click() {
    const int index = control(L"cmbAuswahl").listIndex();
    // The list may hold entries of the interface text file before the catalogue is loaded;
    // only an index into the catalogue has a density to show.
    if (index < 0 || index >= static_cast<int>(MaterialDensities.size())) return;
    control(L"lblAuswahlWert")
        .setCaption(formatGeneral(MaterialDensities[static_cast<std::size_t>(index)],
                                  services_.locale.decimalSeparator()));
}

void MainWindow::cmdExit_Click() {
    services_.process.endNow();
}

void MainWindow::mnuExit_Click() {
    cmdExit_Click();
}

void MainWindow::cmdAbout_Click() {
    if (openAbout_) openAbout_();
}

void MainWindow::mnuAbout_Click() {
    if (openAbout_) openAbout_();
}

// The list index of the apply-to list is the one value; the menu marks follow it.
void MainWindow::cmbAnwendenAuf_Click() {
    static constexpr const wchar_t* kMarks[] = {
        L"mnuAnwendenSystemStandard", L"mnuAnwendenNurAktivesTeil", L"mnuAnwendenAllPossible"};
    const int mode = control(L"cmbAnwendenAuf").listIndex();
    if (mode < 0 || mode > 2) return;
    for (int item = 0; item < 3; ++item) control(kMarks[item]).setChecked(item == mode);
}

void MainWindow::mnuAnwendenSystemStandard_Click() {
    control(L"cmbAnwendenAuf").setListIndex(0);
}

void MainWindow::mnuAnwendenNurAktivesTeil_Click() {
    control(L"cmbAnwendenAuf").setListIndex(1);
}

void MainWindow::mnuAnwendenAllPossible_Click() {
    control(L"cmbAnwendenAuf").setListIndex(2);
}

void MainWindow::mnuShowErrors_Click() {
    forms::Control& option = control(L"mnuShowErrors");
    option.setChecked(!option.checked());
}

void MainWindow::mnuShowSuccess_Click() {
    forms::Control& option = control(L"mnuShowSuccess");
    option.setChecked(!option.checked());
}

void MainWindow::mnuAlwaysOnTop_Click() {
    forms::Control& option = control(L"mnuAlwaysOnTop");
    option.setChecked(!option.checked());
    modVelumarDichte::SetAlwaysOnTop(services_.layer, *form_, option.checked() ? -1 : 0);
}

void MainWindow::timImage_Timer() {
    control(L"imgVis").setPicture(control(L"imgSWTool").picture());
    control(L"timImage").setTimerEnabled(false);
}

void MainWindow::cmdSetDensity_Click() {
    link_.transferDensity([this] { cmdGetDensity_Click(); });
}

void MainWindow::cmdGetDensity_Click() {
    readDensity();
}

bool MainWindow::readDensity() {
    return link_.readDensity();
}

void MainWindow::chkSWXSystemStandard_Click() {
    forms::Control& menuItem = control(L"mnuGetStandard");
    if (readDensity()) {
        menuItem.setChecked(!menuItem.checked());
    } else {
        // The readout stopped at a failed call: the menu follows the check box's new state.
        menuItem.setChecked(control(L"chkSWXSystemStandard").value() != 0);
    }
}

void MainWindow::mnuGetStandard_Click() {
    forms::Control& menuItem = control(L"mnuGetStandard");
    forms::Control& checkBox = control(L"chkSWXSystemStandard");
    checkBox.setValue(menuItem.checked() ? 0 : 1);
    menuItem.setChecked(checkBox.value() != 0);
}

bool MainWindow::readsSystemDefault() const {
    return control(L"chkSWXSystemStandard").value() != 0;
}

bool MainWindow::errorsSuppressed() const {
    return control(L"mnuShowErrors").checked();
}

bool MainWindow::successSuppressed() const {
    return control(L"mnuShowSuccess").checked();
}

int MainWindow::materialIndex() const {
    return control(L"cmbAuswahl").listIndex();
}

int MainWindow::applyToMode() const {
    return control(L"cmbAnwendenAuf").listIndex();
}

void MainWindow::showReadDensity(const std::wstring& text) {
    control(L"lblDensity").setCaption(text);
}

void MainWindow::showStatus(cad::Status status) {
    const wchar_t* holder = status == cad::Status::Success ? L"imgSuccess" : L"imgError";
    control(L"imgVis").setPicture(control(holder).picture());
    control(L"timImage").setTimerEnabled(true);
}

}  // namespace velu::app

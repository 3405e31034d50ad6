#include "app/main_window.h"

#include "app/main_window_layout.h"
#include "common/number_text.h"
#include "config/density_catalogue.h"

namespace velu::app {

using forms::Event;
using forms::Picture;

MainWindow::MainWindow(AppServices services)
    : services_(services),
      ini_(services.files, services.ansi, services.boxes),
      form_(makeMainWindowForm()) {
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
    control(L"imgVis").setPicture(control(L"imgSWTool").picture());

    auto catalogue = config::loadDensityCatalogue(
        ini_, catalogueFile(), services_.locale.decimalSeparator(), services_.boxes);
    MaterialNames = std::move(catalogue.names);
    MaterialDensities = std::move(catalogue.densities);

    forms::Control& materials = control(L"cmbAuswahl");
    materials.clear();
    for (const auto& name : MaterialNames) materials.addItem(name);
    materials.setListIndex(catalogue.defaultIndex);

    control(L"cmbAnwendenAuf").setListIndex(1);
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

}  // namespace velu::app

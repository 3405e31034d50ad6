#include "app/main_window.h"

#include "app/always_on_top.h"
#include "common/file_names.h"
#include "common/number_text.h"
#include "config/density_catalogue.h"
#include "config/form_texts.h"
#include "config/message_table.h"
#include "forms/bindings.h"

namespace velu::app {

using forms::Event;

MainWindow::MainWindow(const AppServices& services)
    : services_(services),
      link_(*this, services.automation, services.boxes, services.locale, MessageTexts,
            MaterialDensities) {
    bindHandlers();
}

void MainWindow::bindHandlers() {
    const MainWindowForm& f = form_;
    const forms::Binding<MainWindow> bindings[] = {
        {f.cmbAuswahl, Event::Click, &MainWindow::cmbAuswahl_Click},
        {f.cmdExit, Event::Click, &MainWindow::cmdExit_Click},
        {f.mnuExit, Event::Click, &MainWindow::mnuExit_Click},
        {f.cmdAbout, Event::Click, &MainWindow::cmdAbout_Click},
        {f.mnuAbout, Event::Click, &MainWindow::mnuAbout_Click},
        {f.cmbAnwendenAuf, Event::Click, &MainWindow::cmbAnwendenAuf_Click},
        {f.mnuAnwendenSystemStandard, Event::Click, &MainWindow::mnuAnwendenSystemStandard_Click},
        {f.mnuAnwendenNurAktivesTeil, Event::Click, &MainWindow::mnuAnwendenNurAktivesTeil_Click},
        {f.mnuAnwendenAllPossible, Event::Click, &MainWindow::mnuAnwendenAllPossible_Click},
        {f.mnuAnwendenBaugruppe, Event::Click, &MainWindow::mnuAnwendenBaugruppe_Click},
        {f.mnuShowErrors, Event::Click, &MainWindow::mnuShowErrors_Click},
        {f.mnuShowSuccess, Event::Click, &MainWindow::mnuShowSuccess_Click},
        {f.mnuAlwaysOnTop, Event::Click, &MainWindow::mnuAlwaysOnTop_Click},
        {f.timImage, Event::Timer, &MainWindow::timImage_Timer},
        {f.cmdSetDensity, Event::Click, &MainWindow::cmdSetDensity_Click},
        {f.cmdGetDensity, Event::Click, &MainWindow::cmdGetDensity_Click},
        {f.chkSWXSystemStandard, Event::Click, &MainWindow::chkSWXSystemStandard_Click},
        {f.mnuGetStandard, Event::Click, &MainWindow::mnuGetStandard_Click},
    };
    forms::bind(form_, *this, bindings);
}

void MainWindow::show(const std::vector<Notice>& notices) {
    for (const Notice& notice : notices) services_.boxes.report(notice);
}

void MainWindow::Form_Load() {
    config::LoadFormTexts(form_, services_.profiles, services_.files);

    form_.imgVis.setPicture(form_.imgSWTool.picture());

    auto catalogue =
        config::loadDensityCatalogue(services_.profiles.open(catalogueFile(services_.files)),
                                     services_.locale.decimalSeparator());
    show(catalogue.notices);
    MaterialNames = std::move(catalogue.names);
    MaterialDensities = std::move(catalogue.densities);

    form_.cmbAuswahl.clear();
    form_.cmbAuswahl.addItems(MaterialNames);
    form_.cmbAuswahl.setListIndex(catalogue.defaultIndex);

    // A user's file that lists fewer apply-to entries leaves no menu item without its entry.
    form_.mnuAnwendenBaugruppe.setVisible(form_.cmbAnwendenAuf.items().size() > 3);
    form_.cmbAnwendenAuf.setListIndex(1);

    auto messages =
        config::loadMessageTable(services_.profiles.open(interfaceTextFile(services_.files)));
    show(messages.notices);
    MessageTexts = std::move(messages.texts);
}

void MainWindow::cmbAuswahl_Click() {
    const int index = form_.cmbAuswahl.listIndex();
    // The list may hold entries of the interface text file before the catalogue is loaded;
    // only an index into the catalogue has a density to show.
    if (index < 0 || index >= static_cast<int>(MaterialDensities.size())) return;
    form_.lblAuswahlWert.setCaption(formatGeneral(
        MaterialDensities[static_cast<std::size_t>(index)], services_.locale.decimalSeparator()));
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
    forms::Control* const marks[] = {&form_.mnuAnwendenSystemStandard,
                                     &form_.mnuAnwendenNurAktivesTeil,
                                     &form_.mnuAnwendenAllPossible, &form_.mnuAnwendenBaugruppe};
    const int mode = form_.cmbAnwendenAuf.listIndex();
    if (mode < 0 || mode >= static_cast<int>(std::size(marks))) return;
    for (int item = 0; item < static_cast<int>(std::size(marks)); ++item) {
        marks[item]->setChecked(item == mode);
    }
}

void MainWindow::mnuAnwendenSystemStandard_Click() {
    form_.cmbAnwendenAuf.setListIndex(0);
}

void MainWindow::mnuAnwendenNurAktivesTeil_Click() {
    form_.cmbAnwendenAuf.setListIndex(1);
}

void MainWindow::mnuAnwendenAllPossible_Click() {
    form_.cmbAnwendenAuf.setListIndex(2);
}

void MainWindow::mnuAnwendenBaugruppe_Click() {
    form_.cmbAnwendenAuf.setListIndex(3);
}

void MainWindow::mnuShowErrors_Click() {
    form_.mnuShowErrors.setChecked(!form_.mnuShowErrors.checked());
}

void MainWindow::mnuShowSuccess_Click() {
    form_.mnuShowSuccess.setChecked(!form_.mnuShowSuccess.checked());
}

void MainWindow::mnuAlwaysOnTop_Click() {
    form_.mnuAlwaysOnTop.setChecked(!form_.mnuAlwaysOnTop.checked());
    SetAlwaysOnTop(form_, form_.mnuAlwaysOnTop.checked() ? -1 : 0);
}

void MainWindow::timImage_Timer() {
    form_.imgVis.setPicture(form_.imgSWTool.picture());
    form_.timImage.setTimerEnabled(false);
}

void MainWindow::cmdSetDensity_Click() {
    link_.transferDensity();
}

void MainWindow::cmdGetDensity_Click() {
    link_.readDensity();
}

// After the readout the menu item shows the check box's state. Had the readout stopped at a
// failed call, flipping the item would leave the two out of step.
void MainWindow::chkSWXSystemStandard_Click() {
    link_.readDensity();
    form_.mnuGetStandard.setChecked(form_.chkSWXSystemStandard.value() != 0);
}

void MainWindow::mnuGetStandard_Click() {
    const int wanted = form_.mnuGetStandard.checked() ? 0 : 1;
    if (form_.chkSWXSystemStandard.value() != wanted) {
        // The check box's click reads again from the new source and sets the menu item.
        form_.chkSWXSystemStandard.setValue(wanted);
    } else {
        // The check box has that value already and raises no click: the item follows it.
        form_.mnuGetStandard.setChecked(form_.chkSWXSystemStandard.value() != 0);
    }
}

bool MainWindow::readsSystemDefault() const {
    return form_.chkSWXSystemStandard.value() != 0;
}

bool MainWindow::errorsSuppressed() const {
    return form_.mnuShowErrors.checked();
}

bool MainWindow::successSuppressed() const {
    return form_.mnuShowSuccess.checked();
}

int MainWindow::materialIndex() const {
    return form_.cmbAuswahl.listIndex();
}

int MainWindow::applyToMode() const {
    return form_.cmbAnwendenAuf.listIndex();
}

void MainWindow::showReadDensity(const std::wstring& text) {
    form_.lblDensity.setCaption(text);
}

void MainWindow::openAssemblyWindow(const cad::ObjectRef& application,
                                    const cad::ObjectRef& assembly) {
    if (!openAssembly_) return;
    const auto index = static_cast<std::size_t>(form_.cmbAuswahl.listIndex());
    openAssembly_(assembly::AssemblyTask{
        .application = application,
        .assembly = assembly,
        .material = MaterialNames.at(index),
        .density = MaterialDensities.at(index),
        .messages = MessageTexts,
        .errorsSuppressed = [this] { return errorsSuppressed(); },
        .showStatus = [this](cad::Status status) { showStatus(status); },
    });
}

void MainWindow::showStatus(cad::Status status) {
    const forms::Control& holder =
        status == cad::Status::Success ? form_.imgSuccess : form_.imgError;
    form_.imgVis.setPicture(holder.picture());
    form_.timImage.setTimerEnabled(true);
}

}  // namespace velu::app

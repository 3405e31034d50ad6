#pragma once
// frmVelumarDichte: the main window's state and handlers. The handlers keep the names of the
// control events they serve (control, underscore, event).

#include <memory>
#include <string>
#include <vector>

#include "app/app_services.h"
#include "config/ini_file.h"
#include "forms/form.h"

namespace velu::app {

class MainWindow {
  public:
    explicit MainWindow(AppServices services);
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    forms::Form& form() { return *form_; }
    const forms::Form& form() const { return *form_; }

    // The start-up sequence, run once before the window is first shown.
    void Form_Load();

    void cmbAuswahl_Click();
    void cmdExit_Click();
    void mnuExit_Click();

    // The arrays the window owns for its whole life, filled by Form_Load.
    const std::vector<std::wstring>& materialNames() const { return MaterialNames; }
    const std::vector<double>& materialDensities() const { return MaterialDensities; }
    const std::vector<std::wstring>& messageTexts() const { return MessageTexts; }

    std::wstring catalogueFile() const;
    std::wstring interfaceTextFile() const;

  private:
    void bindHandlers();
    forms::Control& control(std::wstring_view name) const { return form_->control(name); }

    AppServices services_;
    config::IniFile ini_;
    std::unique_ptr<forms::Form> form_;

    std::vector<std::wstring> MaterialNames;
    std::vector<double> MaterialDensities;
    std::vector<std::wstring> MessageTexts;
};

}  // namespace velu::app

#pragma once
// frmVelumarDichte: the main window's state and handlers. The handlers keep the names of the
// control events they serve (control, underscore, event).

#include <functional>
#include <string>
#include <vector>

#include "app/app_services.h"
#include "app/main_window_layout.h"
#include "assembly/assembly_window.h"
#include "cad/density_link.h"
#include "cad/link_window.h"

namespace velu::app {

class MainWindow final : private cad::LinkWindow {
  public:
    explicit MainWindow(const AppServices& services);
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    MainWindowForm& form() { return form_; }
    const MainWindowForm& form() const { return form_; }

    // Opens the About box; set by whoever owns that window.
    void setAboutOpener(std::function<void()> open) { openAbout_ = std::move(open); }
    // Opens the assembly window modally and returns when it is closed; set by whoever owns
    // that window.
    using AssemblyOpener = std::function<void(assembly::AssemblyTask)>;
    void setAssemblyOpener(AssemblyOpener open) { openAssembly_ = std::move(open); }

    // The start-up sequence, run once before the window is first shown.
    void Form_Load();

    void cmbAuswahl_Click();
    void cmdExit_Click();
    void mnuExit_Click();
    void cmdAbout_Click();
    void mnuAbout_Click();

    void cmbAnwendenAuf_Click();
    void mnuAnwendenSystemStandard_Click();
    void mnuAnwendenNurAktivesTeil_Click();
    void mnuAnwendenAllPossible_Click();
    void mnuAnwendenBaugruppe_Click();
    void mnuShowErrors_Click();
    void mnuShowSuccess_Click();
    void mnuAlwaysOnTop_Click();
    void timImage_Timer();

    void cmdSetDensity_Click();
    void cmdGetDensity_Click();
    void chkSWXSystemStandard_Click();
    void mnuGetStandard_Click();

    // The arrays the window owns for its whole life, filled by Form_Load.
    const std::vector<std::wstring>& materialNames() const { return MaterialNames; }
    const std::vector<double>& materialDensities() const { return MaterialDensities; }
    const std::vector<std::wstring>& messageTexts() const { return MessageTexts; }

  private:
    void bindHandlers();
    void show(const std::vector<Notice>& notices);

    // What the density transfer and readout see of this window.
    bool readsSystemDefault() const override;
    bool errorsSuppressed() const override;
    bool successSuppressed() const override;
    int materialIndex() const override;
    int applyToMode() const override;
    void showReadDensity(const std::wstring& text) override;
    void showStatus(cad::Status status) override;
    void openAssemblyWindow(const cad::ObjectRef& application,
                            const cad::ObjectRef& assembly) override;

    AppServices services_;
    MainWindowForm form_;
    std::function<void()> openAbout_;
    AssemblyOpener openAssembly_;

    std::vector<std::wstring> MaterialNames;
    std::vector<double> MaterialDensities;
    std::vector<std::wstring> MessageTexts;

    cad::DensityLink link_;
};

}  // namespace velu::app

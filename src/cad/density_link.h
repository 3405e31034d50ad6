#pragma once
// The density transfer to SolidWorks and the readout from it. Each run takes hold of
// SolidWorks, does its work and lets go again, the active document before the application.

#include <string>
#include <vector>

#include "cad/automation.h"
#include "cad/link_window.h"
#include "common/services.h"

namespace velu::cad {

inline constexpr const wchar_t* kProgId = L"SldWorks.Application";

class DensityLink {
  public:
    DensityLink(LinkWindow& window, Automation& automation, MessageBoxes& boxes,
                const Locale& locale, const std::vector<std::wstring>& messages,
                const std::vector<double>& densities);

    // Reads the density of the readout source into the window. False when an automation
    // call failed (reported to the user; the display is unchanged). After a part's density
    // was read, warns when SolidWorks computes the part's mass with another one.
    bool readDensity();

    // Writes the selected density where the apply-to mode says; after a part was written in
    // mode 2 the readout follows. After a part was written, warns when SolidWorks computes its
    // mass with another density; one click warns about that at most once. In mode 3 an
    // active assembly opens the assembly window, which writes into its parts.
    void transferDensity();

  private:
    enum class MassCheck { After, Skip };
    bool readout(MassCheck check);
    void checkMassDensity(Object& document, double expected);
    void warn(const std::wstring& prompt, const std::wstring& title);
    void reportFailure(const AutomationError& error);
    // The density of the selected material, the catalogue's own element.
    const double& selectedDensity() const;
    // Writes the selected material's density; `written` receives it.
    bool write(Object& target, std::wstring_view targetName, double& written);
    double readPreference(Object& source, std::wstring_view sourceName);
    std::int32_t documentType(Object& document);
    bool isPart(Object& document);
    ObjectRef connect();

    LinkWindow& window_;
    Automation& automation_;
    MessageBoxes& boxes_;
    const Locale& locale_;
    const std::vector<std::wstring>& messages_;
    const std::vector<double>& densities_;
};

// The text of the box that reports a failed automation call: which step failed, the error's
// code in hexadecimal and the system's text for it.
std::wstring describeFailure(const AutomationError& error);

}  // namespace velu::cad

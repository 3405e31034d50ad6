#pragma once
// What the density transfer and readout read and change on the main window. The main window
// implements it over its controls; tests implement it with plain fields.

#include <string>

#include "cad/automation.h"

namespace velu::cad {

enum class Status { Success, Error };

class LinkWindow {
  public:
    virtual ~LinkWindow() = default;
    // The readout source: true while "Anzeige Systemstandard" is ticked.
    virtual bool readsSystemDefault() const = 0;
    virtual bool errorsSuppressed() const = 0;
    virtual bool successSuppressed() const = 0;
    // The list index of the material list, read afresh at each use.
    virtual int materialIndex() const = 0;
    // The apply-to mode: 0 system default, 1 active part, 2 both, 3 every part of the active
    // assembly (the active part when a part is active); anything else writes nothing.
    virtual int applyToMode() const = 0;
    // The density display of the readout.
    virtual void showReadDensity(const std::wstring& text) = 0;
    // The success or error picture, with the timer that later puts the tool picture back.
    virtual void showStatus(Status status) = 0;
    // Opens the assembly window for the active assembly, modal to this window, and returns
    // when it is closed. The objects stay held until then.
    virtual void openAssemblyWindow(const ObjectRef& application, const ObjectRef& assembly) = 0;
};

}  // namespace velu::cad

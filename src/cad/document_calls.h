#pragma once
// The calls on SolidWorks or one of its documents that more than one command of the program
// makes, each made one way. A failed call, or an answer that cannot be used, raises an
// AutomationError that names the call and the object it was made on.

#include <string>
#include <string_view>

#include "cad/automation.h"

namespace velu::cad {

// Writes the density setting of SolidWorks or of a document (SetUserPreferenceDoubleValue 7).
// The density goes by reference, as the catalogue holds it; true when the target took it.
bool setDensityPreference(Object& target, std::wstring_view targetName, const double& density);

// The material assigned to the document's configuration (GetMaterialPropertyName2); the empty
// text when none is, and for the empty configuration name, the active configuration's.
std::wstring configurationMaterial(Object& document, std::wstring_view documentName,
                                   const std::wstring& configuration);

}  // namespace velu::cad

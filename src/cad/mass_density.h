#pragma once
// What SolidWorks computes a part's mass with. The density the program writes into a part is
// the density of a part without a material: once a material of SolidWorks' library is
// assigned to the part, its mass follows the material's density and the written one changes
// nothing. The program asks, so that it can tell the user.

#include <optional>
#include <string>
#include <vector>

#include "cad/automation.h"

namespace velu::cad {

struct MassDensity {
    std::wstring material;  // assigned to the active configuration; empty when there is none
    double density = 0;     // kg/m³, the density of the part's mass properties
};

// Asks the document for the name of its active configuration (the empty text when that
// fails), the material assigned to that configuration, and the density of its mass
// properties. Nothing when one of the last two fails or answers with a value that cannot be
// used (a material that is not a text, a density that is not a number), or when the part has
// no body. Every object obtained is let go before it returns.
std::optional<MassDensity> massDensityOf(Object& document);

// The density of the part's mass properties (Extension, CreateMassProperty, Density); nothing
// when the part has no body. A failed call, or an answer that is no number, raises an
// AutomationError that names the call.
std::optional<double> massPropertyDensity(Object& document, std::wstring_view documentName);

// Whether two densities differ by more than a relative 1e-9.
bool densitiesDiffer(double a, double b);

// The warning that the mass is computed with another density: message entry 7 with the
// material's name and the density, or entry 8 with the density when no material is assigned.
std::wstring massDensityWarning(const MassDensity& mass, const std::vector<std::wstring>& messages,
                                wchar_t decimalSeparator);

}  // namespace velu::cad

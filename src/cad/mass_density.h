#pragma once
// What SolidWorks computes a part's mass with. The density the program writes into a part is
// the density of a part without a material: once a material of SolidWorks' library is
// assigned to the part, its mass follows the material's density, and once its mass is set by
// hand (the mass properties' override), the written density changes nothing at all. The
// program asks, so that it can tell the user.

#include <optional>
#include <string>
#include <vector>

#include "cad/automation.h"

namespace velu::cad {

struct MassDensity {
    std::wstring material;    // assigned to the active configuration; empty when there is none
    double density = 0;       // kg/m³, the density of the part's mass properties
    bool overridden = false;  // the mass is set by hand; asked only when the density differs
};

// Asks the document for the name of its active configuration (the empty text when that
// fails), the material assigned to that configuration, the density of its mass properties,
// and when that density differs from `expected`, whether the mass is set by hand. Nothing
// when one of these fails or answers with a value that cannot be used (a material that is not
// a text, a density that is not a number), or when the part has no body. Every object
// obtained is let go before it returns.
std::optional<MassDensity> massDensityOf(Object& document, double expected);

// The mass properties of a document as SolidWorks computes them for its active configuration
// (Extension, CreateMassProperty); nothing when the document has no body. The extension is let
// go before it returns. A failed call, or an answer that is no object, raises an
// AutomationError that names the call.
ObjectRef massPropertiesOf(Object& document, std::wstring_view documentName);

// The mass properties' Density (kg/m³) and Mass (kg); an answer that is no finite number is
// the call's failure.
double densityOf(Object& massProperties, std::wstring_view documentName);
double massOf(Object& massProperties, std::wstring_view documentName);

// Whether the mass is set by hand (OverrideMass). A server that does not know the member has
// no such override: false.
bool massOverridden(Object& massProperties, std::wstring_view documentName);

// Whether two densities differ by more than a relative 1e-9.
bool densitiesDiffer(double a, double b);

// The warning that the mass is not computed with the density written: the override's entry
// when the mass is set by hand, else entry 7 with the material's name and the density, or
// entry 8 with the density when no material is assigned.
std::wstring massDensityWarning(const MassDensity& mass, const std::vector<std::wstring>& messages,
                                wchar_t decimalSeparator);

}  // namespace velu::cad

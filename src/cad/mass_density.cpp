#include "cad/mass_density.h"

#include <algorithm>
#include <cmath>

#include "common/number_text.h"
#include "config/message_table.h"

namespace velu::cad {
namespace {

constexpr double kRelativeTolerance = 1e-9;

// The active configuration's name; the empty text when it cannot be had, which SolidWorks
// reads as the active configuration too.
std::wstring activeConfigurationName(Object& document) {
    try {
        const ObjectRef configuration = document.call(L"GetActiveConfiguration", {}).object();
        return configuration ? configuration->get(L"Name").toText() : std::wstring();
    } catch (const AutomationError&) {
        return {};
    }
}

}  // namespace

std::optional<MassDensity> massDensityOf(Object& document) {
    const std::wstring configuration = activeConfigurationName(document);
    try {
        std::wstring database;
        MassDensity mass;
        mass.material =
            document.call(L"GetMaterialPropertyName2", {Variant(configuration), TextRef{&database}})
                .toText();
        const ObjectRef extension = document.get(L"Extension").object();
        if (!extension) return std::nullopt;
        // Nothing here: the part has no body, and no mass to compute.
        const ObjectRef properties = extension->call(L"CreateMassProperty", {}).object();
        if (!properties) return std::nullopt;
        mass.density = properties->get(L"Density").toDouble();
        if (!std::isfinite(mass.density)) return std::nullopt;
        return mass;
    } catch (const AutomationError&) {
        return std::nullopt;
    }
}

bool densitiesDiffer(double a, double b) {
    return std::fabs(a - b) > kRelativeTolerance * std::max(std::fabs(a), std::fabs(b));
}

std::wstring massDensityWarning(const MassDensity& mass, const std::vector<std::wstring>& messages,
                                wchar_t decimalSeparator) {
    const std::wstring density = formatGeneral(mass.density, decimalSeparator);
    if (mass.material.empty()) {
        return config::fillIn(messages[config::kMassComputedWith], {density});
    }
    return config::fillIn(messages[config::kMaterialSetsDensity], {mass.material, density});
}

}  // namespace velu::cad

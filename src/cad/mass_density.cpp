#include "cad/mass_density.h"

#include <algorithm>
#include <cmath>

#include "cad/document_calls.h"
#include "cad/member_call.h"
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
        MassDensity mass;
        mass.material = configurationMaterial(document, L"", configuration);
        const auto density = massPropertyDensity(document, L"");
        if (!density) return std::nullopt;
        mass.density = *density;
        return mass;
    } catch (const AutomationError&) {
        return std::nullopt;
    }
}

std::optional<double> massPropertyDensity(Object& document, std::wstring_view documentName) {
    const ObjectRef extension =
        on(documentName, L"Extension", [&] { return objectIn(document.get(L"Extension")); });
    if (!extension) return std::nullopt;
    // Nothing here: the part has no body, and no mass to compute.
    const ObjectRef properties = on(documentName, L"CreateMassProperty", [&] {
        return objectIn(extension->call(L"CreateMassProperty", {}));
    });
    if (!properties) return std::nullopt;
    return on(documentName, L"Density", [&] {
        const double density = numberIn(properties->get(L"Density"));
        if (!std::isfinite(density)) throw typeMismatch();
        return density;
    });
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

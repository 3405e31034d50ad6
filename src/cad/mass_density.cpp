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
// What a server answers for a member it does not have: at the look-up, or at the call.
constexpr std::int32_t kUnknownName = static_cast<std::int32_t>(0x80020006);
constexpr std::int32_t kMemberNotFound = static_cast<std::int32_t>(0x80020003);

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

double quantity(Object& massProperties, std::wstring_view documentName, std::wstring_view member) {
    return on(documentName, member, [&] { return finiteNumberIn(massProperties.get(member)); });
}

}  // namespace

std::optional<MassDensity> massDensityOf(Object& document, double expected) {
    const std::wstring configuration = activeConfigurationName(document);
    try {
        MassDensity mass;
        mass.material = configurationMaterial(document, L"", configuration);
        const ObjectRef properties = massPropertiesOf(document, L"");
        if (!properties) return std::nullopt;
        mass.density = densityOf(*properties, L"");
        if (densitiesDiffer(mass.density, expected)) {
            // The density differs either way; without an answer about the override the
            // warning names the material or the density.
            try {
                mass.overridden = massOverridden(*properties, L"");
            } catch (const AutomationError&) {
            }
        }
        return mass;
    } catch (const AutomationError&) {
        return std::nullopt;
    }
}

ObjectRef massPropertiesOf(Object& document, std::wstring_view documentName) {
    const ObjectRef extension =
        on(documentName, L"Extension", [&] { return objectIn(document.get(L"Extension")); });
    if (!extension) return nullptr;
    // Nothing here: the document has no body, and no mass to compute.
    return on(documentName, L"CreateMassProperty",
              [&] { return objectIn(extension->call(L"CreateMassProperty", {})); });
}

double densityOf(Object& massProperties, std::wstring_view documentName) {
    return quantity(massProperties, documentName, L"Density");
}

double massOf(Object& massProperties, std::wstring_view documentName) {
    return quantity(massProperties, documentName, L"Mass");
}

bool massOverridden(Object& massProperties, std::wstring_view documentName) {
    try {
        return on(documentName, L"OverrideMass",
                  [&] { return massProperties.get(L"OverrideMass").toBool(); });
    } catch (const AutomationError& error) {
        if (error.code() == kUnknownName || error.code() == kMemberNotFound) return false;
        throw;
    }
}

bool densitiesDiffer(double a, double b) {
    return std::fabs(a - b) > kRelativeTolerance * std::max(std::fabs(a), std::fabs(b));
}

std::wstring massDensityWarning(const MassDensity& mass, const std::vector<std::wstring>& messages,
                                wchar_t decimalSeparator) {
    if (mass.overridden) return messages[config::kMassOverridden];
    const std::wstring density = formatGeneral(mass.density, decimalSeparator);
    if (mass.material.empty()) {
        return config::fillIn(messages[config::kMassComputedWith], {density});
    }
    return config::fillIn(messages[config::kMaterialSetsDensity], {mass.material, density});
}

}  // namespace velu::cad

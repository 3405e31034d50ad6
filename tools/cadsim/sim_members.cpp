// What each member does once its call passed the checks of SimServer::perform: the
// application, the active document and what it hands out, and an assembly's components and
// the documents they use.
#include <cmath>

#include "sim_server.h"
#include "support/text.h"

namespace cadsim::win {

namespace {

// The preference id of the material density (swMaterialPropertyDensity).
constexpr LONG kDensityPreference = 7;

// Leaves a text in a reference that perform accepted; what it held is freed.
void leaveText(VARIANT& reference, std::wstring_view text) {
    if (reference.vt == (VT_BYREF | VT_BSTR)) {
        UniqueBstr previous;
        *previous.put() = *reference.pbstrVal;
        *reference.pbstrVal = UniqueBstr(text).release();
    } else {
        UniqueVariant previous;
        *previous.put() = *reference.pvarVal;
        UniqueVariant::fromString(text).moveTo(reference.pvarVal);
    }
}

void answer(UniqueVariant value, VARIANT* result) {
    value.moveTo(result);
}

void answerText(std::string_view text, VARIANT* result) {
    answer(UniqueVariant::fromString(fromUtf8(text)), result);
}

// What GetTitle answers for the active document, which has no file of its own here.
std::string_view titleOf(DocKind kind) {
    if (kind == DocKind::Part) return "Teil1.SLDPRT";
    if (kind == DocKind::Drawing) return "Zeichnung1.SLDDRW";
    return {};
}

}  // namespace

HRESULT SimServer::work(const Call& call, const SimObject& object, const Document& document,
                        WORD flags, Arguments& arguments, VARIANT* result) {
    const State& state = store_.last();
    const Target& target = object.target();
    const ObjectKind kind = object.kind();
    AssemblyPart* const part = document.part;  // null: the active part (or a sub-assembly)
    switch (call.member->id) {
        case MemberId::Visible:
            if (flags & DISPATCH_PROPERTYPUT) {
                setVisible(arguments.first->boolVal != VARIANT_FALSE);
                result->vt = VT_EMPTY;
            } else {
                answer(UniqueVariant::fromBool(visible_), result);
            }
            return S_OK;
        case MemberId::CommandInProgress:
            if (flags & DISPATCH_PROPERTYPUT) {
                store_.edit().commandInProgress = arguments.first->boolVal != VARIANT_FALSE;
                store_.save();
                result->vt = VT_EMPTY;
            } else {
                answer(UniqueVariant::fromBool(state.commandInProgress), result);
            }
            return S_OK;
        case MemberId::ActiveDoc:
            if (state.activeDoc != DocKind::None) {
                handOut(ObjectKind::Doc, {}, result);
            } else {
                answer(UniqueVariant::fromDispatch(nullptr), result);
            }
            return S_OK;
        case MemberId::GetType:
            answer(
                UniqueVariant::fromI4(kind == ObjectKind::Doc ? static_cast<LONG>(state.activeDoc)
                                      : document.subAssembly  ? static_cast<LONG>(DocKind::Assembly)
                                                              : static_cast<LONG>(DocKind::Part)),
                result);
            return S_OK;
        case MemberId::GetTitle:
            if (kind == ObjectKind::Doc) {
                answerText(state.activeDoc == DocKind::Assembly ? std::string_view(played_.title)
                                                                : titleOf(state.activeDoc),
                           result);
            } else {
                answerText(
                    part != nullptr ? part->shownTitle() : std::string(fileNameOf(target.document)),
                    result);
            }
            return S_OK;
        case MemberId::GetComponents:
            return listComponentsInto(kind == ObjectKind::Doc ? -1 : target.component,
                                      arguments.first->boolVal != VARIANT_FALSE, result);
        case MemberId::SetPreference: {
            const LONG preference = arguments.first->lVal;
            const double density = arguments.second->dblVal;
            if (part != nullptr) {
                // A read-only part refuses every write.
                bool written = false;
                if (!part->readOnly && preference == kDensityPreference && std::isfinite(density)) {
                    writePartDensity(*part, density);
                    written = true;
                }
                answer(UniqueVariant::fromBool(!part->readOnly &&
                                               (written || preference != kDensityPreference)),
                       result);
                return S_OK;
            }
            const bool onApp = kind == ObjectKind::App;
            const bool accepted = onApp ? state.systemWriteResult : state.documentWriteResult;
            bool written = false;
            if (accepted && preference == kDensityPreference && std::isfinite(density)) {
                (onApp ? store_.edit().systemDensity : store_.edit().documentDensity) = density;
                store_.save();
                written = true;
            }
            answer(
                UniqueVariant::fromBool(accepted && (written || preference != kDensityPreference)),
                result);
            return S_OK;
        }
        case MemberId::GetPreference: {
            double density = 0.0;
            if (arguments.first->lVal == kDensityPreference) {
                density = part != nullptr           ? part->density
                          : kind == ObjectKind::App ? state.systemDensity
                                                    : state.documentDensity;
            }
            answer(UniqueVariant::fromR8(density), result);
            return S_OK;
        }
        case MemberId::GetActiveConfiguration:
            handOut(ObjectKind::Config, Target{target.document}, result);
            return S_OK;
        case MemberId::GetMaterialPropertyName2: {
            const std::string asked =
                arguments.first->bstrVal != nullptr
                    ? velu::text::toUtf8(
                          {arguments.first->bstrVal, SysStringLen(arguments.first->bstrVal)})
                    : std::string();
            std::string material;
            std::string database;
            if (part != nullptr) {
                if (const PartConfiguration* configuration = part->configuration(asked)) {
                    material = configuration->material;
                    if (!material.empty()) database = configuration->materialDatabase;
                }
            } else if (asked.empty() ||
                       velu::text::equalsIgnoringAsciiCase(asked, state.configuration)) {
                // The active part has one configuration: asked for another one, it names no
                // material.
                material = state.material;
                if (!material.empty()) database = state.materialDatabase;
            }
            leaveText(*arguments.textReference, fromUtf8(database));
            answerText(material, result);
            return S_OK;
        }
        case MemberId::Extension:
            handOut(ObjectKind::Extension, Target{target.document}, result);
            return S_OK;
        case MemberId::Name: {
            const PartConfiguration* active =
                part != nullptr ? part->activeConfiguration() : nullptr;
            answerText(part == nullptr     ? state.configuration
                       : active != nullptr ? active->name
                                           : std::string(),
                       result);
            return S_OK;
        }
        case MemberId::CreateMassProperty:
            // A part without a body has no mass to compute: Nothing.
            if ((part != nullptr ? part->bodies : state.bodies) > 0) {
                handOut(ObjectKind::MassProperty, Target{target.document}, result);
            } else {
                answer(UniqueVariant::fromDispatch(nullptr), result);
            }
            return S_OK;
        case MemberId::Density:
        case MemberId::Mass:
        case MemberId::Volume:
        case MemberId::OverrideMass:
            return massPropertyMember(call.member->id, part, result);
        case MemberId::GetModelDoc2:
        case MemberId::GetPathName:
        case MemberId::ReferencedConfiguration:
        case MemberId::GetSuppression2:
        case MemberId::IsVirtual:
        case MemberId::Name2:
            return componentMember(call.member->id, target, result);
    }
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT SimServer::massPropertyMember(MemberId id, const AssemblyPart* part, VARIANT* result) {
    const State& state = store_.last();
    double mass = 0.0;
    double volume = 0.0;
    bool overridden = false;
    if (part != nullptr) {
        mass = part->massIn({});
        volume = part->volume;
        overridden = part->massOverride > 0.0;
    } else if (state.activeDoc == DocKind::Assembly) {
        // The assembly's own: its components' masses, each in its configuration.
        const AssemblyMass whole = assemblyMass(played_);
        mass = whole.mass;
        volume = whole.volume;
    } else {
        mass = state.mass();
        volume = state.volume;
        overridden = state.massOverride > 0.0;
    }
    switch (id) {
        case MemberId::Density:
            answer(UniqueVariant::fromR8(volume > 0.0 ? mass / volume : 0.0), result);
            break;
        case MemberId::Mass:
            answer(UniqueVariant::fromR8(mass), result);
            break;
        case MemberId::Volume:
            answer(UniqueVariant::fromR8(volume), result);
            break;
        default:
            answer(UniqueVariant::fromBool(overridden), result);
            break;
    }
    return S_OK;
}

HRESULT SimServer::componentMember(MemberId id, const Target& target, VARIANT* result) {
    const auto index = static_cast<std::size_t>(target.component);
    const AssemblyComponent& component = played_.components[index];
    const std::string key = pathKey(component.document);
    const auto found = partsByPath_.find(key);
    const AssemblyPart* part =
        found != partsByPath_.end() ? &played_.parts[found->second] : nullptr;
    switch (id) {
        case MemberId::GetModelDoc2:
            // A suppressed or lightweight component has no document loaded: Nothing.
            if (component.suppression == Suppression::Resolved &&
                (part != nullptr || subAssemblies_.contains(key))) {
                handOut(ObjectKind::PartDoc, Target{component.document, target.component}, result);
            } else {
                answer(UniqueVariant::fromDispatch(nullptr), result);
            }
            return S_OK;
        case MemberId::GetPathName:
            answerText(component.document, result);
            return S_OK;
        case MemberId::ReferencedConfiguration:
            answerText(component.configuration, result);
            return S_OK;
        case MemberId::GetSuppression2:
            answer(UniqueVariant::fromI4(static_cast<LONG>(component.suppression)), result);
            return S_OK;
        case MemberId::IsVirtual:
            answer(UniqueVariant::fromBool(part != nullptr && part->isVirtual), result);
            return S_OK;
        case MemberId::Name2:
            answerText(componentName2(played_, index, target.root), result);
            return S_OK;
        default:
            return DISP_E_MEMBERNOTFOUND;
    }
}

HRESULT SimServer::listComponentsInto(int root, bool topLevelOnly, VARIANT* result) {
    const std::vector<std::size_t> listed = listComponents(played_, root, topLevelOnly);
    // An assembly without components answers Empty, as the CAD program does.
    if (listed.empty()) {
        result->vt = VT_EMPTY;
        return S_OK;
    }
    const VARTYPE objects = VT_DISPATCH;
    const VARTYPE variants = VT_VARIANT;
    const VARTYPE tag = played_.componentsAsVariants ? variants : objects;
    // A mismatched answer holds the other kind of element than its tag names.
    const VARTYPE element =
        played_.mismatchedComponents == played_.componentsAsVariants ? objects : variants;
    SAFEARRAYBOUND bound{static_cast<ULONG>(listed.size()), 0};
    // The array is the answer's from the start, so that it is destroyed on every way out.
    UniqueVariant array;
    array->parray = SafeArrayCreate(element, 1, &bound);
    if (array->parray == nullptr) return E_OUTOFMEMORY;
    array->vt = static_cast<VARTYPE>(VT_ARRAY | tag);
    for (LONG i = 0; i < static_cast<LONG>(listed.size()); ++i) {
        ++counts_.objects;
        ComPtr<IDispatch> component;
        component.attach(
            new SimObject(*this, ObjectKind::Component,
                          Target{{}, static_cast<int>(listed[static_cast<std::size_t>(i)]), root}));
        // The array takes a reference of its own to each element.
        const HRESULT hr =
            element == VT_VARIANT
                ? SafeArrayPutElement(array->parray, &i,
                                      UniqueVariant::fromDispatch(component.get()).get())
                : SafeArrayPutElement(array->parray, &i, component.get());
        if (FAILED(hr)) return hr;
    }
    array.moveTo(result);
    return S_OK;
}

void SimServer::writePartDensity(AssemblyPart& part, double density) {
    part.density = density;
    // A part of the state file keeps its density there; a generated one in [densities].
    State& state = store_.edit();
    for (AssemblyPart& listed : state.assembly.parts) {
        if (samePath(listed.path, part.path)) {
            listed.density = density;
            store_.save();
            return;
        }
    }
    store_.appendDensity(WrittenDensity{part.path, density});
}

}  // namespace cadsim::win

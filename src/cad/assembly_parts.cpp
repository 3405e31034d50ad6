#include "cad/assembly_parts.h"

#include <algorithm>

#include "cad/document_calls.h"
#include "cad/mass_density.h"
#include "cad/member_call.h"
#include "common/program_texts.h"
#include "support/text.h"

namespace velu::cad {
namespace {

// What GetSuppression2 answers (swComponentSuppressionState_e): suppressed components are
// only counted; lightweight ones have no document loaded; the others (resolved, fully
// resolved, or an internal id mismatch) are asked for theirs.
constexpr std::int32_t kSuppressed = 0;
constexpr std::int32_t kLightweight = 1;
constexpr std::int32_t kFullyLightweight = 4;

// A configuration without a material, in a list of several.
constexpr std::wstring_view kNoMaterial = L"\u2013";

std::wstring fileName(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// A component without a document cannot be asked for its type; its file tells.
bool namesAnAssembly(std::wstring_view path) {
    constexpr std::wstring_view kExtension = L".SLDASM";
    return path.size() >= kExtension.size() &&
           text::equalsIgnoringAsciiCase(path.substr(path.size() - kExtension.size()), kExtension);
}

}  // namespace

bool AssemblyPart::hasMaterial() const {
    return std::any_of(materials.begin(), materials.end(),
                       [](const std::wstring& material) { return !material.empty(); });
}

bool AssemblyPart::lacksMaterial() const {
    return loaded() && std::any_of(materials.begin(), materials.end(),
                                   [](const std::wstring& material) { return material.empty(); });
}

std::wstring AssemblyPart::materialList() const {
    if (!loaded()) return {};
    if (materials.size() == 1) return materials.front();
    std::wstring list;
    for (const auto& material : materials) {
        if (!list.empty()) list += L", ";
        list += material.empty() ? std::wstring(kNoMaterial) : material;
    }
    return list;
}

AssemblyReader::AssemblyReader(Object& assembly, const FileNames& fileNames)
    : assembly_(assembly),
      byPath_(PathOrder{&fileNames}),
      documentsAsked_(PathOrder{&fileNames}),
      noParts_(PathOrder{&fileNames}) {}

void AssemblyReader::begin() {
    components_ = on(texts::kAssembly, L"GetComponents", [&] {
        Elements components = assembly_.call(L"GetComponents", {Variant(false)}).elements();
        // Each element is a component of its own; one that is none makes the answer unusable.
        for (const Variant& component : components) {
            if (!component.isObject() || !component.object()) throw typeMismatch();
        }
        return components;
    });
    next_ = 0;
}

void AssemblyReader::readNext() {
    if (done()) return;
    const std::size_t number = next_ + 1;
    const ObjectRef component = components_[next_].object();
    components_[next_++] = Variant();
    const std::wstring name = texts::componentOfAssembly(number);
    const std::wstring path =
        on(name, L"GetPathName", [&] { return textIn(component->call(L"GetPathName", {})); });
    try {
        readComponent(*component, name, path);
    } catch (const AutomationError&) {
        // A part half read is no part to write into.
        dropPart(path);
        throw;
    }
}

void AssemblyReader::readComponent(Object& component, const std::wstring& componentName,
                                   const std::wstring& path) {
    const double state = on(componentName, L"GetSuppression2",
                            [&] { return numberIn(component.call(L"GetSuppression2", {})); });
    if (state == kSuppressed) {
        ++suppressed_;
        return;
    }
    if (noParts_.contains(path)) return;
    const auto known = byPath_.find(path);
    // The part as it is once this component is read; its row takes it when every call
    // succeeded.
    AssemblyPart part = known != byPath_.end() ? parts_[known->second]
                                               : AssemblyPart{.path = path, .name = fileName(path)};
    const bool resolved = state != kLightweight && state != kFullyLightweight;
    ObjectRef document;
    if (resolved && documentsAsked_.insert(path).second) {
        document = on(componentName, L"GetModelDoc2",
                      [&] { return objectIn(component.call(L"GetModelDoc2", {})); });
    }
    if (document) {
        const double type =
            on(componentName, L"Gettype", [&] { return numberIn(document->call(L"Gettype", {})); });
        if (type != PartDocumentType) {
            // A sub-assembly's parts come with the components of every level already.
            noParts_.insert(path);
            dropPart(path);
            return;
        }
    } else if (known == byPath_.end() && namesAnAssembly(path)) {
        noParts_.insert(path);
        return;
    }
    const std::wstring configuration = on(componentName, L"ReferencedConfiguration", [&] {
        return textIn(component.get(L"ReferencedConfiguration"));
    });
    if (document) learnDocument(part, component, std::move(document), componentName);
    ++part.instances;
    addConfiguration(part, configuration);
    if (known != byPath_.end()) {
        parts_[known->second] = std::move(part);
    } else {
        byPath_.emplace(path, parts_.size());
        parts_.push_back(std::move(part));
    }
}

void AssemblyReader::learnDocument(AssemblyPart& part, Object& component, ObjectRef document,
                                   const std::wstring& componentName) {
    part.document = std::move(document);
    const bool isVirtual =
        on(componentName, L"IsVirtual", [&] { return component.get(L"IsVirtual").toBool(); });
    if (isVirtual) {
        part.name = on(componentName, L"Name2", [&] { return textIn(component.get(L"Name2")); });
    }
    const std::wstring name = texts::partOfAssembly(part.name);
    part.density = on(name, L"GetUserPreferenceDoubleValue", [&] {
        return finiteNumberIn(
            part.document->call(L"GetUserPreferenceDoubleValue", {Variant(DensityPreference)}));
    });
    const PartMass reading(part);
    // Configurations met while the part was not loaded are asked about now.
    for (std::size_t i = 0; i < part.configurations.size(); ++i) {
        part.materials[i] = configurationMaterial(*part.document, name, part.configurations[i]);
    }
}

void AssemblyReader::addConfiguration(AssemblyPart& part, const std::wstring& configuration) {
    if (std::find(part.configurations.begin(), part.configurations.end(), configuration) !=
        part.configurations.end()) {
        return;
    }
    part.materials.push_back(
        part.loaded()
            ? configurationMaterial(*part.document, texts::partOfAssembly(part.name), configuration)
            : std::wstring());
    part.configurations.push_back(configuration);
}

void AssemblyReader::dropPart(const std::wstring& path) {
    const auto known = byPath_.find(path);
    if (known == byPath_.end()) return;
    const std::size_t dropped = known->second;
    parts_.erase(parts_.begin() + static_cast<std::ptrdiff_t>(dropped));
    byPath_.erase(known);
    for (auto& entry : byPath_) {
        if (entry.second > dropped) --entry.second;
    }
}

PartMass::PartMass(AssemblyPart& part) : part_(part) {
    const std::wstring name = texts::partOfAssembly(part.name);
    part.massDensity.reset();
    part.mass.reset();
    properties_ = massPropertiesOf(*part.document, name);
    if (!properties_) return;
    part.massDensity = densityOf(*properties_, name);
    part.mass = massOf(*properties_, name);
}

bool PartMass::follows(double written) const {
    return !part_.massDensity || !densitiesDiffer(*part_.massDensity, written);
}

bool PartMass::overridden() {
    return properties_ && massOverridden(*properties_, texts::partOfAssembly(part_.name));
}

bool writeDensitySetting(AssemblyPart& part, const double& density) {
    const bool accepted =
        setDensityPreference(*part.document, texts::partOfAssembly(part.name), density);
    if (accepted) part.density = density;
    return accepted;
}

std::optional<double> assemblyMass(Object& assembly) {
    const ObjectRef properties = massPropertiesOf(assembly, texts::kAssembly);
    if (!properties) return std::nullopt;
    return massOf(*properties, texts::kAssembly);
}

}  // namespace velu::cad

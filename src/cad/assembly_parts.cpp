#include "cad/assembly_parts.h"

#include <algorithm>

#include "cad/document_calls.h"
#include "cad/mass_density.h"
#include "cad/member_call.h"
#include "common/program_texts.h"

namespace velu::cad {
namespace {

// What GetSuppression2 answers for a suppressed component; other states of a component
// without a document are lightweight ones.
constexpr std::int32_t kSuppressed = 0;

// Paths are one whatever their case, as the file system takes them: ASCII and Latin-1
// letters are folded, which covers the German names of parts.
std::wstring foldedPath(std::wstring_view path) {
    std::wstring folded(path);
    for (wchar_t& c : folded) {
        if ((c >= L'a' && c <= L'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) c -= 0x20;
    }
    return folded;
}

std::wstring fileName(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// A component without a document cannot be asked for its type; its file tells.
bool namesAnAssembly(const std::wstring& path) {
    return foldedPath(path).ends_with(L".SLDASM");
}

}  // namespace

bool AssemblyPart::hasMaterial() const {
    return std::any_of(materials.begin(), materials.end(),
                       [](const std::wstring& material) { return !material.empty(); });
}

std::wstring AssemblyPart::materialList() const {
    std::vector<std::wstring> named;
    std::wstring list;
    for (const auto& material : materials) {
        if (material.empty() || std::find(named.begin(), named.end(), material) != named.end()) {
            continue;
        }
        named.push_back(material);
        list += (list.empty() ? L"" : L", ") + material;
    }
    return list;
}

AssemblyReader::AssemblyReader(Object& assembly) : assembly_(assembly) {}

void AssemblyReader::begin() {
    components_ = on(texts::kAssembly, L"GetComponents",
                     [&] { return assembly_.call(L"GetComponents", {Variant(false)}).elements(); });
    next_ = 0;
}

void AssemblyReader::readNext() {
    if (done()) return;
    const std::size_t number = next_ + 1;
    // Each element is a component of its own; an element that is none is no usable answer.
    const ObjectRef component =
        on(texts::kAssembly, L"GetComponents", [&] { return objectIn(components_[next_]); });
    components_[next_++] = Variant();
    if (!component) return;
    const std::wstring name = texts::componentOfAssembly(number);
    ObjectRef document =
        on(name, L"GetModelDoc2", [&] { return objectIn(component->call(L"GetModelDoc2", {})); });
    const std::wstring path =
        on(name, L"GetPathName", [&] { return textIn(component->call(L"GetPathName", {})); });
    const std::wstring configuration = on(name, L"ReferencedConfiguration", [&] {
        return textIn(component->get(L"ReferencedConfiguration"));
    });
    const std::wstring key = foldedPath(path);
    if (subAssemblies_.contains(key)) return;

    if (!document) {
        const double state = on(name, L"GetSuppression2",
                                [&] { return numberIn(component->call(L"GetSuppression2", {})); });
        if (state == kSuppressed) {
            ++suppressed_;
            return;
        }
        if (namesAnAssembly(path)) return;
    }
    const auto known = byPath_.find(key);
    std::size_t index = known == byPath_.end() ? parts_.size() : known->second;
    if (document && (index == parts_.size() || !parts_[index].loaded())) {
        const double type =
            on(name, L"Gettype", [&] { return numberIn(document->call(L"Gettype", {})); });
        if (type == AssemblyDocumentType) {
            // Its parts come with the components of every level already.
            subAssemblies_.insert(key);
            return;
        }
        if (type != PartDocumentType) return;
    }
    if (index == parts_.size()) {
        byPath_.emplace(key, index);
        parts_.push_back({.path = path, .name = fileName(path)});
    }
    AssemblyPart& part = parts_[index];
    if (document && !part.loaded()) learnDocument(part, *component, std::move(document), name);
    ++part.instances;
    addConfiguration(part, configuration);
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
        return numberIn(
            part.document->call(L"GetUserPreferenceDoubleValue", {Variant(DensityPreference)}));
    });
    part.massDensity = massPropertyDensity(*part.document, name);
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
    part.configurations.push_back(configuration);
    part.materials.push_back(
        part.loaded()
            ? configurationMaterial(*part.document, texts::partOfAssembly(part.name), configuration)
            : std::wstring());
}

WriteOutcome writeDensity(AssemblyPart& part, const double& density) {
    const std::wstring name = texts::partOfAssembly(part.name);
    const bool accepted = setDensityPreference(*part.document, name, density);
    if (accepted) part.density = density;
    part.massDensity = massPropertyDensity(*part.document, name);
    if (!accepted) return WriteOutcome::Refused;
    if (part.massDensity && densitiesDiffer(*part.massDensity, density)) {
        return WriteOutcome::MaterialDecides;
    }
    return WriteOutcome::Written;
}

}  // namespace velu::cad

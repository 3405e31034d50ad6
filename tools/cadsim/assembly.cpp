#include "assembly.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <unordered_map>

#include "support/text.h"

namespace cadsim {

namespace {

using velu::text::equalsIgnoringAsciiCase;

constexpr std::array<std::string_view, 3> kSuppressionNames{"suppressed", "lightweight",
                                                            "resolved"};

// The materials generated parts are made of, in turn.
struct GeneratedMaterial {
    std::string_view name;
    double density;
};
constexpr std::array<GeneratedMaterial, 3> kGeneratedMaterials{{
    {"AISI 304", 8000.0},
    {"1060-Legierung", 2700.0},
    {"Messing", 8500.0},
}};
constexpr GeneratedMaterial kLightMaterial{"1060-Legierung", 2700.0};
constexpr std::uint32_t kMaxLevels = 8;

std::string numbered(std::string_view prefix, std::uint32_t number, int width) {
    std::array<char, 16> digits{};
    std::snprintf(digits.data(), digits.size(), "%0*u", width, static_cast<unsigned>(number));
    return std::string(prefix) + digits.data();
}

std::string_view withoutExtension(std::string_view fileName) {
    const auto dot = fileName.rfind('.');
    return dot == std::string_view::npos ? fileName : fileName.substr(0, dot);
}

AssemblyPart generatedPart(std::uint32_t p, int width, std::string_view assemblyStem) {
    AssemblyPart part;
    const std::string name = numbered("Teil", p + 1, width);
    part.isVirtual = p % 200 == 199;
    // A virtual part lives inside the assembly; the CAD program names it after both and
    // shows a path in its temporary folder.
    part.path = part.isVirtual
                    ? R"(C:\Temp\swx4711\)" + name + "^" + std::string(assemblyStem) + ".SLDPRT"
                    : R"(C:\Konstruktion\)" + name + ".SLDPRT";
    part.readOnly = p % 100 == 7;
    part.bodies = p % 50 == 49 ? 0 : 1;
    part.volume = 0.0001 * (1 + p % 10);
    PartConfiguration standard{"Standard", {}, "SOLIDWORKS Materials", 1000.0};
    if (p % 3 != 0) {
        const GeneratedMaterial& material =
            kGeneratedMaterials[(p / 3) % kGeneratedMaterials.size()];
        standard.material = material.name;
        standard.materialDensity = material.density;
    }
    part.configurations.push_back(standard);
    if (p % 4 == 3) {
        PartConfiguration light{"Leicht", {}, "SOLIDWORKS Materials", 1000.0};
        if (p % 3 != 0) {
            light.material = kLightMaterial.name;
            light.materialDensity = kLightMaterial.density;
        }
        part.configurations.push_back(light);
    }
    return part;
}

// Builds the generated tree depth first: a container (the assembly, or a sub-assembly
// component) holds two sub-assembly components while it is above the deepest level, each
// followed by what it holds, then its share of the part components.
class Generator {
  public:
    Generator(const Generation& g, Assembly& out, std::uint32_t levels)
        : g_(g), out_(out), levels_(levels) {
        const std::uint32_t subs = (1u << levels) - 2;
        containers_ = subs + 1;
        partComponents_ = g.components - subs;
    }

    void fill(std::uint32_t container, int parent, std::uint32_t level) {
        if (level < levels_) {
            for (int i = 0; i < 2; ++i) {
                const std::uint32_t number = ++lastContainer_;
                const std::string document =
                    R"(C:\Konstruktion\)" + numbered("Gruppe", number, 2) + ".SLDASM";
                out_.subAssemblies.push_back(document);
                out_.components.push_back(AssemblyComponent{numbered("Gruppe", number, 2) + "-1",
                                                            document, "Standard",
                                                            Suppression::Resolved, parent});
                fill(number, static_cast<int>(out_.components.size() - 1), level + 1);
            }
        }
        std::unordered_map<std::uint32_t, int> instances;  // of each part in this container
        for (std::uint32_t j = container; j < partComponents_; j += containers_) {
            const std::uint32_t p = j % g_.parts;
            const AssemblyPart& part = out_.parts[p];
            AssemblyComponent component;
            component.name = std::string(withoutExtension(fileNameOf(part.path))) + "-" +
                             std::to_string(++instances[p]);
            component.document = part.path;
            component.configuration = part.configurations.size() > 1 && (j / g_.parts) % 2 == 1
                                          ? part.configurations[1].name
                                          : part.configurations[0].name;
            // Counted by 19, so that the uses of one part differ (1000 parts: 1000 % 19 = 12).
            component.suppression = j % 19 == 18  ? Suppression::Suppressed
                                    : j % 19 == 9 ? Suppression::Lightweight
                                                  : Suppression::Resolved;
            component.parent = parent;
            out_.components.push_back(std::move(component));
        }
    }

  private:
    const Generation& g_;
    Assembly& out_;
    std::uint32_t levels_;
    std::uint32_t containers_ = 1;
    std::uint32_t partComponents_ = 0;
    std::uint32_t lastContainer_ = 0;
};

}  // namespace

const PartConfiguration* AssemblyPart::activeConfiguration() const {
    return configurations.empty() ? nullptr : &configurations.front();
}

const PartConfiguration* AssemblyPart::configuration(std::string_view name) const {
    if (name.empty()) return activeConfiguration();
    const auto found = std::find_if(
        configurations.begin(), configurations.end(),
        [&](const PartConfiguration& c) { return equalsIgnoringAsciiCase(c.name, name); });
    return found != configurations.end() ? &*found : nullptr;
}

double AssemblyPart::massDensity() const {
    if (massOverride > 0.0) return massOverride / volume;
    const PartConfiguration* active = activeConfiguration();
    return active != nullptr && !active->material.empty() ? active->materialDensity : density;
}

double AssemblyPart::massIn(std::string_view name) const {
    if (massOverride > 0.0) return massOverride;
    const PartConfiguration* used = configuration(name);
    return (used != nullptr && !used->material.empty() ? used->materialDensity : density) * volume;
}

std::string AssemblyPart::shownTitle() const {
    return title.empty() ? std::string(fileNameOf(path)) : title;
}

std::string_view suppressionName(Suppression suppression) {
    switch (suppression) {
        case Suppression::Suppressed:
            return kSuppressionNames[0];
        case Suppression::Lightweight:
            return kSuppressionNames[1];
        case Suppression::Resolved:
            return kSuppressionNames[2];
    }
    return kSuppressionNames[2];
}

std::optional<Suppression> suppressionFromName(std::string_view name) {
    for (Suppression s :
         {Suppression::Suppressed, Suppression::Lightweight, Suppression::Resolved}) {
        if (equalsIgnoringAsciiCase(name, suppressionName(s)) ||
            name == std::to_string(static_cast<int>(s))) {
            return s;
        }
    }
    return std::nullopt;
}

std::string formatGeneration(const Generation& generation) {
    if (!generation.any()) return {};
    return std::to_string(generation.components) + "," + std::to_string(generation.parts) + "," +
           std::to_string(generation.levels);
}

std::optional<Generation> parseGeneration(std::string_view text) {
    if (text.empty()) return Generation{};
    std::array<std::uint32_t, 3> numbers{0, 0, 1};
    std::size_t count = 0;
    while (count < numbers.size()) {
        const auto comma = text.find(',');
        const std::string_view field = text.substr(0, comma);
        auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), numbers[count]);
        if (ec != std::errc() || end != field.data() + field.size() || field.empty()) {
            return std::nullopt;
        }
        ++count;
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
        if (count == numbers.size()) return std::nullopt;  // a fourth number
    }
    const Generation g{numbers[0], numbers[1], numbers[2]};
    if (count < 2 || g.components == 0 || g.parts == 0 || g.levels == 0 || g.levels > kMaxLevels) {
        return std::nullopt;
    }
    return g;
}

Assembly generateAssembly(const Generation& generation, std::string_view title) {
    Assembly out;
    out.title = title;
    if (!generation.any() || generation.parts == 0) return out;
    // As deep as asked, as long as sub-assembly components stay at most half of all.
    std::uint32_t levels = std::clamp<std::uint32_t>(generation.levels, 1, kMaxLevels);
    while (levels > 1 && (1u << levels) - 2 > generation.components / 2) --levels;

    const int width = std::max<int>(4, static_cast<int>(std::to_string(generation.parts).size()));
    const std::string_view stem = withoutExtension(fileNameOf(title));
    out.parts.reserve(generation.parts);
    for (std::uint32_t p = 0; p < generation.parts; ++p) {
        out.parts.push_back(generatedPart(p, width, stem));
    }
    out.components.reserve(generation.components);
    Generator(generation, out, levels).fill(0, -1, 1);
    return out;
}

Assembly playedAssembly(const Assembly& assembly, const Generation& generation,
                        const std::vector<WrittenDensity>& written) {
    Assembly played;
    if (!generation.any()) {
        played = assembly;
    } else {
        played = generateAssembly(generation, assembly.title);
        played.componentsAsVariants = assembly.componentsAsVariants;
        played.mismatchedComponents = assembly.mismatchedComponents;
    }
    std::unordered_map<std::string, std::size_t> byPath;
    for (std::size_t i = 0; i < played.parts.size(); ++i) {
        byPath.emplace(pathKey(played.parts[i].path), i);
    }
    if (generation.any()) {
        for (const AssemblyPart& part : assembly.parts) {
            const auto [at, added] = byPath.emplace(pathKey(part.path), played.parts.size());
            if (added) {
                played.parts.push_back(part);
            } else {
                played.parts[at->second] = part;
            }
        }
        played.subAssemblies.insert(played.subAssemblies.end(), assembly.subAssemblies.begin(),
                                    assembly.subAssemblies.end());
        played.components.insert(played.components.end(), assembly.components.begin(),
                                 assembly.components.end());
    }
    for (const WrittenDensity& w : written) {
        const auto at = byPath.find(pathKey(w.path));
        if (at != byPath.end()) played.parts[at->second].density = w.density;
    }
    return played;
}

std::vector<std::size_t> listComponents(const Assembly& assembly, int root, bool topLevelOnly) {
    std::vector<std::size_t> listed;
    // Whether component i is listed: held by root, directly or (unless topLevelOnly) through
    // components that are not suppressed. A parent comes before its children, so one pass
    // knows each component's answer from its parent's.
    std::vector<char> below(assembly.components.size(), 0);  // listed, and its children may be
    for (std::size_t i = 0; i < assembly.components.size(); ++i) {
        const int parent = assembly.components[i].parent;
        bool inRoot = parent == root;
        if (!inRoot && !topLevelOnly && parent >= 0 && static_cast<std::size_t>(parent) < i) {
            inRoot = below[static_cast<std::size_t>(parent)] != 0;
        }
        if (!inRoot) continue;
        listed.push_back(i);
        below[i] = assembly.components[i].suppression != Suppression::Suppressed;
    }
    return listed;
}

AssemblyMass assemblyMass(const Assembly& assembly) {
    std::unordered_map<std::string, const AssemblyPart*> parts;
    for (const AssemblyPart& part : assembly.parts) parts.emplace(pathKey(part.path), &part);
    AssemblyMass whole;
    for (const std::size_t i : listComponents(assembly, -1, false)) {
        const AssemblyComponent& component = assembly.components[i];
        const auto part = parts.find(pathKey(component.document));
        if (component.suppression == Suppression::Suppressed || part == parts.end() ||
            part->second->bodies == 0) {
            continue;
        }
        whole.mass += part->second->massIn(component.configuration);
        whole.volume += part->second->volume;
    }
    return whole;
}

std::string componentName2(const Assembly& assembly, std::size_t index, int root) {
    std::string name = assembly.components.at(index).name;
    int parent = assembly.components[index].parent;
    // Parents come first, so the walk up ends; a parent listed after its child ends it too.
    while (parent >= 0 && parent != root && static_cast<std::size_t>(parent) < index) {
        index = static_cast<std::size_t>(parent);
        name.insert(0, assembly.components[index].name + "/");
        parent = assembly.components[index].parent;
    }
    return name;
}

bool samePath(std::string_view a, std::string_view b) {
    return equalsIgnoringAsciiCase(a, b);
}

std::string pathKey(std::string_view path) {
    return velu::text::asciiUppercase(path);
}

std::string_view fileNameOf(std::string_view path) {
    const auto slash = path.find_last_of("\\/");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace cadsim

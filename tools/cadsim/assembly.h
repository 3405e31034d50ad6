// The assembly the stand-in plays when the active document is an assembly: its part
// documents, sub-assembly documents and components, a generator for large ones, and what
// GetComponents answers. Portable: no Windows header; tests fill these structs in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cadsim {

struct PartConfiguration {
    std::string name;      // e.g. "Standard"
    std::string material;  // empty: no material assigned
    std::string materialDatabase = "SOLIDWORKS Materials";
    double materialDensity = 1000.0;  // kg/m³

    bool operator==(const PartConfiguration&) const = default;
};

struct AssemblyPart {
    std::string path;   // full path, e.g. C:\Konstruktion\Welle.SLDPRT; what GetPathName answers
    std::string title;  // GetTitle; empty: the file name
    std::vector<PartConfiguration> configurations;  // the first is the active one
    double density = 1000.0;                        // the document's density setting, kg/m³
    double volume = 0.001;                          // m³
    std::uint32_t bodies = 1;                       // 0: no body, so no mass properties
    bool readOnly = false;                          // its write answers false and changes nothing
    bool isVirtual = false;  // saved inside the assembly; its path is the one the CAD program shows
    std::int32_t failWrite = 0;  // HRESULT its SetUserPreferenceDoubleValue returns; 0: works
    // A member of its document, configuration, extension or mass properties ("Mass") that
    // fails with E_FAIL for this part alone; empty: none.
    std::string failMember;
    double massOverride = 0.0;  // kg; above 0 its mass is set by hand (OverrideMass)

    // The active configuration; null for a part without any (it then has no material).
    const PartConfiguration* activeConfiguration() const;
    // The configuration of that name (any case), the active one for an empty name; null if the
    // part has no such configuration.
    const PartConfiguration* configuration(std::string_view name) const;
    // What the mass is computed with: the mass set by hand over the volume, else the material
    // of the active configuration, else density.
    double massDensity() const;
    // Its mass in that configuration (the active one for an empty name), kg: the mass set by
    // hand, else the density its material or its setting gives times the volume.
    double massIn(std::string_view configuration) const;
    // What GetTitle answers: the title, or the file name of the path.
    std::string shownTitle() const;

    bool operator==(const AssemblyPart&) const = default;
};

// What GetSuppression2 answers (swComponentSuppressionState_e).
enum class Suppression { Suppressed = 0, Lightweight = 1, Resolved = 3 };

std::string_view suppressionName(Suppression suppression);  // "suppressed", ...
// A name (any case) or the number GetSuppression2 answers.
std::optional<Suppression> suppressionFromName(std::string_view name);

struct AssemblyComponent {
    // Its own name, e.g. "Welle-1". Name2 answers it with the names of the sub-assembly
    // components holding it in front, as the CAD program does: "Getriebe-1/Welle-1".
    std::string name;
    std::string document;                    // path of an AssemblyPart, or of a sub-assembly
    std::string configuration = "Standard";  // ReferencedConfiguration
    Suppression suppression = Suppression::Resolved;
    // Index of the sub-assembly component holding it, which comes before it; -1: top level.
    int parent = -1;

    bool operator==(const AssemblyComponent&) const = default;
};

struct Assembly {
    std::string title = "Baugruppe1.SLDASM";  // GetTitle of the active assembly
    std::vector<AssemblyPart> parts;
    std::vector<std::string> subAssemblies;     // paths of sub-assembly documents
    std::vector<AssemblyComponent> components;  // in the order GetComponents answers
    bool componentsAsVariants = false;  // VT_ARRAY|VT_VARIANT instead of VT_ARRAY|VT_DISPATCH
    // The array of components holds the other kind of element than its tag names: VARIANTs
    // under VT_ARRAY|VT_DISPATCH, object pointers under VT_ARRAY|VT_VARIANT.
    bool mismatchedComponents = false;

    bool operator==(const Assembly&) const = default;
};

// A large assembly made on request: that many components in total (sub-assembly components
// included), part documents and levels of nesting. See README.md for exactly what it makes.
struct Generation {
    std::uint32_t components = 0;  // 0: nothing is generated
    std::uint32_t parts = 0;
    std::uint32_t levels = 1;  // 1: every component is on the top level

    bool any() const { return components > 0; }
    bool operator==(const Generation&) const = default;
};

// "5000,1000,3"; empty for none.
std::string formatGeneration(const Generation& generation);
// "components,parts[,levels]" with components and parts at least 1, levels 1 to 8; an empty
// text is none. Nothing for anything else.
std::optional<Generation> parseGeneration(std::string_view text);

// The assembly a generation makes (same input, same assembly).
Assembly generateAssembly(const Generation& generation,
                          std::string_view title = "Baugruppe1.SLDASM");

// A density the stand-in wrote into a generated part: kept apart from the part (the generated
// parts are not in the state file), the last one for a path wins.
struct WrittenDensity {
    std::string path;
    double density = 0.0;

    bool operator==(const WrittenDensity&) const = default;
};

// The assembly played: the explicit one; with a generation, the generated one, whose parts an
// explicit part of the same path replaces (other explicit parts are added), followed by the
// explicit components (their parents index the whole list) and sub-assemblies. The written
// densities are applied last.
Assembly playedAssembly(const Assembly& assembly, const Generation& generation,
                        const std::vector<WrittenDensity>& written);

// The assembly's mass (kg) and volume (m³): each component that is not suppressed, nor below
// a suppressed one, and uses a part with a body, weighs what its part weighs in the
// component's configuration.
struct AssemblyMass {
    double mass = 0.0;
    double volume = 0.0;
};
AssemblyMass assemblyMass(const Assembly& assembly);

// What GetComponents answers, as indices into assembly.components: of the assembly itself
// (root -1) or of the sub-assembly component `root`; with topLevelOnly only the components
// directly in it, else those at every level, but none below a suppressed component.
std::vector<std::size_t> listComponents(const Assembly& assembly, int root, bool topLevelOnly);

// What Name2 answers for a component listed from `root` (-1: the assembly): the names of the
// components from below root down to it, joined with '/'.
std::string componentName2(const Assembly& assembly, std::size_t index, int root);

// Whether a path names the same file as another (ASCII letters in any case, as Windows does).
bool samePath(std::string_view a, std::string_view b);
// A path in one case: the key that finds it in a map whatever case it is given in.
std::string pathKey(std::string_view path);
// The file name of a path: what follows the last '\' or '/'.
std::string_view fileNameOf(std::string_view path);

}  // namespace cadsim

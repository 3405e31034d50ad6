#pragma once
// The parts of an assembly as SolidWorks reports them, read one component at a time, and the
// density written into one part. Every failed call, and every answer of a type that cannot be
// used, raises an AutomationError that names the call and the object it was made on.

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cad/automation.h"
#include "common/services.h"

namespace velu::cad {

// One part document of the assembly, however often and in whichever configurations it is used.
struct AssemblyPart {
    std::wstring path;  // as the first component using it names it
    // The file name without folder; for a virtual part, the name of its first component.
    std::wstring name;
    std::size_t instances = 0;
    std::vector<std::wstring> configurations;  // the ones the assembly uses, in order of use
    std::vector<std::wstring> materials;       // per configuration; empty where none is assigned
    ObjectRef document;                        // nothing: the part is not loaded (lightweight)
    double density = 0;                        // the document's density setting, kg/m³
    // What its mass is computed with (kg/m³) and the mass (kg), for its active configuration;
    // none when the part has no body, or when a call for them failed after a write.
    std::optional<double> massDensity;
    std::optional<double> mass;

    bool loaded() const { return document != nullptr; }
    // Whether a used configuration has a material, whose density then decides its mass.
    bool hasMaterial() const;
    // A loaded part one of whose used configurations has no material: writing the density
    // makes that configuration's mass right.
    bool lacksMaterial() const;
    // With one configuration its material (or nothing); with more, each one's in the order of
    // the configurations, "–" for one without, joined with ", ".
    std::wstring materialList() const;
};

// Walks the components of an assembly, all levels at once (GetComponents with False): each
// part document becomes one AssemblyPart; sub-assemblies are no part, suppressed components
// are only counted. Each document is fetched and asked about itself once, through its first
// resolved component; a part gets its row only when every call for it succeeded.
class AssemblyReader {
  public:
    AssemblyReader(Object& assembly, const FileNames& fileNames);

    // Asks for the components; until then there are none to read. Every element must be a
    // component: an answer with anything else is unusable as a whole.
    void begin();
    std::size_t components() const { return components_.size(); }
    std::size_t read() const { return next_; }
    bool done() const { return next_ >= components_.size(); }
    // Reads the next component and lets go of it. When a call fails, the part it uses has no
    // row, and the error leaves.
    void readNext();

    std::vector<AssemblyPart>& parts() { return parts_; }
    std::size_t suppressed() const { return suppressed_; }
    // Lets go of the components not read yet (after a cancel or a failure).
    void forgetComponents() { components_.clear(); }

  private:
    struct PathOrder {
        const FileNames* names;
        bool operator()(const std::wstring& a, const std::wstring& b) const {
            return names->compare(a, b) < 0;
        }
    };
    void readComponent(Object& component, const std::wstring& componentName,
                       const std::wstring& path);
    // The part's loaded document: what the part is called, its density setting, its mass
    // properties, and the materials of the configurations met so far.
    void learnDocument(AssemblyPart& part, Object& component, ObjectRef document,
                       const std::wstring& componentName);
    void addConfiguration(AssemblyPart& part, const std::wstring& configuration);
    // The part of that path no longer has a row.
    void dropPart(const std::wstring& path);

    Object& assembly_;
    Elements components_;
    std::size_t next_ = 0;
    std::vector<AssemblyPart> parts_;
    std::map<std::wstring, std::size_t, PathOrder> byPath_;  // path -> index in parts_
    std::set<std::wstring, PathOrder> documentsAsked_;       // paths whose document was fetched
    std::set<std::wstring, PathOrder> noParts_;  // sub-assemblies, documents of other types
    std::size_t suppressed_ = 0;
};

// The mass properties of a loaded part, read anew for its active configuration: what its mass
// is computed with and the mass go into the part (none for a part without a body). The mass
// properties are held while this lives, so that the override is asked of the same ones.
class PartMass {
  public:
    explicit PartMass(AssemblyPart& part);
    // Whether the mass follows the density written: the same density, or no body at all.
    bool follows(double written) const;
    // Whether the mass is set by hand (OverrideMass); false for a part without a body.
    bool overridden();

  private:
    AssemblyPart& part_;
    ObjectRef properties_;
};

// Writes the density setting into the part's document, by reference as the caller holds it;
// true when the part took it, which then holds the new setting.
bool writeDensitySetting(AssemblyPart& part, const double& density);

// The assembly's own mass as SolidWorks computes it (suppressed components left out); nothing
// when it has no mass properties.
std::optional<double> assemblyMass(Object& assembly);

}  // namespace velu::cad

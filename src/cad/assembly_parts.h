#pragma once
// The parts of an assembly as SolidWorks reports them, read one component at a time, and the
// density written into one part. Every failed call, and every answer of a type that cannot be
// used, raises an AutomationError that names the call and the object it was made on.

#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "cad/automation.h"

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
    std::optional<double> massDensity;         // what its mass is computed with; none: no body

    bool loaded() const { return document != nullptr; }
    bool hasMaterial() const;
    // The materials of the used configurations, each once, joined with ", ".
    std::wstring materialList() const;
};

// Walks the components of an assembly, all levels at once (GetComponents with False): each
// part document becomes one AssemblyPart; sub-assemblies are no part, suppressed components
// are only counted. Each document is asked about itself once, through its first component.
class AssemblyReader {
  public:
    explicit AssemblyReader(Object& assembly);

    // Asks for the components; until then there are none to read.
    void begin();
    std::size_t components() const { return components_.size(); }
    std::size_t read() const { return next_; }
    bool done() const { return next_ >= components_.size(); }
    // Reads the next component and lets go of it.
    void readNext();

    std::vector<AssemblyPart>& parts() { return parts_; }
    std::size_t suppressed() const { return suppressed_; }
    // Lets go of the components not read yet (after a cancel or a failure).
    void forgetComponents() { components_.clear(); }

  private:
    // The part's first loaded document: what the part is called, its density setting and what
    // its mass is computed with.
    void learnDocument(AssemblyPart& part, Object& component, ObjectRef document,
                       const std::wstring& componentName);
    void addConfiguration(AssemblyPart& part, const std::wstring& configuration);

    Object& assembly_;
    Elements components_;
    std::size_t next_ = 0;
    std::vector<AssemblyPart> parts_;
    std::unordered_map<std::wstring, std::size_t> byPath_;  // folded path -> index in parts_
    std::unordered_set<std::wstring> subAssemblies_;        // folded paths
    std::size_t suppressed_ = 0;
};

enum class WriteOutcome { Written, Refused, MaterialDecides };

// Writes the density into the part's document, by reference as the catalogue holds it, then
// asks what its mass is computed with. The part then holds the new values.
WriteOutcome writeDensity(AssemblyPart& part, const double& density);

}  // namespace velu::cad

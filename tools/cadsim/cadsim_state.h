// The CAD stand-in's objects and members, its scenario file and its call log, as plain text.
//
// Portable: no Windows header. The server (cadsim.exe) reads and writes the scenario with
// these functions, and tests use them to set up a scenario and to read what the server saw.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "assembly.h"

namespace cadsim {

// The kind of the active document; the number is what the document's GetType returns
// (none = 0, part = 1, assembly = 2, drawing = 3).
enum class DocKind { None = 0, Part = 1, Assembly = 2, Drawing = 3 };

std::string_view docKindName(DocKind kind);
std::optional<DocKind> docKindFromName(std::string_view name);  // case-insensitive

// The objects the stand-in hands out. Their names are one vocabulary: the state file names
// them in Fail.<Object>.<Member>, DieInMember and TextAnswer (any case), the log in its
// object column (with a small first letter: app, doc, config, extension, massProperty,
// component, partDoc). A component is one of the active assembly's; partDoc is the document
// a component uses, a part or a sub-assembly.
enum class ObjectKind { App, Doc, Config, Extension, MassProperty, Component, PartDoc };

// "App", "Doc", "Config", "Extension", "MassProperty", "Component", "PartDoc".
std::string_view objectName(ObjectKind kind);
// As the log writes it: "app", "doc", "config", "extension", "massProperty", "component",
// "partDoc".
std::string logObjectName(ObjectKind kind);
std::optional<ObjectKind> objectKindFromName(std::string_view name);  // case-insensitive
// Whether a member named without its object ("GetType") names the member on this object:
// only on the objects of the active part (App, Doc, Config, Extension, MassProperty), so that
// such names mean what they meant before the assembly's objects came.
bool namedByMemberAlone(ObjectKind kind);

// The members the stand-in serves; the number is the member's DISPID, the same on every
// object that has it.
enum class MemberId : std::int32_t {
    Visible = 1,
    ActiveDoc,
    SetPreference,
    GetPreference,
    GetType,
    GetActiveConfiguration,
    GetMaterialPropertyName2,
    Extension,
    Name,
    CreateMassProperty,
    Density,
    Mass,
    Volume,
    CommandInProgress,
    GetTitle,
    GetComponents,
    GetModelDoc2,
    GetPathName,
    ReferencedConfiguration,
    GetSuppression2,
    IsVirtual,
    Name2,
    OverrideMass,
};

struct Member {
    ObjectKind object;
    MemberId id;
    std::string_view name;
    std::uint32_t arguments;  // what a get or a call takes
    bool answersText;         // its own answer is a text (so a wrong-type answer is not one)
};

// Every member of every object, in the order toText writes their failures.
inline constexpr std::array<Member, 33> kMembers{{
    {ObjectKind::App, MemberId::Visible, "Visible", 0, false},
    {ObjectKind::App, MemberId::ActiveDoc, "ActiveDoc", 0, false},
    {ObjectKind::App, MemberId::SetPreference, "SetUserPreferenceDoubleValue", 2, false},
    {ObjectKind::App, MemberId::GetPreference, "GetUserPreferenceDoubleValue", 1, false},
    {ObjectKind::Doc, MemberId::GetType, "GetType", 0, false},
    {ObjectKind::Doc, MemberId::SetPreference, "SetUserPreferenceDoubleValue", 2, false},
    {ObjectKind::Doc, MemberId::GetPreference, "GetUserPreferenceDoubleValue", 1, false},
    {ObjectKind::Doc, MemberId::GetActiveConfiguration, "GetActiveConfiguration", 0, false},
    {ObjectKind::Doc, MemberId::GetMaterialPropertyName2, "GetMaterialPropertyName2", 2, true},
    {ObjectKind::Doc, MemberId::Extension, "Extension", 0, false},
    {ObjectKind::Config, MemberId::Name, "Name", 0, true},
    {ObjectKind::Extension, MemberId::CreateMassProperty, "CreateMassProperty", 0, false},
    {ObjectKind::MassProperty, MemberId::Density, "Density", 0, false},
    {ObjectKind::MassProperty, MemberId::Mass, "Mass", 0, false},
    {ObjectKind::MassProperty, MemberId::Volume, "Volume", 0, false},
    {ObjectKind::MassProperty, MemberId::OverrideMass, "OverrideMass", 0, false},
    {ObjectKind::App, MemberId::CommandInProgress, "CommandInProgress", 0, false},
    {ObjectKind::Doc, MemberId::GetTitle, "GetTitle", 0, true},
    {ObjectKind::Doc, MemberId::GetComponents, "GetComponents", 1, false},
    {ObjectKind::Component, MemberId::GetModelDoc2, "GetModelDoc2", 0, false},
    {ObjectKind::Component, MemberId::GetPathName, "GetPathName", 0, true},
    {ObjectKind::Component, MemberId::ReferencedConfiguration, "ReferencedConfiguration", 0, true},
    {ObjectKind::Component, MemberId::GetSuppression2, "GetSuppression2", 0, false},
    {ObjectKind::Component, MemberId::IsVirtual, "IsVirtual", 0, false},
    {ObjectKind::Component, MemberId::Name2, "Name2", 0, true},
    {ObjectKind::PartDoc, MemberId::GetType, "GetType", 0, false},
    {ObjectKind::PartDoc, MemberId::GetTitle, "GetTitle", 0, true},
    {ObjectKind::PartDoc, MemberId::SetPreference, "SetUserPreferenceDoubleValue", 2, false},
    {ObjectKind::PartDoc, MemberId::GetPreference, "GetUserPreferenceDoubleValue", 1, false},
    {ObjectKind::PartDoc, MemberId::GetActiveConfiguration, "GetActiveConfiguration", 0, false},
    {ObjectKind::PartDoc, MemberId::GetMaterialPropertyName2, "GetMaterialPropertyName2", 2, true},
    {ObjectKind::PartDoc, MemberId::Extension, "Extension", 0, false},
    {ObjectKind::PartDoc, MemberId::GetComponents, "GetComponents", 1, false},
}};

// Whether a member can be put (DISPATCH_PROPERTYPUT) as well as got.
bool acceptsPut(MemberId id);

// The member of that object with this name (any case) or DISPID; null if it has none.
const Member* findMember(ObjectKind object, std::string_view name);
const Member* findMember(ObjectKind object, std::int32_t id);

// Whether a member given as "Member" (on any object namedByMemberAlone) or "Object.Member"
// names this member of this object; names of either part in any case.
bool namesMember(std::string_view given, ObjectKind object, std::string_view member);

// The HRESULTs that members return instead of working, one for each member of kMembers; 0
// means the member works.
class Failures {
  public:
    // Sets the failure of every member that `name` names ("Member" or "Object.Member", see
    // namesMember); answers how many that were, 0 when the name names no member.
    std::size_t set(std::string_view name, std::int32_t hresult);
    std::int32_t of(ObjectKind object, std::string_view member) const;
    // The failure of kMembers[index].
    std::int32_t at(std::size_t index) const { return codes_.at(index); }

    bool operator==(const Failures&) const = default;

  private:
    std::array<std::int32_t, kMembers.size()> codes_{};
};

// The scenario: everything the server reads from its state file.
struct State {
    DocKind activeDoc = DocKind::Part;
    double systemDensity = 1000.0;
    double documentDensity = 1000.0;
    bool systemWriteResult = true;    // what the application's SetUserPreferenceDoubleValue returns
    bool documentWriteResult = true;  // the same for the document
    // The part: its active configuration, the material assigned to it (none when the name is
    // empty), its volume and whether it has a body at all.
    std::string configuration = "Standard";
    std::string material;
    std::string materialDatabase = "SOLIDWORKS Materials";
    double materialDensity = 1000.0;
    double volume = 0.001;           // m³
    std::uint32_t bodies = 1;        // 0: no body, so no mass properties
    double massOverride = 0.0;       // kg; above 0 the part's mass is set by hand
    bool commandInProgress = false;  // the application's CommandInProgress
    Failures fail;
    std::uint32_t retryLater = 0;     // the next N calls are rejected with "retry later"
    std::uint32_t createDelayMs = 0;  // wait before the class object is registered
    std::uint32_t callDelayMs = 0;    // every Invoke sleeps this long first
    std::string dieInMember;          // "Member" or "Object.Member"; empty: never
    std::string textAnswer;           // the same form: that member answers with a wrong type
    // The active assembly (when activeDoc is assembly); with a generation, the generated one
    // with these parts and components laid over it (playedAssembly).
    Assembly assembly;
    Generation generate;
    std::vector<WrittenDensity> writtenDensities;  // into generated parts, in the order written

    bool operator==(const State&) const = default;

    // What the part's mass is computed with: the mass set by hand over the volume, the
    // material's density when one is assigned, else the document's density setting.
    double massDensity() const {
        if (massOverride > 0.0) return massOverride / volume;
        return material.empty() ? documentDensity : materialDensity;
    }
    double mass() const { return massOverride > 0.0 ? massOverride : massDensity() * volume; }

    // The failure configured for a member of an object ("app", "Doc", ...; any case); 0 if
    // none.
    std::int32_t failureFor(std::string_view object, std::string_view member) const;
    // Whether DieInMember names this member of this object.
    bool diesIn(std::string_view object, std::string_view member) const;
    // Whether TextAnswer names this member of this object.
    bool answersWithText(std::string_view object, std::string_view member) const;
};

// Reads the state text. Unknown keys, other sections and bad values are skipped (the field
// keeps its default) and described in *problems if given. Accepts CRLF, a UTF-8 BOM, and
// comments after ';' or '#'.
State parse(std::string_view text, std::vector<std::string>* problems = nullptr);

// Writes every key under [cadsim]; doubles as "%.17g" with a decimal point, HRESULTs as hex.
std::string toText(const State& state);

// What the status window shows of the scenario, one line each: the active document and its
// configuration, both density settings, the material, and the mass with what it is computed
// from (UTF-8).
std::vector<std::string> describeScenario(const State& state);
// One line about the assembly played: its title and how many components, part documents and
// sub-assemblies it has.
std::string describeAssembly(const Assembly& assembly);

// The calls a running stand-in received since it started or its counts were reset: name
// look-ups (GetIDsOfNames) and invocations (Invoke), each counted apart, the objects it handed
// out (each element of an array of components among them), and the time it spent inside the
// calls, so that a benchmark can tell the stand-in's share from COM's.
struct CallCounts {
    std::uint64_t nameLookups = 0;
    std::uint64_t invocations = 0;
    std::uint64_t microseconds = 0;
    std::uint64_t objects = 0;

    bool operator==(const CallCounts&) const = default;
};

// "%.17g" in the C locale, whatever the process locale is; with fewer digits for people
// ("%.15g" shows 7850.5 * 0.001 as 7.8505).
std::string formatDouble(double value, int digits = 17);
std::optional<double> parseDouble(std::string_view text);
// Decimal (also negative, or above 0x7FFFFFFF) or 0x hex; the 32 bits of an HRESULT.
std::optional<std::int32_t> parseHresult(std::string_view text);
// "0x%08X".
std::string formatHresult(std::int32_t hr);

// The name of a VARTYPE as the log writes it, e.g. "VT_R8", "VT_BYREF|VT_R8".
std::string varTypeName(std::uint16_t vt);

// One logged value: the VARTYPE name and the value as text (unescaped).
struct LogValue {
    std::string type;
    std::string text;

    bool operator==(const LogValue&) const = default;
};

enum class Outcome {
    Ok,          // "ok:<VT_NAME>:<value>"
    Fail,        // "fail:0x%08X"
    RetryLater,  // "retrylater"
    Died,        // "died": DieInMember ended the server in this call
};

// One line of the log:
// <sequence>\t<object>\t<member>\t<kind>\t<arguments>\t<outcome>
struct LogEntry {
    std::uint64_t sequence = 0;
    std::string object;  // logObjectName: "app", "doc", ..., "component", "partDoc"
    std::string member;  // e.g. "SetUserPreferenceDoubleValue"; "#<dispid>" for an unknown one
    std::string kind;    // "get", "put" or "call"
    std::vector<LogValue> arguments;  // in parameter order
    Outcome outcome = Outcome::Ok;
    LogValue result;           // for ok
    std::int32_t hresult = 0;  // for fail

    bool operator==(const LogEntry&) const = default;
};

// Without the line end. Tabs, line ends, commas and backslashes in values are escaped.
std::string formatLogLine(const LogEntry& entry);
// The fields of a log line the status window shows too: "VT_I4:7,VT_BYREF|VT_R8:7850" and
// "ok:VT_BOOL:true".
std::string formatArguments(const std::vector<LogValue>& arguments);
std::string formatOutcome(const LogEntry& entry);
std::optional<LogEntry> parseLogLine(std::string_view line);
// All lines of a log; empty lines are skipped, malformed ones described in *problems.
std::vector<LogEntry> parseLog(std::string_view text, std::vector<std::string>* problems = nullptr);

// The class id a ProgID is served under, as "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
// SldWorks.Application (any case), or no ProgID at all, gets the stand-in's own fixed CLSID
// (a server started without --progid serves it); any other ProgID gets
// one derived from it and the ProgID, so that a test registration never replaces the
// registration a demo uses.
std::string clsidForProgId(std::string_view progId);
inline constexpr std::string_view kBaseClsid = "{9F5767BB-B9CF-4A9D-8FBA-F33AB1296397}";
inline constexpr std::string_view kCadProgId = "SldWorks.Application";

}  // namespace cadsim

// The state file: parse and toText (declared in cadsim_state.h). Sections:
//
//   [cadsim]                 the scenario: the active document, the part, the faults
//   [assembly]               the active assembly's title, its answer's form, the generator
//   [subassembly <path>]     a sub-assembly document (no keys)
//   [part <path>]            a part document, its configurations following it one by one
//   [component <name>]       a component, in the order GetComponents answers
//   [densities]              <path>=<density>: densities written into generated parts
//
// Every section's keys are a table of the struct member each sets.
#include <algorithm>
#include <array>
#include <charconv>
#include <span>
#include <system_error>
#include <type_traits>
#include <variant>

#include "cadsim_state.h"
#include "support/text.h"
#include "text_lines.h"

namespace cadsim {

namespace {

using detail::takeLine;
using detail::trim;
using velu::text::equalsIgnoringAsciiCase;

// Members whose text is not the plain form of their type.
template <typename Owner>
struct HresultOf {
    std::int32_t Owner::*member;  // decimal or 0x hex, written as 0x%08X (0 as 0)
};
template <typename Owner>
struct IndexOf {
    int Owner::*member;  // -1 or an earlier component's index
};

// A key of a section and the member of the section's struct it sets.
template <typename Owner>
using FieldOf = std::variant<DocKind Owner::*, double Owner::*, bool Owner::*,
                             std::uint32_t Owner::*, std::string Owner::*, Suppression Owner::*,
                             Generation Owner::*, HresultOf<Owner>, IndexOf<Owner>>;
template <typename Owner>
struct KeyOf {
    std::string_view name;
    FieldOf<Owner> field;
};

// [cadsim]: the scenario's keys, in the order toText writes them; the failures (Fail.*)
// follow them, then the faults.
constexpr std::array<KeyOf<State>, 13> kScenarioKeys{{
    {"ActiveDoc", &State::activeDoc},
    {"SystemDensity", &State::systemDensity},
    {"DocumentDensity", &State::documentDensity},
    {"SystemWriteResult", &State::systemWriteResult},
    {"DocumentWriteResult", &State::documentWriteResult},
    {"Configuration", &State::configuration},
    {"Material", &State::material},
    {"MaterialDatabase", &State::materialDatabase},
    {"MaterialDensity", &State::materialDensity},
    {"Volume", &State::volume},
    {"Bodies", &State::bodies},
    {"MassOverride", &State::massOverride},
    {"CommandInProgress", &State::commandInProgress},
}};
constexpr std::array<KeyOf<State>, 5> kFaultKeys{{
    {"RetryLater", &State::retryLater},
    {"CreateDelayMs", &State::createDelayMs},
    {"CallDelayMs", &State::callDelayMs},
    {"DieInMember", &State::dieInMember},
    {"TextAnswer", &State::textAnswer},
}};
constexpr std::string_view kFailPrefix = "Fail.";

constexpr std::array<KeyOf<Assembly>, 3> kAssemblyKeys{{
    {"Title", &Assembly::title},
    {"ComponentsAsVariants", &Assembly::componentsAsVariants},
    {"MismatchedComponents", &Assembly::mismatchedComponents},
}};
// The generator belongs to the state, not to the explicit assembly, but is written with it.
constexpr std::array<KeyOf<State>, 1> kGeneratorKeys{{
    {"Generate", &State::generate},
}};
constexpr std::array<KeyOf<AssemblyPart>, 9> kPartKeys{{
    {"Title", &AssemblyPart::title},
    {"Density", &AssemblyPart::density},
    {"Volume", &AssemblyPart::volume},
    {"Bodies", &AssemblyPart::bodies},
    {"ReadOnly", &AssemblyPart::readOnly},
    {"Virtual", &AssemblyPart::isVirtual},
    {"FailWrite", HresultOf<AssemblyPart>{&AssemblyPart::failWrite}},
    {"FailMember", &AssemblyPart::failMember},
    {"MassOverride", &AssemblyPart::massOverride},
}};
// In a [part] section, "Configuration=<name>" starts a configuration; these keys follow it.
constexpr std::string_view kConfigurationKey = "Configuration";
constexpr std::array<KeyOf<PartConfiguration>, 3> kConfigurationKeys{{
    {"Material", &PartConfiguration::material},
    {"MaterialDatabase", &PartConfiguration::materialDatabase},
    {"MaterialDensity", &PartConfiguration::materialDensity},
}};
constexpr std::array<KeyOf<AssemblyComponent>, 4> kComponentKeys{{
    {"Document", &AssemblyComponent::document},
    {"Configuration", &AssemblyComponent::configuration},
    {"Suppression", &AssemblyComponent::suppression},
    {"Parent", IndexOf<AssemblyComponent>{&AssemblyComponent::parent}},
}};

std::optional<bool> parseBool(std::string_view text) {
    if (text == "1" || equalsIgnoringAsciiCase(text, "true")) return true;
    if (text == "0" || equalsIgnoringAsciiCase(text, "false")) return false;
    return std::nullopt;
}

template <typename Number>
std::optional<Number> parseInteger(std::string_view text) {
    Number value{};
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

// The value of a text for a member of type T.
template <typename T>
std::optional<T> read(std::string_view text) {
    if constexpr (std::is_same_v<T, DocKind>) {
        return docKindFromName(text);
    } else if constexpr (std::is_same_v<T, double>) {
        return parseDouble(text);
    } else if constexpr (std::is_same_v<T, bool>) {
        return parseBool(text);
    } else if constexpr (std::is_same_v<T, std::uint32_t>) {
        return text.empty() ? std::optional<std::uint32_t>(0) : parseInteger<std::uint32_t>(text);
    } else if constexpr (std::is_same_v<T, std::string>) {
        return std::string(text);
    } else if constexpr (std::is_same_v<T, Suppression>) {
        return suppressionFromName(text);
    } else {
        static_assert(std::is_same_v<T, Generation>);
        return parseGeneration(text);
    }
}

template <typename T>
std::string written(const T& value) {
    if constexpr (std::is_same_v<T, DocKind>) {
        return std::string(docKindName(value));
    } else if constexpr (std::is_same_v<T, double>) {
        return formatDouble(value);
    } else if constexpr (std::is_same_v<T, bool>) {
        return value ? "1" : "0";
    } else if constexpr (std::is_same_v<T, std::uint32_t>) {
        return std::to_string(value);
    } else if constexpr (std::is_same_v<T, std::string>) {
        return value;
    } else if constexpr (std::is_same_v<T, Suppression>) {
        return std::string(suppressionName(value));
    } else {
        static_assert(std::is_same_v<T, Generation>);
        return formatGeneration(value);
    }
}

template <typename T>
struct IsHresult : std::false_type {};
template <typename Owner>
struct IsHresult<HresultOf<Owner>> : std::true_type {};
template <typename T>
struct IsIndex : std::false_type {};
template <typename Owner>
struct IsIndex<IndexOf<Owner>> : std::true_type {};

// Sets the member from the text; false if the text is not a valid value for it. An index must
// be -1 or below `position`, the index of the struct being read.
template <typename Owner>
bool apply(Owner& owner, const FieldOf<Owner>& field, std::string_view value,
           std::size_t position = 0) {
    return std::visit(
        [&](auto member) {
            using Member = decltype(member);
            if constexpr (IsHresult<Member>::value) {
                const auto code =
                    value.empty() ? std::optional<std::int32_t>(0) : parseHresult(value);
                if (code) owner.*(member.member) = *code;
                return code.has_value();
            } else if constexpr (IsIndex<Member>::value) {
                const auto index = parseInteger<int>(value);
                const bool valid = index && *index >= -1 &&
                                   (*index < 0 || static_cast<std::size_t>(*index) < position);
                if (valid) owner.*(member.member) = *index;
                return valid;
            } else {
                using T = std::remove_cvref_t<decltype(owner.*member)>;
                auto parsed = read<T>(value);
                if (parsed) owner.*member = std::move(*parsed);
                return parsed.has_value();
            }
        },
        field);
}

template <typename Owner>
std::string format(const Owner& owner, const FieldOf<Owner>& field) {
    return std::visit(
        [&](auto member) -> std::string {
            using Member = decltype(member);
            if constexpr (IsHresult<Member>::value) {
                const std::int32_t code = owner.*(member.member);
                return code == 0 ? std::string("0") : formatHresult(code);
            } else if constexpr (IsIndex<Member>::value) {
                return std::to_string(owner.*(member.member));
            } else {
                return written(owner.*member);
            }
        },
        field);
}

template <typename Owner, std::size_t N>
const KeyOf<Owner>* findKey(const std::array<KeyOf<Owner>, N>& keys, std::string_view name) {
    for (const KeyOf<Owner>& key : keys) {
        if (equalsIgnoringAsciiCase(name, key.name)) return &key;
    }
    return nullptr;
}

std::string badValue(std::string_view value, std::string_view keyName) {
    return "bad value \"" + std::string(value) + "\" for " + std::string(keyName);
}

std::string unknownKey(std::string_view name) {
    return "unknown key \"" + std::string(name) + "\"";
}

// Applies the key and value to the first table that has the key; describes what is wrong
// with them, empty if nothing, nullopt if no table has the key.
template <typename Owner, std::size_t N>
std::optional<std::string> applyFrom(const std::array<KeyOf<Owner>, N>& keys, Owner& owner,
                                     std::string_view name, std::string_view value,
                                     std::size_t position = 0) {
    const KeyOf<Owner>* key = findKey(keys, name);
    if (key == nullptr) return std::nullopt;
    return apply(owner, key->field, value, position) ? std::string() : badValue(value, key->name);
}

std::string applyScenarioLine(State& state, std::string_view name, std::string_view value) {
    if (auto wrong = applyFrom(kScenarioKeys, state, name, value)) return *wrong;
    if (auto wrong = applyFrom(kFaultKeys, state, name, value)) return *wrong;
    if (name.size() > kFailPrefix.size() &&
        equalsIgnoringAsciiCase(name.substr(0, kFailPrefix.size()), kFailPrefix)) {
        const auto hresult = value.empty() ? std::optional<std::int32_t>(0) : parseHresult(value);
        Failures changed = state.fail;
        // A key that names no member is unknown, whatever its value.
        if (changed.set(name.substr(kFailPrefix.size()), hresult.value_or(0)) > 0) {
            if (!hresult) return badValue(value, name);
            state.fail = changed;
            return {};
        }
    }
    return unknownKey(name);
}

std::string applyPartLine(AssemblyPart& part, std::string_view name, std::string_view value) {
    if (equalsIgnoringAsciiCase(name, kConfigurationKey)) {
        if (value.empty()) return badValue(value, kConfigurationKey);
        part.configurations.push_back(PartConfiguration{std::string(value)});
        return {};
    }
    if (auto wrong = applyFrom(kPartKeys, part, name, value)) return *wrong;
    if (findKey(kConfigurationKeys, name) != nullptr && part.configurations.empty()) {
        return std::string(name) + " before any Configuration";
    }
    if (!part.configurations.empty()) {
        if (auto wrong = applyFrom(kConfigurationKeys, part.configurations.back(), name, value)) {
            return *wrong;
        }
    }
    return unknownKey(name);
}

enum class Section { Other, Scenario, Assembly, SubAssembly, Part, Component, Densities };

// The section a header line starts; the text after the section's name goes to *subject.
std::optional<Section> sectionOf(std::string_view header, std::string& subject,
                                 std::string& problem) {
    std::string_view inner = trim(header.substr(1, header.size() - 2));
    const auto space = inner.find_first_of(" \t");
    const std::string_view name = inner.substr(0, space);
    const std::string_view rest =
        space == std::string_view::npos ? std::string_view() : trim(inner.substr(space));
    struct Named {
        std::string_view name;
        Section section;
        bool needsSubject;
    };
    static constexpr std::array<Named, 6> kSections{{
        {"cadsim", Section::Scenario, false},
        {"assembly", Section::Assembly, false},
        {"densities", Section::Densities, false},
        {"subassembly", Section::SubAssembly, true},
        {"part", Section::Part, true},
        {"component", Section::Component, true},
    }};
    for (const Named& known : kSections) {
        if (!equalsIgnoringAsciiCase(name, known.name)) continue;
        if (known.needsSubject == rest.empty()) {
            problem = known.needsSubject ? "section [" + std::string(name) + "] names nothing"
                                         : "section [" + std::string(name) + "] takes no name";
            return std::nullopt;
        }
        subject = rest;
        return known.section;
    }
    return Section::Other;  // another program's: skipped
}

void writeKeys(std::string& out, std::string_view name, const std::string& value) {
    out.append(name).append(1, '=').append(value).append(1, '\n');
}

template <typename Owner, std::size_t N>
void writeKeys(std::string& out, const std::array<KeyOf<Owner>, N>& keys, const Owner& owner) {
    for (const KeyOf<Owner>& key : keys) writeKeys(out, key.name, format(owner, key.field));
}

}  // namespace

State parse(std::string_view text, std::vector<std::string>* problems) {
    State state;
    auto problem = [&](std::size_t lineNo, std::string what) {
        if (problems)
            problems->push_back("line " + std::to_string(lineNo) + ": " + std::move(what));
    };
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    Section section = Section::Other;
    std::size_t lineNo = 0;
    while (!text.empty()) {
        std::string_view line = takeLine(text);
        ++lineNo;
        auto comment = line.find_first_of(";#");
        line = trim(line.substr(0, comment));
        if (line.empty()) continue;
        if (line.front() == '[') {
            std::string subject;
            std::string wrong;
            section = line.back() == ']' ? sectionOf(line, subject, wrong).value_or(Section::Other)
                                         : Section::Other;
            if (!wrong.empty()) problem(lineNo, std::move(wrong));
            if (section == Section::SubAssembly) state.assembly.subAssemblies.push_back(subject);
            if (section == Section::Part) state.assembly.parts.push_back(AssemblyPart{subject});
            if (section == Section::Component) {
                state.assembly.components.push_back(AssemblyComponent{subject});
            }
            continue;
        }
        if (section == Section::Other) continue;
        // Densities are keyed by paths, which may hold a '=' themselves; the number may not.
        const auto eq = section == Section::Densities ? line.rfind('=') : line.find('=');
        if (eq == std::string_view::npos) {
            problem(lineNo, "no '=' in \"" + std::string(line) + "\"");
            continue;
        }
        const std::string_view name = trim(line.substr(0, eq));
        const std::string_view value = trim(line.substr(eq + 1));
        std::string wrong;
        switch (section) {
            case Section::Scenario:
                wrong = applyScenarioLine(state, name, value);
                break;
            case Section::Assembly:
                if (auto result = applyFrom(kAssemblyKeys, state.assembly, name, value)) {
                    wrong = *result;
                } else {
                    wrong =
                        applyFrom(kGeneratorKeys, state, name, value).value_or(unknownKey(name));
                }
                break;
            case Section::Part:
                wrong = applyPartLine(state.assembly.parts.back(), name, value);
                break;
            case Section::Component:
                wrong = applyFrom(kComponentKeys, state.assembly.components.back(), name, value,
                                  state.assembly.components.size() - 1)
                            .value_or(unknownKey(name));
                break;
            case Section::Densities:
                if (const auto density = parseDouble(value); density && !name.empty()) {
                    state.writtenDensities.push_back(WrittenDensity{std::string(name), *density});
                } else {
                    wrong = badValue(value, name);
                }
                break;
            case Section::SubAssembly:
            case Section::Other:
                wrong = unknownKey(name);
                break;
        }
        if (!wrong.empty()) problem(lineNo, std::move(wrong));
    }
    return state;
}

std::string toText(const State& state) {
    std::string out = "[cadsim]\n";
    writeKeys(out, kScenarioKeys, state);
    for (std::size_t i = 0; i < kMembers.size(); ++i) {
        const std::int32_t code = state.fail.at(i);
        writeKeys(out,
                  std::string(kFailPrefix) + std::string(objectName(kMembers[i].object)) + "." +
                      std::string(kMembers[i].name),
                  code == 0 ? std::string("0") : formatHresult(code));
    }
    writeKeys(out, kFaultKeys, state);

    out += "\n[assembly]\n";
    writeKeys(out, kAssemblyKeys, state.assembly);
    writeKeys(out, kGeneratorKeys, state);
    for (const std::string& path : state.assembly.subAssemblies) {
        out.append("\n[subassembly ").append(path).append("]\n");
    }
    for (const AssemblyPart& part : state.assembly.parts) {
        out.append("\n[part ").append(part.path).append("]\n");
        writeKeys(out, kPartKeys, part);
        for (const PartConfiguration& configuration : part.configurations) {
            writeKeys(out, kConfigurationKey, configuration.name);
            writeKeys(out, kConfigurationKeys, configuration);
        }
    }
    for (const AssemblyComponent& component : state.assembly.components) {
        out.append("\n[component ").append(component.name).append("]\n");
        writeKeys(out, kComponentKeys, component);
    }
    // Last, so that the stand-in can append a written density without writing the rest again.
    out += "\n[densities]\n";
    for (const WrittenDensity& w : state.writtenDensities)
        writeKeys(out, w.path, formatDouble(w.density));
    return out;
}

}  // namespace cadsim

#include "cadsim_state.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <span>
#include <system_error>
#include <variant>

#include "support/text.h"
#include "text_lines.h"

namespace cadsim {

namespace {

using detail::takeLine;
using detail::trim;
using velu::text::equalsIgnoringAsciiCase;

constexpr std::array<std::string_view, 7> kObjectNames{
    "App", "Doc", "Config", "Extension", "MassProperty", "Component", "PartDoc"};

// The characters a logged value escapes, each with the letter after its backslash.
constexpr std::array<std::pair<char, char>, 5> kEscapes{{
    {'\\', '\\'},
    {'\t', 't'},
    {'\n', 'n'},
    {'\r', 'r'},
    {',', ','},
}};

void escapeInto(std::string& out, std::string_view text) {
    for (char c : text) {
        const auto escape = std::find_if(kEscapes.begin(), kEscapes.end(),
                                         [c](const auto& e) { return e.first == c; });
        if (escape != kEscapes.end()) {
            out += '\\';
            out += escape->second;
        } else {
            out += c;
        }
    }
}

// Splits on unescaped separators and removes the escapes; nullopt on a dangling or unknown
// escape.
std::optional<std::vector<std::string>> splitUnescape(std::string_view text, char separator) {
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\\') {
            if (++i == text.size()) return std::nullopt;
            const auto escape = std::find_if(kEscapes.begin(), kEscapes.end(),
                                             [&](const auto& e) { return e.second == text[i]; });
            if (escape == kEscapes.end()) return std::nullopt;
            parts.back() += escape->first;
        } else if (c == separator) {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

// "VT_NAME:value" (value escaped) into a LogValue.
std::optional<LogValue> parseValue(std::string_view text) {
    auto colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0) return std::nullopt;
    auto type = text.substr(0, colon);
    if (type.find('\\') != std::string_view::npos) return std::nullopt;
    auto unescaped = splitUnescape(text.substr(colon + 1), '\0');
    if (!unescaped || unescaped->size() != 1) return std::nullopt;
    return LogValue{std::string(type), std::move(unescaped->front())};
}

void formatValueInto(std::string& out, const LogValue& value) {
    out += value.type;
    out += ':';
    escapeInto(out, value.text);
}

std::vector<std::string_view> splitTabs(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        auto tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string_view::npos) break;
        start = tab + 1;
    }
    return fields;
}

std::uint64_t fnv1a(std::string_view text, std::uint64_t seed) {
    std::uint64_t h = seed;
    for (char c : text) {
        // Lower case, so that every spelling of a ProgID gets the same class id.
        const char folded = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        h ^= static_cast<unsigned char>(folded);
        h *= 0x100000001B3ull;
    }
    return h;
}

}  // namespace

std::string_view docKindName(DocKind kind) {
    // By the number GetType answers.
    static constexpr std::array<std::string_view, 4> kNames{"none", "part", "assembly", "drawing"};
    const auto index = static_cast<std::size_t>(kind);
    return index < kNames.size() ? kNames[index] : kNames[0];
}

std::optional<DocKind> docKindFromName(std::string_view name) {
    for (DocKind kind : {DocKind::None, DocKind::Part, DocKind::Assembly, DocKind::Drawing}) {
        if (equalsIgnoringAsciiCase(name, docKindName(kind))) return kind;
    }
    return std::nullopt;
}

std::string_view objectName(ObjectKind kind) {
    return kObjectNames.at(static_cast<std::size_t>(kind));
}

std::string logObjectName(ObjectKind kind) {
    std::string name(objectName(kind));
    name.front() = static_cast<char>(name.front() - 'A' + 'a');
    return name;
}

std::optional<ObjectKind> objectKindFromName(std::string_view name) {
    for (std::size_t i = 0; i < kObjectNames.size(); ++i) {
        if (equalsIgnoringAsciiCase(name, kObjectNames[i])) return static_cast<ObjectKind>(i);
    }
    return std::nullopt;
}

const Member* findMember(ObjectKind object, std::string_view name) {
    const auto found = std::find_if(kMembers.begin(), kMembers.end(), [&](const Member& m) {
        return m.object == object && equalsIgnoringAsciiCase(m.name, name);
    });
    return found != kMembers.end() ? &*found : nullptr;
}

const Member* findMember(ObjectKind object, std::int32_t id) {
    const auto found = std::find_if(kMembers.begin(), kMembers.end(), [&](const Member& m) {
        return m.object == object && static_cast<std::int32_t>(m.id) == id;
    });
    return found != kMembers.end() ? &*found : nullptr;
}

bool namedByMemberAlone(ObjectKind kind) {
    return kind != ObjectKind::Component && kind != ObjectKind::PartDoc;
}

bool acceptsPut(MemberId id) {
    return id == MemberId::Visible || id == MemberId::CommandInProgress;
}

bool namesMember(std::string_view given, ObjectKind object, std::string_view member) {
    std::string_view wanted = trim(given);
    if (wanted.empty()) return false;
    auto dot = wanted.find('.');
    if (dot != std::string_view::npos) {
        if (!equalsIgnoringAsciiCase(wanted.substr(0, dot), objectName(object))) return false;
        wanted = wanted.substr(dot + 1);
    } else if (!namedByMemberAlone(object)) {
        return false;
    }
    return equalsIgnoringAsciiCase(wanted, member);
}

std::size_t Failures::set(std::string_view name, std::int32_t hresult) {
    std::size_t named = 0;
    for (std::size_t i = 0; i < kMembers.size(); ++i) {
        if (namesMember(name, kMembers[i].object, kMembers[i].name)) {
            codes_[i] = hresult;
            ++named;
        }
    }
    return named;
}

std::int32_t Failures::of(ObjectKind object, std::string_view member) const {
    const Member* found = findMember(object, member);
    return found != nullptr ? codes_.at(static_cast<std::size_t>(found - kMembers.data())) : 0;
}

std::int32_t State::failureFor(std::string_view object, std::string_view member) const {
    const auto kind = objectKindFromName(object);
    return kind ? fail.of(*kind, member) : 0;
}

bool State::diesIn(std::string_view object, std::string_view member) const {
    const auto kind = objectKindFromName(object);
    return kind && namesMember(dieInMember, *kind, member);
}

bool State::answersWithText(std::string_view object, std::string_view member) const {
    const auto kind = objectKindFromName(object);
    return kind && namesMember(textAnswer, *kind, member);
}

std::vector<std::string> describeScenario(const State& state) {
    // Values the stand-in computes are shown with 15 digits, so that 7850.5 kg/m³ × 0.001 m³
    // reads 7.8505 kg.
    auto quantity = [](double value, std::string_view unit) {
        return formatDouble(value, 15).append(1, ' ').append(unit);
    };
    constexpr std::string_view kDensityUnit = "kg/m\u00B3";
    std::string material = "none";
    if (!state.material.empty()) {
        material = state.material + " (" + state.materialDatabase + "), " +
                   quantity(state.materialDensity, kDensityUnit);
    }
    std::string mass = "none, the part has no body";
    if (state.bodies > 0 && state.massOverride > 0.0) {
        mass = quantity(state.mass(), "kg") + ", set by hand";
    } else if (state.bodies > 0) {
        mass = quantity(state.mass(), "kg") + " = " + quantity(state.massDensity(), kDensityUnit) +
               " \u00D7 " + quantity(state.volume, "m\u00B3");
    }
    return {
        "Active document: " + std::string(docKindName(state.activeDoc)) + ", configuration " +
            state.configuration,
        "System density: " + formatDouble(state.systemDensity) + " kg/m\u00B3",
        "Document density: " + formatDouble(state.documentDensity) + " kg/m\u00B3",
        "Material: " + material,
        "Mass: " + mass,
    };
}

std::string describeAssembly(const Assembly& assembly) {
    return "Assembly " + assembly.title + ": " + std::to_string(assembly.components.size()) +
           " components, " + std::to_string(assembly.parts.size()) + " parts, " +
           std::to_string(assembly.subAssemblies.size()) + " sub-assemblies";
}

std::string formatDouble(double value, int digits) {
    std::array<char, 64> buffer{};
    // Like printf("%.<digits>g") in the C locale.
    auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                   std::chars_format::general, digits);
    if (ec != std::errc()) return "nan";
    return std::string(buffer.data(), end);
}

std::optional<double> parseDouble(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0.0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty() ||
        !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::int32_t> parseHresult(std::string_view text) {
    bool negative = false;
    std::uint64_t value = 0;
    int base = 10;
    if (!text.empty() && text.front() == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    if (!negative && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    if (negative) {
        if (value > 0x80000000ull) return std::nullopt;
        return static_cast<std::int32_t>(-static_cast<std::int64_t>(value));
    }
    if (value > 0xFFFFFFFFull) return std::nullopt;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

std::string formatHresult(std::int32_t hr) {
    std::array<char, 16> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "0x%08X", static_cast<unsigned>(hr));
    return buffer.data();
}

std::string varTypeName(std::uint16_t vt) {
    static constexpr std::array<std::pair<std::uint16_t, std::string_view>, 23> kBase{{
        {0, "VT_EMPTY"},    {1, "VT_NULL"},     {2, "VT_I2"},       {3, "VT_I4"},
        {4, "VT_R4"},       {5, "VT_R8"},       {6, "VT_CY"},       {7, "VT_DATE"},
        {8, "VT_BSTR"},     {9, "VT_DISPATCH"}, {10, "VT_ERROR"},   {11, "VT_BOOL"},
        {12, "VT_VARIANT"}, {13, "VT_UNKNOWN"}, {14, "VT_DECIMAL"}, {16, "VT_I1"},
        {17, "VT_UI1"},     {18, "VT_UI2"},     {19, "VT_UI4"},     {20, "VT_I8"},
        {21, "VT_UI8"},     {22, "VT_INT"},     {23, "VT_UINT"},
    }};
    std::string name;
    if (vt & 0x4000) name += "VT_BYREF|";
    if (vt & 0x2000) name += "VT_ARRAY|";
    if (vt & 0x1000) name += "VT_VECTOR|";
    const std::uint16_t base = vt & 0x0FFF;
    for (const auto& [value, baseName] : kBase) {
        if (value == base) return name + std::string(baseName);
    }
    return name + "VT_" + std::to_string(base);
}

std::string formatArguments(const std::vector<LogValue>& arguments) {
    std::string out;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (i > 0) out += ',';
        formatValueInto(out, arguments[i]);
    }
    return out;
}

std::string formatOutcome(const LogEntry& entry) {
    std::string out;
    switch (entry.outcome) {
        case Outcome::Ok:
            out += "ok:";
            formatValueInto(out, entry.result);
            break;
        case Outcome::Fail:
            out += "fail:" + formatHresult(entry.hresult);
            break;
        case Outcome::RetryLater:
            out += "retrylater";
            break;
        case Outcome::Died:
            out += "died";
            break;
    }
    return out;
}

std::string formatLogLine(const LogEntry& entry) {
    std::string out = std::to_string(entry.sequence);
    for (const std::string& field : {entry.object, entry.member, entry.kind,
                                     formatArguments(entry.arguments), formatOutcome(entry)}) {
        out += '\t';
        out += field;
    }
    return out;
}

std::optional<LogEntry> parseLogLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    auto fields = splitTabs(line);
    if (fields.size() != 6) return std::nullopt;
    LogEntry entry;
    auto [end, ec] =
        std::from_chars(fields[0].data(), fields[0].data() + fields[0].size(), entry.sequence);
    if (ec != std::errc() || end != fields[0].data() + fields[0].size()) return std::nullopt;
    entry.object = fields[1];
    entry.member = fields[2];
    entry.kind = fields[3];
    if (entry.object.empty() || entry.member.empty() ||
        (entry.kind != "get" && entry.kind != "put" && entry.kind != "call")) {
        return std::nullopt;
    }
    if (!fields[4].empty()) {
        // Split on unescaped commas first, then unescape each value on its own.
        std::size_t start = 0;
        for (std::size_t i = 0; i <= fields[4].size(); ++i) {
            if (i < fields[4].size() && fields[4][i] == '\\') {
                if (++i == fields[4].size()) return std::nullopt;
                continue;
            }
            if (i == fields[4].size() || fields[4][i] == ',') {
                auto value = parseValue(fields[4].substr(start, i - start));
                if (!value) return std::nullopt;
                entry.arguments.push_back(std::move(*value));
                start = i + 1;
            }
        }
    }
    std::string_view outcome = fields[5];
    if (outcome == "retrylater") {
        entry.outcome = Outcome::RetryLater;
    } else if (outcome == "died") {
        entry.outcome = Outcome::Died;
    } else if (outcome.substr(0, 3) == "ok:") {
        auto value = parseValue(outcome.substr(3));
        if (!value) return std::nullopt;
        entry.outcome = Outcome::Ok;
        entry.result = std::move(*value);
    } else if (outcome.substr(0, 5) == "fail:") {
        auto hr = parseHresult(outcome.substr(5));
        if (!hr) return std::nullopt;
        entry.outcome = Outcome::Fail;
        entry.hresult = *hr;
    } else {
        return std::nullopt;
    }
    return entry;
}

std::vector<LogEntry> parseLog(std::string_view text, std::vector<std::string>* problems) {
    std::vector<LogEntry> entries;
    std::size_t lineNo = 0;
    while (!text.empty()) {
        std::string_view line = takeLine(text);
        ++lineNo;
        if (trim(line).empty()) continue;
        if (auto entry = parseLogLine(line)) {
            entries.push_back(std::move(*entry));
        } else if (problems) {
            problems->push_back("line " + std::to_string(lineNo) + ": not a log line");
        }
    }
    return entries;
}

std::string clsidForProgId(std::string_view progId) {
    if (progId.empty() || equalsIgnoringAsciiCase(progId, kCadProgId)) {
        return std::string(kBaseClsid);
    }
    // The fixed CLSID with its random bits mixed with two hashes of the ProgID; the version and
    // variant nibbles stay as they are.
    std::uint32_t data1 = 0x9F5767BBu;
    std::uint16_t data2 = 0xB9CF;
    std::uint16_t data3 = 0x4A9D;
    std::array<std::uint8_t, 8> data4{0x8F, 0xBA, 0xF3, 0x3A, 0xB1, 0x29, 0x63, 0x97};
    const std::uint64_t h1 = fnv1a(progId, 0xCBF29CE484222325ull);
    const std::uint64_t h2 = fnv1a(progId, h1 ^ 0x9E3779B97F4A7C15ull);
    data1 ^= static_cast<std::uint32_t>(h1 >> 32);
    data2 ^= static_cast<std::uint16_t>(h1 >> 16);
    data3 ^= static_cast<std::uint16_t>(h1 & 0x0FFF);
    data4[1] ^= static_cast<std::uint8_t>(h1 >> 8);
    for (int i = 2; i < 8; ++i) data4[i] ^= static_cast<std::uint8_t>(h2 >> (8 * (i - 2)));
    std::array<char, 40> buffer{};
    std::snprintf(
        buffer.data(), buffer.size(), "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
        static_cast<unsigned>(data1), static_cast<unsigned>(data2), static_cast<unsigned>(data3),
        data4[0], data4[1], data4[2], data4[3], data4[4], data4[5], data4[6], data4[7]);
    return buffer.data();
}

}  // namespace cadsim

// The CAD stand-in's scenario file and call log, as plain text.
//
// Portable: no Windows header. The server (cadsim.exe) reads and writes the scenario with
// these functions, and tests use them to set up a scenario and to read what the server saw.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cadsim {

// The kind of the active document; the number is what the document's GetType returns
// (none = 0, part = 1, assembly = 2, drawing = 3).
enum class DocKind { none = 0, part = 1, assembly = 2, drawing = 3 };

std::string_view docKindName(DocKind kind);
std::optional<DocKind> docKindFromName(std::string_view name);  // case-insensitive

// HRESULTs that a member returns instead of working; 0 means the member works.
struct Failures {
    std::int32_t visible = 0;     // Fail.Visible (get and put)
    std::int32_t activeDoc = 0;   // Fail.ActiveDoc
    std::int32_t getType = 0;     // Fail.GetType
    std::int32_t appSetPref = 0;  // Fail.App.SetUserPreferenceDoubleValue
    std::int32_t appGetPref = 0;  // Fail.App.GetUserPreferenceDoubleValue
    std::int32_t docSetPref = 0;  // Fail.Doc.SetUserPreferenceDoubleValue
    std::int32_t docGetPref = 0;  // Fail.Doc.GetUserPreferenceDoubleValue

    bool operator==(const Failures&) const = default;
};

// The scenario: everything the server reads from its state file.
struct State {
    DocKind activeDoc = DocKind::part;
    double systemDensity = 1000.0;
    double documentDensity = 1000.0;
    bool systemWriteResult = true;    // what the application's SetUserPreferenceDoubleValue returns
    bool documentWriteResult = true;  // the same for the document
    Failures fail;
    std::uint32_t retryLater = 0;     // the next N calls are rejected with "retry later"
    std::uint32_t createDelayMs = 0;  // wait before the class object is registered
    std::string dieInMember;          // "Member", "App.Member" or "Doc.Member"; empty: never
    std::string textAnswer;           // the same form: that member answers with a text instead

    bool operator==(const State&) const = default;

    // The failure configured for a member of "app" or "doc"; 0 if none.
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

// "%.17g" in the C locale, whatever the process locale is.
std::string formatDouble(double value);
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
    ok,          // "ok:<VT_NAME>:<value>"
    fail,        // "fail:0x%08X"
    retryLater,  // "retrylater"
    died,        // "died": DieInMember ended the server in this call
};

// One line of the log:
// <sequence>\t<object>\t<member>\t<kind>\t<arguments>\t<outcome>
struct LogEntry {
    std::uint64_t sequence = 0;
    std::string object;  // "app" or "doc"
    std::string member;  // e.g. "SetUserPreferenceDoubleValue"; "#<dispid>" for an unknown one
    std::string kind;    // "get", "put" or "call"
    std::vector<LogValue> arguments;  // in parameter order
    Outcome outcome = Outcome::ok;
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
// SldWorks.Application (any case) gets the stand-in's own fixed CLSID; any other ProgID gets
// one derived from it and the ProgID, so that a test registration never replaces the
// registration a demo uses.
std::string clsidForProgId(std::string_view progId);
inline constexpr std::string_view kBaseClsid = "{9F5767BB-B9CF-4A9D-8FBA-F33AB1296397}";
inline constexpr std::string_view kCadProgId = "SldWorks.Application";

}  // namespace cadsim

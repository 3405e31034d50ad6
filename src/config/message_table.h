#pragma once
// The message table: the texts of the boxes of the density transfer and readout.

#include <array>
#include <string>
#include <vector>

#include "common/services.h"
#include "config/ini_file.h"

namespace velu::config {

// The fixed roles of the entries. From 10 on they are the texts the assembly window puts
// together at run time.
enum MessageRole : std::size_t {
    kBoxTitle = 0,
    kSuccess = 1,
    kNotAPart = 2,
    kNoDocument = 3,
    kNothingWritten = 4,
    kSystemDefaultInstead = 5,
    kFailure = 6,
    kMaterialSetsDensity = 7,  // %1 the material, %2 the density it sets
    kMassComputedWith = 8,     // %1 the density the mass is computed with
    kNeitherPartNorAssembly = 9,
    kAssemblyCaption = 10,   // followed by " – " and the assembly's title
    kAssemblyMaterial = 11,  // %1 the material, %2 its density
    kReadingParts = 12,      // %1 components read, %2 of how many
    kPartsListed = 13,       // %1 parts, %2 without material, %3 not loaded, %4 suppressed
    kWritingParts = 14,      // %1 parts written, %2 of how many
    // %1 written, %2 keep their material's density, %3 refused, %4 with their mass set by
    // hand, %5 computed with another density for another reason
    kPartsWritten = 15,
    kResultWritten = 16,
    kResultRefused = 17,
    kResultMaterialDecides = 18,  // %1 the density the mass is computed with
    kResultNotLoaded = 19,
    kStoppedAfter = 20,   // %1 done, %2 of how many; the summary of what was done follows
    kCancelCaption = 21,  // the caption of the assembly window's close button while it works
    kResultMassOverridden = 22,
    kResultMassComputedWith = 23,  // %1 the density the mass is computed with
    kMassOverridden = 24,          // the part's mass is set by hand: the density changes nothing
    kAssemblyMass = 25,            // %1 the assembly's mass in kg
    kAssemblyMassChanged = 26,     // %1 the assembly's mass before, %2 after, in kg
    kResultReset = 27,
    kResettingParts = 28,  // %1 parts reset, %2 of how many
    kPartsReset = 29,      // %1 reset, %2 refused
    kCsvFileType = 30,     // the file type of the Save As dialog
    kCsvFileName = 31,     // %1 the assembly's title without its extension
    kPathHeading = 32,     // the heading of the saved list's last column
    kSaveFailed = 33,      // %1 the file, %2 the system's reason
    kCopyFailed = 34,      // %1 the system's reason
};

inline constexpr std::size_t kMessageRoles = 35;

// The built-in English texts, by role.
const std::array<std::wstring, kMessageRoles>& builtInMessages();

struct MessageTable {
    std::vector<std::wstring> texts;  // MessageTexts
    // What the user is to be told about the file.
    std::vector<Notice> notices;
};

// Reads section "messages": "AnzahlInfo" (highest index; -1 when the file gives no table) and
// "Info" + index. A table that ends before the last role is completed with the built-in texts
// of the missing roles, so that every box has its text. A highest index that does not fit
// into 16 bits gives the overflow notice and counts as 0.
MessageTable loadMessageTable(const ProfileFile& file);

// A text of the table with "%1", "%2", ... replaced by the values, literally and in one pass:
// a value that holds "%2" itself stays as it is. A text without them comes back unchanged.
std::wstring fillIn(std::wstring_view text, const std::vector<std::wstring>& values);

}  // namespace velu::config

#pragma once
// The program's own texts, in one place: the German texts of its reports and of the About
// box, and the application title. The texts of the message table come from default.ini and
// are not here.

#include <cstdint>
#include <string>
#include <string_view>

#include "common/services.h"

namespace velu::texts {

// The program's short title: the title of the readout's and the About box's boxes.
inline constexpr std::wstring_view kApplicationTitle = L"velu";

// --- About box ----------------------------------------------------------------------------

// "velu-Info": the caption of the About box.
std::wstring aboutCaption();
// "Version 1.1.6", from the program's version.
std::wstring versionLine();
// What the program does, and that its author takes no liability: the About box's text.
extern const std::wstring_view kDescription;
extern const std::wstring_view kDisclaimer;
// Who made it and how to reach them.
extern const std::wstring_view kContact;
Notice systemInformationNotAvailable();

// --- Configuration files ------------------------------------------------------------------

// A whole number in the file that does not fit into 16 bits, as the classic lookup reported it.
Notice integerOverflow();
Notice catalogueHighestIndexBelowMinusOne(const std::wstring& path, const std::wstring& found);
Notice catalogueDensityMissing(const std::wstring& path, const std::wstring& key);
Notice catalogueDensityNotANumber(const std::wstring& path, const std::wstring& key,
                                  const std::wstring& found);
Notice catalogueDefaultNamesNoEntry(const std::wstring& path, int index, int highest);

// --- SolidWorks ---------------------------------------------------------------------------

// What the objects are called in the reports.
inline constexpr std::wstring_view kSolidWorks = L"SolidWorks";
inline constexpr std::wstring_view kActiveDocument = L"das aktive Dokument";
inline constexpr std::wstring_view kAssembly = L"die Baugruppe";
// The n-th component of the assembly, counted from 1.
std::wstring componentOfAssembly(std::size_t number);
// A part document of the assembly, by its name.
std::wstring partOfAssembly(std::wstring_view name);

// SolidWorks could not be started or reached; the code and the system's text for it follow.
std::wstring cadUnreachable(std::wstring_view progId, std::int32_t code,
                            std::wstring_view systemText);
// A call failed or gave an answer that cannot be used.
std::wstring cadCallFailed(std::wstring_view member, std::wstring_view object, std::int32_t code,
                           std::wstring_view systemText);
extern const std::wstring_view kNoMaterialSelected;
// An answer of SolidWorks that has not the type the program needs.
inline constexpr std::wstring_view kTypeMismatch = L"Type mismatch";

// --- Windows ------------------------------------------------------------------------------

// A part of a window ("das Steuerelement cmdExit") could not be made by that call.
std::wstring windowPartNotCreated(std::wstring_view window, std::wstring_view what,
                                  std::wstring_view call, std::int32_t code,
                                  std::wstring_view systemText);
std::wstring controlNamed(std::wstring_view name);

}  // namespace velu::texts

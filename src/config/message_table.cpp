#include "config/message_table.h"

#include "common/program_texts.h"

namespace velu::config {

const std::array<std::wstring, kMessageRoles>& builtInMessages() {
    static const std::array<std::wstring, kMessageRoles> texts = {
        L"Velumar Density Info",
        L"Success to set the values",
        L"*** Active document is not a part ***",
        L"*** No document opened ***",
        L"*** Not able to set density for active document ***",
        L"Trying to set system defaults",
        L"*** Couldn't set the density values ***",
        L"The part's material %1 sets its density to %2 kg/m\u00b3; the density written applies "
        L"only to parts without a material.",
        L"SolidWorks computes this part's mass with %1 kg/m\u00b3, not with the density written.",
        L"*** Active document is neither a part nor an assembly ***",
        L"Density for assembly",
        L"%1: %2 kg/m\u00b3",
        L"Reading parts: %1 of %2 components",
        L"%1 parts, %2 without material, %3 not loaded, %4 components suppressed",
        L"Writing the density: %1 of %2 parts",
        L"%1 parts written, %2 keep the density of their material, %4 with their mass set by "
        L"hand, %5 computed with another density, %3 refused. Save the assembly in SolidWorks so "
        L"that the parts keep the new density.",
        L"written",
        L"refused",
        L"Material decides: %1",
        L"not loaded",
        L"Stopped after %1 of %2.",
        L"&Cancel",
        L"mass set by hand",
        L"Mass computed with: %1",
        L"SolidWorks uses the part's mass as set by hand (mass properties override); the density "
        L"written changes nothing while it is set.",
        L"Mass of the assembly: %1 kg",
        L"Mass of the assembly: %1 kg \u2192 %2 kg",
        L"reset",
        L"Resetting the density: %1 of %2 parts",
        L"%1 parts reset, %2 refused.",
        L"CSV (comma delimited) (*.csv)",
        L"%1 - Densities.csv",
        L"Path",
        L"The list could not be saved as %1. %2",
        L"The list could not be copied to the clipboard. %1",
    };
    return texts;
}

MessageTable loadMessageTable(const ProfileFile& file) {
    const auto& builtIn = builtInMessages();
    MessageTable table;
    const IntegerSetting highest = file.INIGetSettingInteger(L"messages", L"AnzahlInfo", -1);
    if (highest.overflow) table.notices.push_back(texts::integerOverflow());
    if (highest.value == -1) {
        table.texts.assign(builtIn.begin(), builtIn.end());
        return table;
    }
    for (int i = 0; i <= highest.value; ++i) {
        table.texts.push_back(
            file.INIGetSettingString(L"messages", L"Info" + std::to_wstring(i), L""));
    }
    for (std::size_t role = table.texts.size(); role < kMessageRoles; ++role) {
        table.texts.push_back(builtIn[role]);
    }
    return table;
}

std::wstring fillIn(std::wstring_view text, const std::vector<std::wstring>& values) {
    std::wstring filled;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'%' && i + 1 < text.size() && text[i + 1] >= L'1' && text[i + 1] <= L'9') {
            const auto index = static_cast<std::size_t>(text[i + 1] - L'1');
            if (index < values.size()) {
                filled += values[index];
                ++i;
                continue;
            }
        }
        filled += text[i];
    }
    return filled;
}

}  // namespace velu::config

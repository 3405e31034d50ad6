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

}  // namespace velu::config

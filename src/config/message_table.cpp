#include "config/message_table.h"

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

std::vector<std::wstring> loadMessageTable(IniFile& ini, const std::wstring& path) {
    const auto& builtIn = builtInMessages();
    const IniFile::Snapshot snapshot(ini, path);
    const std::int16_t highest = ini.INIGetSettingInteger(L"messages", L"AnzahlInfo", path, -1);
    if (highest == -1) return {builtIn.begin(), builtIn.end()};

    std::vector<std::wstring> texts;
    for (int i = 0; i <= highest; ++i) {
        texts.push_back(
            ini.INIGetSettingString(L"messages", L"Info" + std::to_wstring(i), path, L""));
    }
    for (std::size_t role = texts.size(); role < kMessageRoles; ++role) {
        texts.push_back(builtIn[role]);
    }
    return texts;
}

}  // namespace velu::config

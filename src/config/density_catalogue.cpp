#include "config/density_catalogue.h"

#include "common/number_text.h"

namespace velu::config {
namespace {

constexpr const wchar_t* kSection = L"Dichtewerte";
constexpr const wchar_t* kTitle = L"velu";

std::wstring where(const std::wstring& path, const std::wstring& key) {
    return L"Datei \"" + path + L"\", Abschnitt [" + kSection + L"], Schlüssel \"" + key + L"\"";
}

}  // namespace

DensityCatalogue builtInCatalogue() {
    return {{L"Wasser", L"Aluminium", L"Stahl"}, {1000.0, 2700.0, 7850.0}, 2};
}

DensityCatalogue loadDensityCatalogue(IniFile& ini, const std::wstring& path,
                                      wchar_t decimalSeparator, MessageBoxes& boxes) {
    const IniFile::Snapshot snapshot(ini, path);
    const std::int16_t highest = ini.INIGetSettingInteger(kSection, L"Anzahl", path, -1);
    if (highest == -1) return builtInCatalogue();

    const std::wstring useBuiltIn =
        L"\r\nEs wird die eingebaute Materialliste verwendet (Wasser, Aluminium, Stahl).";
    if (highest < -1) {
        boxes.show(where(path, L"Anzahl") + L": \"" +
                       ini.INIGetSettingString(kSection, L"Anzahl", path, L"") +
                       L"\" ist kein gültiger höchster Index (-1 oder mehr)." + useBuiltIn,
                   kTitle, BoxStyle::Warning);
        return builtInCatalogue();
    }

    DensityCatalogue catalogue;
    catalogue.defaultIndex = ini.INIGetSettingInteger(kSection, L"default", path, 0);
    const auto count = static_cast<std::size_t>(highest) + 1;
    catalogue.names.reserve(count);
    catalogue.densities.reserve(count);
    for (int i = 0; i <= highest; ++i) {
        const std::wstring index = std::to_wstring(i);
        catalogue.names.push_back(ini.INIGetSettingString(kSection, L"Name" + index, path, L""));
        const std::wstring key = L"Wert" + index;
        const std::wstring text = ini.INIGetSettingString(kSection, key, path, L"");
        const auto density = parseNumber(text, decimalSeparator);
        if (!density) {
            std::wstring message = where(path, key);
            if (text.empty()) {
                message += L" fehlt oder ist leer.";
            } else {
                message += L": \"" + text + L"\" ist keine Zahl im Zahlenformat des Benutzers.";
            }
            message += useBuiltIn;
            boxes.show(message, kTitle, BoxStyle::Warning);
            return builtInCatalogue();
        }
        catalogue.densities.push_back(*density);
    }

    if (catalogue.defaultIndex < 0 || catalogue.defaultIndex > highest) {
        boxes.show(where(path, L"default") + L": " + std::to_wstring(catalogue.defaultIndex) +
                       L" bezeichnet keinen Eintrag (0 bis " + std::to_wstring(highest) +
                       L").\r\nDer erste Eintrag wird ausgewählt.",
                   kTitle, BoxStyle::Warning);
        catalogue.defaultIndex = 0;
    }
    return catalogue;
}

}  // namespace velu::config

#include "config/density_catalogue.h"

#include "common/file_names.h"
#include "common/number_text.h"
#include "common/program_texts.h"

namespace velu::config {
namespace {

const std::wstring kSection(kCatalogueSection);

// The built-in catalogue in place of a file that cannot be used, with what was said so far.
DensityCatalogue builtInAfter(std::vector<Notice> notices) {
    DensityCatalogue catalogue = builtInCatalogue();
    catalogue.notices = std::move(notices);
    return catalogue;
}

}  // namespace

DensityCatalogue builtInCatalogue() {
    return {{L"Wasser", L"Aluminium", L"Stahl"}, {1000.0, 2700.0, 7850.0}, 2, {}};
}

DensityCatalogue loadDensityCatalogue(const ProfileFile& file, wchar_t decimalSeparator) {
    const std::wstring& path = file.path();
    DensityCatalogue catalogue;
    auto integer = [&](const wchar_t* key, std::int16_t defaultValue) {
        const IntegerSetting setting = file.INIGetSettingInteger(kSection, key, defaultValue);
        if (setting.overflow) catalogue.notices.push_back(texts::integerOverflow());
        return setting.value;
    };

    const std::int16_t highest = integer(L"Anzahl", -1);
    if (highest == -1) return builtInAfter(std::move(catalogue.notices));
    if (highest < -1) {
        catalogue.notices.push_back(texts::catalogueHighestIndexBelowMinusOne(
            path, file.INIGetSettingString(kSection, L"Anzahl", L"")));
        return builtInAfter(std::move(catalogue.notices));
    }

    catalogue.defaultIndex = integer(L"default", 0);
    const auto count = static_cast<std::size_t>(highest) + 1;
    catalogue.names.reserve(count);
    catalogue.densities.reserve(count);
    for (int i = 0; i <= highest; ++i) {
        const std::wstring index = std::to_wstring(i);
        catalogue.names.push_back(file.INIGetSettingString(kSection, L"Name" + index, L""));
        const std::wstring key = L"Wert" + index;
        const std::wstring text = file.INIGetSettingString(kSection, key, L"");
        const auto density = parseNumber(text, decimalSeparator);
        if (!density) {
            catalogue.notices.push_back(text.empty()
                                            ? texts::catalogueDensityMissing(path, key)
                                            : texts::catalogueDensityNotANumber(path, key, text));
            return builtInAfter(std::move(catalogue.notices));
        }
        catalogue.densities.push_back(*density);
    }

    if (catalogue.defaultIndex < 0 || catalogue.defaultIndex > highest) {
        catalogue.notices.push_back(
            texts::catalogueDefaultNamesNoEntry(path, catalogue.defaultIndex, highest));
        catalogue.defaultIndex = 0;
    }
    return catalogue;
}

}  // namespace velu::config

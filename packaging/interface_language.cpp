// The one custom action of the MSI (packaging/VelumarDichte.wxs): which language the Windows
// of the user who installs speaks, so that the package puts the German or the English
// default.ini beside the program. Windows Installer has no property for it: UserLanguageID
// is the language of the user's number and date formats, which may differ from the language
// of the menus and windows, and that is the one the program's texts should match.
//
// FindInterfaceLanguage sets
//   VELU_INTERFACE_LANGUAGE  the language identifier, in decimal (1031 German, 1033 English),
//                            so that an installation's log says what was found;
//   VELU_GERMAN_INTERFACE    1 when it is German of any country, else nothing: the
//                            condition of the component with the German texts.
// A per-machine installation asks the account that installs (the system account of a
// software distribution speaks the language Windows was installed in).
#include <windows.h>

#include <msi.h>
#include <msiquery.h>

namespace {

// A language identifier in decimal; by hand, so that the DLL needs no C++ library.
struct Decimal {
    wchar_t digits[8] = {};
    explicit Decimal(unsigned value) {
        wchar_t reversed[8];
        int count = 0;
        do {
            reversed[count++] = static_cast<wchar_t>(L'0' + value % 10);
            value /= 10;
        } while (value != 0);
        for (int i = 0; i < count; ++i) digits[i] = reversed[count - 1 - i];
    }
};

}  // namespace

extern "C" __declspec(dllexport) UINT __stdcall FindInterfaceLanguage(MSIHANDLE install) {
    const LANGID language = ::GetUserDefaultUILanguage();
    const Decimal number(language);
    const bool german = PRIMARYLANGID(language) == LANG_GERMAN;
    if (::MsiSetPropertyW(install, L"VELU_INTERFACE_LANGUAGE", number.digits) != ERROR_SUCCESS ||
        ::MsiSetPropertyW(install, L"VELU_GERMAN_INTERFACE", german ? L"1" : L"") !=
            ERROR_SUCCESS) {
        return ERROR_INSTALL_FAILURE;
    }
    return ERROR_SUCCESS;
}

#include "common/program_texts.h"

#include <cstdio>

#include "common/file_names.h"
#include "velu_version.h"

namespace velu::texts {
namespace {

constexpr std::wstring_view kUseBuiltInCatalogue =
    L"\r\nEs wird die eingebaute Materialliste verwendet (Wasser, Aluminium, Stahl).";

std::wstring inCatalogue(const std::wstring& path, const std::wstring& key) {
    return L"Datei \"" + path + L"\", Abschnitt [" + std::wstring(kCatalogueSection) +
           L"], Schlüssel \"" + key + L"\"";
}

Notice catalogueWarning(std::wstring text) {
    return {std::move(text), std::wstring(kApplicationTitle), BoxStyle::Warning};
}

// "\r\nFehler 0x80020005: Type mismatch": the code in hexadecimal and the system's text.
std::wstring errorLine(std::int32_t code, std::wstring_view systemText) {
    wchar_t hex[16];
    std::swprintf(hex, 16, L"0x%08X", static_cast<unsigned>(code));
    std::wstring line = L"\r\nFehler " + std::wstring(hex);
    if (!systemText.empty()) line += L": " + std::wstring(systemText);
    return line;
}

}  // namespace

std::wstring versionLine() {
    return L"Version " + std::to_wstring(version::kMajor) + L"." +
           std::to_wstring(version::kMinor) + L"." + std::to_wstring(version::kRevision);
}

std::wstring aboutCaption() {
    return std::wstring(kApplicationTitle) + L"-Info";
}

const std::wstring_view kDescription =
    L"VelumarDichte stellt einem Solidworksanwender die Möglichkeit zur Verfügung, die Dichte "
    L"bequem aus einer Dropliste auszuwählen und einzutragen.";

const std::wstring_view kDisclaimer =
    L"Der Autor übernimmt keinerlei Haftung für die korrekte Arbeit dieser Tools.";

const std::wstring_view kContact =
    L"Velumar – Konstruktion und Entwicklung\r\nFragen und Hinweise bitte an "
    L"kontakt@velumar.example";

Notice systemInformationNotAvailable() {
    return {L"System-Informationen sind augenblicklich nicht verfügbar.",
            std::wstring(kApplicationTitle), BoxStyle::Plain};
}

Notice integerOverflow() {
    return {L"Error: 6. Overflow", L"INIGetSettingInteger", BoxStyle::Plain};
}

Notice catalogueHighestIndexBelowMinusOne(const std::wstring& path, const std::wstring& found) {
    return catalogueWarning(inCatalogue(path, L"Anzahl") + L": \"" + found +
                            L"\" ist kein gültiger höchster Index (-1 oder mehr)." +
                            std::wstring(kUseBuiltInCatalogue));
}

Notice catalogueDensityMissing(const std::wstring& path, const std::wstring& key) {
    return catalogueWarning(inCatalogue(path, key) + L" fehlt oder ist leer." +
                            std::wstring(kUseBuiltInCatalogue));
}

Notice catalogueDensityNotANumber(const std::wstring& path, const std::wstring& key,
                                  const std::wstring& found) {
    return catalogueWarning(inCatalogue(path, key) + L": \"" + found +
                            L"\" ist keine Zahl im Zahlenformat des Benutzers." +
                            std::wstring(kUseBuiltInCatalogue));
}

Notice catalogueDefaultNamesNoEntry(const std::wstring& path, int index, int highest) {
    return catalogueWarning(inCatalogue(path, L"default") + L": " + std::to_wstring(index) +
                            L" bezeichnet keinen Eintrag (0 bis " + std::to_wstring(highest) +
                            L").\r\nDer erste Eintrag wird ausgewählt.");
}

std::wstring cadUnreachable(std::wstring_view progId, std::int32_t code,
                            std::wstring_view systemText) {
    return L"SolidWorks konnte nicht gestartet oder erreicht werden (" + std::wstring(progId) +
           L")." + errorLine(code, systemText);
}

std::wstring cadCallFailed(std::wstring_view member, std::wstring_view object, std::int32_t code,
                           std::wstring_view systemText) {
    return L"Der Aufruf \"" + std::wstring(member) + L"\" an " + std::wstring(object) +
           L" ist fehlgeschlagen." + errorLine(code, systemText);
}

std::wstring componentOfAssembly(std::size_t number) {
    return L"das Bauteil " + std::to_wstring(number) + L" der Baugruppe";
}

std::wstring partOfAssembly(std::wstring_view name) {
    return L"das Teil \"" + std::wstring(name) + L"\"";
}

const std::wstring_view kNoMaterialSelected =
    L"Es ist kein Material ausgewählt; es wurde nichts geschrieben.";

std::wstring windowPartNotCreated(std::wstring_view window, std::wstring_view what,
                                  std::wstring_view call, std::int32_t code,
                                  std::wstring_view systemText) {
    return L"Das Fenster " + std::wstring(window) + L" kann nicht geöffnet werden: " +
           std::wstring(what) + L" konnte nicht angelegt werden (" + std::wstring(call) + L")." +
           errorLine(code, systemText);
}

std::wstring controlNamed(std::wstring_view name) {
    return L"das Steuerelement " + std::wstring(name);
}

}  // namespace velu::texts

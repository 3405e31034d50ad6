// The program's start on arbitrary velu.ini and default.ini files, then some clicks.
//
// Input: two bytes (little endian) give the length of the velu.ini part, one byte of flags
// (bit 0: decimal point instead of comma; bit 1: no velu.ini; bit 2: no default.ini; bits 3-4:
// the active document; bit 5: SolidWorks unreachable; bit 6: one automation call fails; bit 7:
// a material is assigned to the part), one byte choosing clicks; then velu.ini, then
// default.ini.
//
// Invariants: no crash or sanitizer report; the material names and densities have the same
// length and are exactly the file's catalogue when the file gives a valid one, else the
// built-in one; the material list shows the names with the right entry selected; the shown
// density is the stored one in the general number format and reads back to the same text;
// the message table has at least its nine roles; the apply-to menu marks follow the list;
// every automation object is released after a click; SolidWorks gets only the selected density.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "common/file_names.h"
#include "common/number_text.h"
#include "config/density_catalogue.h"
#include "config/ini_file.h"
#include "config/message_table.h"
#include "fake_cad.h"
#include "fakes.h"
#include "fuzz_check.h"
#include "windows1252.h"

namespace {

using velu::testing::FakeCad;

constexpr double kUntouched = -4711.25;

struct Expected {
    std::vector<std::wstring> names;
    std::vector<double> densities;
    int selected = 0;
    std::size_t messages = velu::config::kMessageRoles;
};

// What the start should come to, read with a reader of its own.
Expected expectedOf(const velu::FileSystem& files, const velu::AnsiCodePage& ansi,
                    const std::wstring& catalogue, const std::wstring& texts, wchar_t separator) {
    velu::config::ProfileReader ini(files, ansi);
    const velu::config::ProfileFile catalogueFile = ini.open(catalogue);
    Expected expected;
    const auto builtIn = velu::config::builtInCatalogue();
    expected.names = builtIn.names;
    expected.densities = builtIn.densities;
    expected.selected = builtIn.defaultIndex;

    const std::int16_t highest =
        catalogueFile.INIGetSettingInteger(L"Dichtewerte", L"Anzahl", -1).value;
    if (highest >= 0) {
        std::vector<std::wstring> names;
        std::vector<double> densities;
        bool valid = true;
        for (int i = 0; i <= highest && valid; ++i) {
            const std::wstring index = std::to_wstring(i);
            names.push_back(
                catalogueFile.INIGetSettingString(L"Dichtewerte", L"Name" + index, L""));
            const auto density = velu::parseNumber(
                catalogueFile.INIGetSettingString(L"Dichtewerte", L"Wert" + index, L""), separator);
            if (density) {
                densities.push_back(*density);
            } else {
                valid = false;
            }
        }
        if (valid) {
            expected.names = std::move(names);
            expected.densities = std::move(densities);
            const int wanted =
                catalogueFile.INIGetSettingInteger(L"Dichtewerte", L"default", 0).value;
            expected.selected = wanted >= 0 && wanted <= highest ? wanted : 0;
        }
    }
    const std::int16_t highestInfo =
        ini.open(texts).INIGetSettingInteger(L"messages", L"AnzahlInfo", -1).value;
    expected.messages =
        std::max<std::size_t>(velu::config::kMessageRoles, highestInfo >= 0 ? highestInfo + 1 : 0);
    return expected;
}

void checkWindow(velu::app::MainWindow& window, const Expected& expected, wchar_t separator) {
    const auto& names = window.materialNames();
    const auto& densities = window.materialDensities();
    FUZZ_CHECK(names.size() == densities.size());
    FUZZ_CHECK(names == expected.names);
    FUZZ_CHECK(densities == expected.densities);

    const auto& form = window.form();
    const auto& materials = form.cmbAuswahl;
    FUZZ_CHECK(materials.items() == names);
    const int index = materials.listIndex();
    FUZZ_CHECK(index >= 0 && index < static_cast<int>(densities.size()));

    const std::wstring& shown = form.lblAuswahlWert.caption();
    FUZZ_CHECK(shown == velu::formatGeneral(densities[static_cast<std::size_t>(index)], separator));
    const auto readBack = velu::parseNumber(shown, separator);
    FUZZ_CHECK(readBack.has_value());
    FUZZ_CHECK(velu::formatGeneral(*readBack, separator) == shown);

    FUZZ_CHECK(window.messageTexts().size() >= velu::config::kMessageRoles);
    FUZZ_CHECK(window.messageTexts().size() == expected.messages);

    const velu::forms::Control* marks[] = {&form.mnuAnwendenSystemStandard,
                                           &form.mnuAnwendenNurAktivesTeil,
                                           &form.mnuAnwendenAllPossible};
    const int mode = form.cmbAnwendenAuf.listIndex();
    if (mode >= 0 && mode <= 2) {
        for (int item = 0; item < 3; ++item) FUZZ_CHECK(marks[item]->checked() == (item == mode));
    }
}

// A click that may talk to SolidWorks: every object is let go again, and only the selected
// density is ever written.
void clickWithCad(velu::app::MainWindow& window, FakeCad& cad, velu::forms::Control& control) {
    cad.systemDensity = kUntouched;
    cad.documentDensity = kUntouched;
    window.form().click(control);
    FUZZ_CHECK(cad.liveObjects == 0);
    const int index = window.form().cmbAuswahl.listIndex();
    const double selected = window.materialDensities()[static_cast<std::size_t>(index)];
    FUZZ_CHECK(cad.systemDensity == kUntouched || cad.systemDensity == selected);
    FUZZ_CHECK(cad.documentDensity == kUntouched || cad.documentDensity == selected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    const std::size_t rest = size - 4;
    const std::size_t catalogueLength = std::min<std::size_t>(data[0] | data[1] << 8, rest);
    const std::uint8_t flags = data[2];
    const std::uint8_t clicks = data[3];
    const char* body = reinterpret_cast<const char*>(data + 4);

    velu::testing::RecordingBoxes boxes;
    velu::testing::MemoryFiles files;
    velu::Windows1252 ansi;
    const wchar_t separator = (flags & 1) ? L'.' : L',';
    velu::testing::FixedLocale locale(separator);
    velu::testing::RecordingProcess process;
    FakeCad cad;
    velu::config::ProfileReader profiles(files, ansi);

    static constexpr FakeCad::Document kDocuments[] = {
        FakeCad::Document::Part, FakeCad::Document::Assembly, FakeCad::Document::Drawing,
        FakeCad::Document::None};
    cad.activeDocument = kDocuments[(flags >> 3) & 3];
    if (flags & 0x20) cad.unreachable = L"Klasse nicht registriert";
    if (flags & 0x40) {
        static constexpr const wchar_t* kFailing[] = {L"app.ActiveDoc",
                                                      L"doc.Gettype",
                                                      L"app.SetUserPreferenceDoubleValue",
                                                      L"doc.SetUserPreferenceDoubleValue",
                                                      L"app.GetUserPreferenceDoubleValue",
                                                      L"doc.GetUserPreferenceDoubleValue",
                                                      L"app.Visible",
                                                      L"doc.GetMaterialPropertyName2"};
        cad.failures[kFailing[clicks & 7]] = static_cast<std::int32_t>(0x80010001);
    }
    // A material of the library on the part, with a density of its own.
    if (flags & 0x80) cad.material = FakeCad::Material{L"AISI 304", L"DB", 7900.0 + clicks};
    cad.systemWriteResult = (clicks & 0x40) == 0;
    cad.documentWriteResult = (clicks & 0x80) == 0;

    if (!(flags & 2)) files.writeBeside(L"velu.ini", std::string(body, catalogueLength));
    if (!(flags & 4)) {
        files.writeBeside(L"default.ini",
                          std::string(body + catalogueLength, rest - catalogueLength));
    }

    auto window = std::make_unique<velu::app::MainWindow>(
        velu::app::AppServices{boxes, files, locale, process, cad, profiles});
    window->Form_Load();

    const Expected expected = expectedOf(files, ansi, velu::catalogueFile(files),
                                         velu::interfaceTextFile(files), separator);
    checkWindow(*window, expected, separator);
    auto& form = window->form();
    FUZZ_CHECK(form.cmbAuswahl.listIndex() == expected.selected);

    // Another material: the shown density follows.
    const int count = static_cast<int>(form.cmbAuswahl.items().size());
    form.cmbAuswahl.setListIndex((clicks * 7919) % count);
    checkWindow(*window, expected, separator);

    velu::forms::Control* applyTo[] = {&form.mnuAnwendenSystemStandard,
                                       &form.mnuAnwendenNurAktivesTeil,
                                       &form.mnuAnwendenAllPossible};
    form.click(*applyTo[(clicks >> 1) % 3]);
    if (clicks & 0x08) form.click(form.mnuShowErrors);
    if (clicks & 0x10) form.click(form.mnuShowSuccess);
    if (clicks & 0x20) form.click(form.mnuAlwaysOnTop);
    checkWindow(*window, expected, separator);

    for (velu::forms::Control* control :
         {&form.cmdSetDensity, &form.cmdGetDensity, &form.mnuGetStandard, &form.cmdGetDensity,
          &form.chkSWXSystemStandard, &form.cmdSetDensity}) {
        clickWithCad(*window, cad, *control);
    }
    form.tick(form.timImage);
    FUZZ_CHECK(process.ended == 0);
    checkWindow(*window, expected, separator);
    return 0;
}

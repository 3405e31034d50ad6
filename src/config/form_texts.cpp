#include "config/form_texts.h"

#include <algorithm>

#include "common/number_text.h"

namespace velu::modVelumarDichte {
namespace {

using forms::Control;
using forms::PropertyValue;

// List entries are numbered with a 16-bit index.
constexpr long kMaxListEntries = 32768;

std::wstring text(const std::optional<PropertyValue>& value) {
    if (value) {
        if (const auto* t = std::get_if<std::wstring>(&*value)) return *t;
    }
    return L"";
}

long number(const std::optional<PropertyValue>& value) {
    if (value) {
        if (const auto* n = std::get_if<long>(&*value)) return *n;
    }
    return 0;
}

class ControlTexts {
  public:
    ControlTexts(Control& control, std::wstring section, config::IniFile& ini,
                 const std::wstring& path)
        : control_(control), section_(std::move(section)), ini_(ini), path_(path) {}

    // Reads a text key with the property's present value as default and assigns the result.
    void textProperty(const wchar_t* key) { control_.let(key, read(key, text(control_.get(key)))); }

    void list() {
        const long count = number(control_.get(L"ListCount"));
        std::vector<std::wstring> before;
        for (long i = 0; i < count; ++i) before.push_back(text(control_.get(L"List", i)));
        control_.call(L"Clear");

        const std::wstring countText = read(L"AnzahlListe", std::to_wstring(count));
        const long wanted =
            std::clamp(parseWholeNumber(countText).value_or(count), 0L, kMaxListEntries);
        for (long i = 0; i < wanted; ++i) {
            const std::wstring fallback = i < count ? before[static_cast<std::size_t>(i)] : L"";
            control_.call(L"AddItem", {read(L"AddItem" + std::to_wstring(i), fallback)});
        }

        textProperty(L"ToolTipText");

        const long present = number(control_.get(L"ListIndex"));
        const auto selected = parseWholeNumber(read(L"Default", std::to_wstring(present)));
        // A selection that is not a whole number or names no entry is ignored.
        if (selected && *selected >= -1 && *selected < wanted) {
            control_.let(L"ListIndex", *selected);
        }
    }

  private:
    std::wstring read(const std::wstring& key, const std::wstring& fallback) {
        return ini_.INIGetSettingString(section_, key, path_, fallback);
    }

    Control& control_;
    std::wstring section_;
    config::IniFile& ini_;
    const std::wstring& path_;
};

}  // namespace

bool FileExists(const FileSystem& files, const std::wstring& path) {
    if (path.empty()) return false;
    return files.isOrdinaryFile(path);
}

void LoadFormTexts(forms::Form& window, config::IniFile& ini, const FileSystem& files) {
    const std::wstring path = files.executableDirectory() + L"\\default.ini";
    if (!FileExists(files, path)) return;
    const config::IniFile::Snapshot snapshot(ini, path);

    for (const auto& owned : window.controls()) {
        Control& control = *owned;
        ControlTexts texts(control, window.name() + L"." + control.name(), ini, path);
        const std::wstring_view type = control.typeName();
        if (type == L"Menu") {
            texts.textProperty(L"Caption");
        } else if (type == L"Label" || type == L"CommandButton" || type == L"CheckBox" ||
                   type == L"Frame") {
            texts.textProperty(L"Caption");
            texts.textProperty(L"ToolTipText");
        } else if (type == L"Listbox" || type == L"ComboBox") {
            texts.list();
        }
    }
}

}  // namespace velu::modVelumarDichte

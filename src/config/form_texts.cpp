#include "config/form_texts.h"

#include <algorithm>

#include "common/file_names.h"
#include "common/number_text.h"

namespace velu::config {
namespace {

using forms::Control;
using forms::Kind;

// List entries are numbered with a 16-bit index.
constexpr long kMaxListEntries = 32768;

// The keys of one control's section.
class ControlTexts {
  public:
    ControlTexts(Control& control, const std::wstring& window, const config::ProfileFile& file)
        : control_(control), section_(window + L"." + control.name()), file_(file) {}

    void caption() { control_.setCaption(read(L"Caption", control_.caption())); }
    void headings() {
        const auto& columns = control_.definition().columns;
        for (std::size_t column = 0; column < control_.headings().size(); ++column) {
            const std::size_t key =
                column < columns.size() ? columns[column].key.value_or(column) : column;
            control_.setHeading(
                column, read(L"Spalte" + std::to_wstring(key), control_.headings()[column]));
        }
    }
    void toolTip() { control_.setToolTip(read(L"ToolTipText", control_.toolTip())); }

    // The entries are read with the list's former ones as defaults, so that a list without
    // keys gets its entries back, with nothing selected.
    void list() {
        const std::vector<std::wstring> before = control_.items();
        const auto count = static_cast<long>(before.size());
        control_.clear();

        const std::wstring countText = read(L"AnzahlListe", std::to_wstring(count));
        const long wanted =
            std::clamp(parseWholeNumber(countText).value_or(count), 0L, kMaxListEntries);
        for (long i = 0; i < wanted; ++i) {
            const std::wstring fallback = i < count ? before[static_cast<std::size_t>(i)] : L"";
            control_.addItem(read(L"AddItem" + std::to_wstring(i), fallback));
        }

        toolTip();

        const long present = control_.listIndex();
        const auto selected = parseWholeNumber(read(L"Default", std::to_wstring(present)));
        // A selection that is not a whole number or names no entry is ignored.
        if (selected && *selected >= -1 && *selected < wanted) control_.setListIndex(*selected);
    }

  private:
    std::wstring read(const std::wstring& key, const std::wstring& fallback) const {
        return file_.INIGetSettingString(section_, key, fallback);
    }

    Control& control_;
    std::wstring section_;
    const config::ProfileFile& file_;
};

}  // namespace

void LoadFormTexts(forms::Form& window, config::ProfileReader& profiles, const FileSystem& files) {
    const std::wstring path = interfaceTextFile(files);
    if (!FileExists(files, path)) return;
    const config::ProfileFile file = profiles.open(path);

    for (const auto& owned : window.controls()) {
        ControlTexts texts(*owned, window.name(), file);
        switch (owned->kind()) {
            case Kind::Menu:
                texts.caption();
                break;
            case Kind::Label:
            case Kind::CommandButton:
            case Kind::CheckBox:
            case Kind::Frame:
                texts.caption();
                texts.toolTip();
                break;
            case Kind::ComboBox:
            case Kind::ListBox:
                texts.list();
                break;
            case Kind::ListView:
                texts.headings();
                texts.toolTip();
                break;
            case Kind::ProgressBar:
            case Kind::Image:
            case Kind::Timer:
            case Kind::PictureBox:
            case Kind::Line:
                break;
        }
    }
}

}  // namespace velu::config

#pragma once
// A control of a form: its fixed definition and its live properties.
//
// Setters notify the form's observers (the Win32 binding mirrors them into windows) and raise
// the control's events synchronously, as the classic event model does: a list index or a
// check-box value that changes raises Click before the setter returns; a menu check mark
// raises nothing.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velu::forms {

class Form;

enum class Kind {
    Frame,
    Label,
    CommandButton,
    CheckBox,
    ComboBox,
    ListBox,
    Image,
    Timer,
    PictureBox,
    Line,
    Menu,
    ListView,  // a report list with check boxes, one row per entry, one column per heading
    ProgressBar
};

// The edges of the form a control keeps its distance to when the form is resized. A control
// held by left and right grows with the width; held by the right only, it moves.
enum Anchor : unsigned {
    AnchorLeft = 1u << 0,
    AnchorTop = 1u << 1,
    AnchorRight = 1u << 2,
    AnchorBottom = 1u << 3,
};

// A column of a list view: its built-in heading, and whether it holds numbers. Its width
// follows its heading and its cells.
struct ColumnDefinition {
    std::wstring heading;
    bool numeric = false;  // right-aligned
    // The number of the key that gives its heading in the interface text file ("Spalte3");
    // its position when none is given. A column added later keeps the keys of the others.
    std::optional<std::size_t> key;
};

// A row of a list view: the text of each column, and its check box.
struct ListRow {
    std::vector<std::wstring> cells;
    bool checked = false;
    bool checkable = true;  // false: the row shows no check box and cannot be ticked
    bool operator==(const ListRow&) const = default;
};

enum class Picture { None, Tool, Success, Error };

// Position and size in twips (1/1440 inch), relative to the container.
struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const TwipsRect&) const = default;
};

// Everything a control is given when its form is made; the tables of the windows are lists
// of these.
struct ControlDefinition {
    std::wstring name;
    Kind kind = Kind::Label;
    std::wstring container;  // name of the containing control; empty for the form itself
    TwipsRect rect{};
    std::optional<int> tabIndex;
    std::wstring caption;
    std::wstring toolTip;
    std::vector<std::wstring> items;
    Picture picture = Picture::None;
    bool visible = true;
    bool timerEnabled = false;
    int interval = 0;
    int menuLevel = 0;          // menu items: 1 in the menu bar, 2 in its menus, ...
    bool autoSize = false;      // a label that sizes itself to its text
    bool wordWrap = false;      // a label whose text wraps at word boundaries
    bool valueDisplay = false;  // a label that reads as a field (right-aligned)
    bool defaultButton = false;
    bool cancelButton = false;
    bool blackText = false;
    bool border = true;            // frames: whether the border is drawn
    std::uint32_t lineColour = 0;  // lines: 0x00BBGGRR
    int lineWidth = 1;             // lines: pixels at 96 dpi
    unsigned anchors = AnchorLeft | AnchorTop;
    std::vector<ColumnDefinition> columns;  // list views
    // Menu items of a control's context menu, which opens on a right click into the control:
    // the control's name. Such items are in no menu bar.
    std::wstring popupOf;
    // An item of a context menu the user also reaches with Ctrl and this capital letter while
    // its control has the focus; 0: none.
    wchar_t ctrlKey = 0;
};

// What changed, for the observers.
enum class Property {
    Caption,
    ToolTipText,
    ListItems,
    ListIndex,
    Value,
    Checked,
    Picture,
    TimerEnabled,
    Enabled,
    Visible,
    Columns,    // a heading of a list view
    Rows,       // the rows of a list view, all of them
    Selection,  // the rows of a list view the user selected
    Progress,
};

class Control {
  public:
    Control(Form& form, ControlDefinition definition, const Control* container);
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const ControlDefinition& definition() const { return definition_; }
    const std::wstring& name() const { return definition_.name; }
    Kind kind() const { return definition_.kind; }
    // The control that holds this one; nothing for the form itself.
    const Control* container() const { return container_; }
    // A menu item drawn as a separator line: its caption is a single "-".
    bool isSeparator() const { return kind() == Kind::Menu && caption_ == L"-"; }

    const std::wstring& caption() const { return caption_; }
    void setCaption(std::wstring caption);
    const std::wstring& toolTip() const { return toolTip_; }
    void setToolTip(std::wstring toolTip);

    // Lists. The list index is a 16-bit signed value; -1 means nothing is selected. Setting
    // an index outside -1..count-1 is refused (returns false) and changes nothing.
    const std::vector<std::wstring>& items() const { return items_; }
    void clear();
    void addItem(std::wstring item);
    // Appends the entries in order, as one change: what a loop of addItem does, at once.
    void addItems(const std::vector<std::wstring>& items);
    std::int16_t listIndex() const { return listIndex_; }
    bool setListIndex(int index);

    // Check box value: 0 clear, 1 ticked.
    int value() const { return value_; }
    void setValue(int value);

    // Menu check mark.
    bool checked() const { return checked_; }
    void setChecked(bool checked);

    Picture picture() const { return picture_; }
    void setPicture(Picture picture);

    bool timerEnabled() const { return timerEnabled_; }
    void setTimerEnabled(bool enabled);
    int interval() const { return definition_.interval; }

    // Whether the user can use the control (a button that is not enabled is greyed).
    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    bool visible() const { return visible_; }
    void setVisible(bool visible);

    // List views. The headings start as the definition's and may be replaced; the rows are
    // set as a whole or one at a time; a row's check box changes by the user or by code.
    const std::vector<std::wstring>& headings() const { return headings_; }
    void setHeading(std::size_t column, std::wstring heading);
    const std::vector<ListRow>& rows() const { return rows_; }
    void setRows(std::vector<ListRow> rows);
    void setRow(std::size_t index, ListRow row);
    // A row that cannot be ticked stays clear, and while the ticks are locked none changes;
    // false when the change was refused.
    bool setRowChecked(std::size_t index, bool checked);
    // While work runs on the ticked rows, their ticks stay as they are.
    void lockTicks(bool locked) { ticksLocked_ = locked; }
    bool ticksLocked() const { return ticksLocked_; }
    // The rows the user selected, which have nothing to do with their ticks; setting the rows
    // anew selects none. The window tells of the user's selection, which it shows already;
    // selecting every row is the program's, and the window is told.
    bool rowSelected(std::size_t index) const {
        return index < selected_.size() && selected_[index];
    }
    void setRowSelected(std::size_t index, bool selected);
    void selectAllRows();
    // The column whose heading the user clicked last; its ColumnClick event reads it.
    std::size_t clickedColumn() const { return clickedColumn_; }
    void clickHeading(std::size_t column);

    // Progress bars: how far the work has come, of how much; or that work goes on whose
    // amount is not known yet.
    std::size_t progress() const { return progress_; }
    std::size_t progressMaximum() const { return progressMaximum_; }
    bool progressKnown() const { return progressKnown_; }
    void setProgress(std::size_t done, std::size_t maximum);
    void setProgressUnknown();

  private:
    void changed(Property property);
    void rowChanged(std::size_t index);

    Form& form_;
    ControlDefinition definition_;
    const Control* container_;
    std::wstring caption_;
    std::wstring toolTip_;
    std::vector<std::wstring> items_;
    std::int16_t listIndex_ = -1;
    int value_ = 0;
    bool checked_ = false;
    Picture picture_;
    bool timerEnabled_;
    bool enabled_ = true;
    bool visible_;
    std::vector<std::wstring> headings_;
    std::vector<ListRow> rows_;
    std::vector<bool> selected_;
    bool ticksLocked_ = false;
    std::size_t clickedColumn_ = 0;
    std::size_t progress_ = 0;
    std::size_t progressMaximum_ = 0;
    bool progressKnown_ = true;
};

}  // namespace velu::forms

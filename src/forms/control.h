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
    Menu
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
    TimerEnabled
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

  private:
    void changed(Property property);

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
};

}  // namespace velu::forms

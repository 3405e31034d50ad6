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
#include <string_view>
#include <variant>
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

// The type name a control reports, as the interface text loader compares it.
std::wstring_view typeNameOf(Kind kind);

enum class Picture { None, Tool, Success, Error };

// Position and size in twips (1/1440 inch), relative to the container.
struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const TwipsRect&) const = default;
};

enum class MenuRole { Menu, Command, Option, Separator };

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
    int menuLevel = 0;
    MenuRole menuRole = MenuRole::Command;
    bool autoSize = false;      // a label that sizes itself to its text
    bool wordWrap = false;      // a label whose text wraps at word boundaries
    bool valueDisplay = false;  // a label that reads as a field (right-aligned, bordered)
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

// A value of the generic property interface: text or a whole number.
using PropertyValue = std::variant<std::wstring, long>;

class Control {
  public:
    Control(Form& form, ControlDefinition definition);
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const ControlDefinition& definition() const { return definition_; }
    const std::wstring& name() const { return definition_.name; }
    Kind kind() const { return definition_.kind; }
    std::wstring_view typeName() const { return typeNameOf(definition_.kind); }

    const std::wstring& caption() const { return caption_; }
    void setCaption(std::wstring caption);
    const std::wstring& toolTip() const { return toolTip_; }
    void setToolTip(std::wstring toolTip);

    // Lists. The list index is a 16-bit signed value; -1 means nothing is selected. Setting
    // an index outside -1..count-1 is refused (returns false) and changes nothing.
    std::size_t listCount() const { return items_.size(); }
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

    // The generic interface by name, the way late binding reaches a control: properties
    // "Caption", "ToolTipText", "ListCount", "List" (with an index), "ListIndex"; methods
    // "Clear" and "AddItem". Names the control's kind does not have give nothing / false.
    std::optional<PropertyValue> get(std::wstring_view property,
                                     std::optional<long> index = std::nullopt) const;
    bool let(std::wstring_view property, const PropertyValue& value);
    bool call(std::wstring_view method, const std::vector<PropertyValue>& arguments = {});

  private:
    bool hasCaption() const;
    bool hasToolTip() const;
    bool isList() const;
    void changed(Property property);

    Form& form_;
    ControlDefinition definition_;
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

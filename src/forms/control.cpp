#include "forms/control.h"

#include "forms/form.h"

namespace velu::forms {

std::wstring_view typeNameOf(Kind kind) {
    switch (kind) {
        case Kind::Frame:
            return L"Frame";
        case Kind::Label:
            return L"Label";
        case Kind::CommandButton:
            return L"CommandButton";
        case Kind::CheckBox:
            return L"CheckBox";
        case Kind::ComboBox:
            return L"ComboBox";
        case Kind::ListBox:
            return L"Listbox";
        case Kind::Image:
            return L"Image";
        case Kind::Timer:
            return L"Timer";
        case Kind::PictureBox:
            return L"PictureBox";
        case Kind::Line:
            return L"Line";
        case Kind::Menu:
            return L"Menu";
    }
    return L"";
}

Control::Control(Form& form, ControlDefinition definition)
    : form_(form),
      definition_(std::move(definition)),
      caption_(definition_.caption),
      toolTip_(definition_.toolTip),
      items_(definition_.items),
      picture_(definition_.picture),
      timerEnabled_(definition_.timerEnabled) {}

void Control::changed(Property property) {
    form_.notify(*this, property);
}

void Control::setCaption(std::wstring caption) {
    caption_ = std::move(caption);
    changed(Property::Caption);
}

void Control::setToolTip(std::wstring toolTip) {
    toolTip_ = std::move(toolTip);
    changed(Property::ToolTipText);
}

void Control::clear() {
    items_.clear();
    listIndex_ = -1;
    changed(Property::ListItems);
}

void Control::addItem(std::wstring item) {
    items_.push_back(std::move(item));
    changed(Property::ListItems);
}

void Control::addItems(const std::vector<std::wstring>& items) {
    items_.insert(items_.end(), items.begin(), items.end());
    changed(Property::ListItems);
}

bool Control::setListIndex(int index) {
    if (index < -1 || index >= static_cast<int>(items_.size()) || index > INT16_MAX) return false;
    if (index == listIndex_) return true;
    listIndex_ = static_cast<std::int16_t>(index);
    changed(Property::ListIndex);
    form_.raise(*this, Event::Click);
    return true;
}

void Control::setValue(int value) {
    if (value == value_) return;
    value_ = value;
    changed(Property::Value);
    form_.raise(*this, Event::Click);
}

void Control::setChecked(bool checked) {
    checked_ = checked;
    changed(Property::Checked);
}

void Control::setPicture(Picture picture) {
    picture_ = picture;
    changed(Property::Picture);
}

void Control::setTimerEnabled(bool enabled) {
    timerEnabled_ = enabled;
    changed(Property::TimerEnabled);
}

bool Control::hasCaption() const {
    switch (kind()) {
        case Kind::Frame:
        case Kind::Label:
        case Kind::CommandButton:
        case Kind::CheckBox:
        case Kind::Menu:
            return true;
        default:
            return false;
    }
}

bool Control::hasToolTip() const {
    return kind() != Kind::Menu && kind() != Kind::Timer && kind() != Kind::Line;
}

bool Control::isList() const {
    return kind() == Kind::ComboBox || kind() == Kind::ListBox;
}

std::optional<PropertyValue> Control::get(std::wstring_view property,
                                          std::optional<long> index) const {
    if (property == L"Caption" && hasCaption()) return caption_;
    if (property == L"ToolTipText" && hasToolTip()) return toolTip_;
    if (isList()) {
        if (property == L"ListCount") return static_cast<long>(items_.size());
        if (property == L"ListIndex") return static_cast<long>(listIndex_);
        if (property == L"List" && index && *index >= 0 &&
            *index < static_cast<long>(items_.size())) {
            return items_[static_cast<std::size_t>(*index)];
        }
    }
    return std::nullopt;
}

bool Control::let(std::wstring_view property, const PropertyValue& value) {
    const auto* text = std::get_if<std::wstring>(&value);
    const auto* number = std::get_if<long>(&value);
    if (property == L"Caption" && hasCaption() && text) {
        setCaption(*text);
        return true;
    }
    if (property == L"ToolTipText" && hasToolTip() && text) {
        setToolTip(*text);
        return true;
    }
    if (property == L"ListIndex" && isList() && number) return setListIndex(*number);
    return false;
}

bool Control::call(std::wstring_view method, const std::vector<PropertyValue>& arguments) {
    if (!isList()) return false;
    if (method == L"Clear" && arguments.empty()) {
        clear();
        return true;
    }
    if (method == L"AddItem" && arguments.size() == 1) {
        if (const auto* text = std::get_if<std::wstring>(&arguments[0])) {
            addItem(*text);
            return true;
        }
    }
    return false;
}

}  // namespace velu::forms

#include "forms/control.h"

#include "forms/form.h"

namespace velu::forms {

Control::Control(Form& form, ControlDefinition definition, const Control* container)
    : form_(form),
      definition_(std::move(definition)),
      container_(container),
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

}  // namespace velu::forms

#include "forms/control.h"

#include <algorithm>

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
      timerEnabled_(definition_.timerEnabled),
      visible_(definition_.visible) {
    for (const auto& column : definition_.columns) headings_.push_back(column.heading);
}

void Control::changed(Property property) {
    form_.notify(*this, property);
}

void Control::rowChanged(std::size_t index) {
    form_.notifyRow(*this, index);
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

void Control::setEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    changed(Property::Enabled);
}

void Control::setVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    changed(Property::Visible);
}

void Control::setHeading(std::size_t column, std::wstring heading) {
    if (column >= headings_.size()) return;
    headings_[column] = std::move(heading);
    changed(Property::Columns);
}

void Control::setRows(std::vector<ListRow> rows) {
    for (auto& row : rows) row.checked = row.checked && row.checkable;
    rows_ = std::move(rows);
    selected_.assign(rows_.size(), false);
    changed(Property::Rows);
}

void Control::setRow(std::size_t index, ListRow row) {
    if (index >= rows_.size()) return;
    row.checked = row.checked && row.checkable;
    if (row == rows_[index]) return;
    rows_[index] = std::move(row);
    rowChanged(index);
}

bool Control::setRowChecked(std::size_t index, bool checked) {
    if (index >= rows_.size()) return false;
    ListRow& row = rows_[index];
    if ((checked && !row.checkable) || (ticksLocked_ && checked != row.checked)) {
        // The window may have changed it already: it learns that the row stays as it was.
        rowChanged(index);
        return false;
    }
    if (row.checked != checked) {
        row.checked = checked;
        rowChanged(index);
        form_.raise(*this, Event::Click);
    }
    return true;
}

void Control::setRowSelected(std::size_t index, bool selected) {
    if (index < selected_.size()) selected_[index] = selected;
}

void Control::selectAllRows() {
    selected_.assign(rows_.size(), true);
    changed(Property::Selection);
}

void Control::clickHeading(std::size_t column) {
    clickedColumn_ = column;
    form_.raise(*this, Event::ColumnClick);
}

void Control::setProgress(std::size_t done, std::size_t maximum) {
    progress_ = std::min(done, maximum);
    progressMaximum_ = maximum;
    progressKnown_ = true;
    changed(Property::Progress);
}

void Control::setProgressUnknown() {
    progress_ = 0;
    progressMaximum_ = 0;
    progressKnown_ = false;
    changed(Property::Progress);
}

}  // namespace velu::forms

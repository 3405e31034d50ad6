#include "forms/form.h"

#include <algorithm>
#include <stdexcept>

#include "support/text.h"

namespace velu::forms {

Form::Form(std::wstring name, std::wstring caption, TwipsRect clientArea)
    : name_(std::move(name)), caption_(std::move(caption)), clientArea_(clientArea) {}

void Form::setCaption(std::wstring caption) {
    caption_ = std::move(caption);
    for (FormObserver* observer : observers_) observer->captionChanged(*this);
}

Control& Form::add(ControlDefinition definition) {
    controls_.push_back(std::make_unique<Control>(*this, std::move(definition)));
    return *controls_.back();
}

void Form::addAll(const std::vector<ControlDefinition>& definitions) {
    for (const auto& definition : definitions) add(definition);
}

Control* Form::find(std::wstring_view name) const {
    for (const auto& control : controls_) {
        if (control->name() == name) return control.get();
    }
    return nullptr;
}

Control& Form::control(std::wstring_view name) const {
    if (Control* found = find(name)) return *found;
    throw std::out_of_range("no control " + text::toUtf8(name) + " on " + text::toUtf8(name_));
}

void Form::on(std::wstring_view control, Event event, std::function<void()> handler) {
    handlers_[{std::wstring(control), event}] = std::move(handler);
}

void Form::raise(const Control& control, Event event) {
    const auto handler = handlers_.find({control.name(), event});
    if (handler != handlers_.end()) handler->second();
}

void Form::click(std::wstring_view name) {
    Control& target = control(name);
    if (target.kind() == Kind::CheckBox) {
        target.setValue(target.value() == 0 ? 1 : 0);
    } else {
        raise(target, Event::Click);
    }
}

void Form::tick(std::wstring_view timer) {
    Control& target = control(timer);
    if (target.timerEnabled()) raise(target, Event::Timer);
}

void Form::addObserver(FormObserver* observer) {
    observers_.push_back(observer);
}

void Form::removeObserver(FormObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void Form::notify(const Control& control, Property property) {
    for (FormObserver* observer : observers_) observer->controlChanged(control, property);
}

}  // namespace velu::forms

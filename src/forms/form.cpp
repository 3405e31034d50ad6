#include "forms/form.h"

#include <algorithm>
#include <stdexcept>

#include "support/text.h"

namespace velu::forms {

Form::Form(std::wstring name, std::wstring caption, TwipsRect clientArea)
    : name_(std::move(name)), caption_(std::move(caption)), clientArea_(clientArea) {}

Form::~Form() {
    const auto observers = std::move(observers_);
    observers_.clear();
    for (FormObserver* observer : observers) observer->formDestroyed(*this);
}

void Form::setCaption(std::wstring caption) {
    caption_ = std::move(caption);
    for (FormObserver* observer : observers_) observer->captionChanged(*this);
}

void Form::keepOnTop(bool topmost) {
    for (FormObserver* observer : observers_) observer->layerRequested(*this, topmost);
}

Control& Form::add(ControlDefinition definition) {
    const Control* container = nullptr;
    if (!definition.container.empty()) {
        container = find(definition.container);
        if (!container) {
            throw std::logic_error("the container " + text::toUtf8(definition.container) + " of " +
                                   text::toUtf8(definition.name) + " comes later");
        }
    }
    controls_.push_back(std::make_unique<Control>(*this, std::move(definition), container));
    return *controls_.back();
}

Control* Form::find(std::wstring_view name) const {
    for (const auto& control : controls_) {
        if (control->name() == name) return control.get();
    }
    return nullptr;
}

void Form::on(const Control& control, Event event, std::function<void()> handler) {
    handlers_[{&control, event}] = std::move(handler);
}

void Form::raise(const Control& control, Event event) {
    const auto handler = handlers_.find({&control, event});
    if (handler != handlers_.end()) handler->second();
}

void Form::click(Control& control) {
    if (control.kind() == Kind::CheckBox) {
        control.setValue(control.value() == 0 ? 1 : 0);
    } else {
        raise(control, Event::Click);
    }
}

void Form::tick(const Control& timer) {
    if (timer.timerEnabled()) raise(timer, Event::Timer);
}

void Form::startWork(std::function<bool()> step) {
    work_ = std::move(step);
    ++workStarts_;
    for (FormObserver* observer : observers_) observer->workStarted(*this);
}

bool Form::runWork() {
    if (!work_) return false;
    if (stepping_) return true;
    stepping_ = true;
    // The step may stop the work or start other work; the step that runs stays alive.
    const auto step = work_;
    const auto starts = workStarts_;
    const bool more = step();
    stepping_ = false;
    if (!more && starts == workStarts_) work_ = nullptr;
    return working();
}

void Form::addObserver(FormObserver* observer) {
    observers_.push_back(observer);
}

void Form::removeObserver(FormObserver* observer) {
    std::erase(observers_, observer);
}

void Form::notify(const Control& control, Property property) {
    // An observer may remove itself or another while it is told: each is looked up afresh.
    const auto observers = observers_;
    for (FormObserver* observer : observers) {
        if (std::find(observers_.begin(), observers_.end(), observer) != observers_.end()) {
            observer->controlChanged(control, property);
        }
    }
}

void Form::notifyRow(const Control& control, std::size_t row) {
    for (FormObserver* observer : observers_) observer->rowChanged(control, row);
}

}  // namespace velu::forms

#pragma once
// A form: a named window with an ordered collection of controls and their event handlers.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "forms/control.h"

namespace velu::forms {

enum class Event { Click, Timer };

class FormObserver {
  public:
    virtual ~FormObserver() = default;
    virtual void controlChanged(const Control& control, Property property) = 0;
    virtual void captionChanged(const Form& /*form*/) {}
};

class Form {
  public:
    Form(std::wstring name, std::wstring caption, TwipsRect clientArea);
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const std::wstring& name() const { return name_; }
    const std::wstring& caption() const { return caption_; }
    void setCaption(std::wstring caption);
    const TwipsRect& clientArea() const { return clientArea_; }

    Control& add(ControlDefinition definition);
    void addAll(const std::vector<ControlDefinition>& definitions);

    // The controls in creation order.
    const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }
    Control& control(std::wstring_view name) const;
    Control* find(std::wstring_view name) const;

    // Binds a handler, named in the program as control, underscore, event.
    void on(std::wstring_view control, Event event, std::function<void()> handler);
    // Runs the handler of the control's event, if there is one.
    void raise(const Control& control, Event event);
    // A user's click on a button, menu item or check box.
    void click(std::wstring_view control);
    // The timer's interval has elapsed: raises its Timer event while it is enabled.
    void tick(std::wstring_view timer);

    void addObserver(FormObserver* observer);
    void removeObserver(FormObserver* observer);
    void notify(const Control& control, Property property);

  private:
    std::wstring name_;
    std::wstring caption_;
    TwipsRect clientArea_;
    std::vector<std::unique_ptr<Control>> controls_;
    std::map<std::pair<std::wstring, Event>, std::function<void()>> handlers_;
    std::vector<FormObserver*> observers_;
};

}  // namespace velu::forms

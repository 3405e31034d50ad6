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

enum class Event { Click, Timer, ColumnClick };

class FormObserver {
  public:
    virtual ~FormObserver() = default;
    virtual void controlChanged(const Control& control, Property property) = 0;
    // One row of a list view changed: its texts or its check box.
    virtual void rowChanged(const Control& /*control*/, std::size_t /*row*/) {}
    virtual void captionChanged(const Form& /*form*/) {}
    // The form asks to be kept above other windows, or to be an ordinary window again.
    virtual void layerRequested(const Form& /*form*/, bool /*topmost*/) {}
    // The form has work to do in steps: the window is to run them between the user's input.
    virtual void workStarted(const Form& /*form*/) {}
    // The form is going: the observer must not touch it from now on.
    virtual void formDestroyed(const Form& /*form*/) {}
};

class Form {
  public:
    Form(std::wstring name, std::wstring caption, TwipsRect clientArea);
    // Tells the observers that are left that the form is gone.
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const std::wstring& name() const { return name_; }
    const std::wstring& caption() const { return caption_; }
    void setCaption(std::wstring caption);
    const TwipsRect& clientArea() const { return clientArea_; }

    // Puts the form's window into the topmost layer or back into the ordinary one; it keeps
    // its place and size.
    void keepOnTop(bool topmost);

    // Adds a control after the others; its container, if it names one, must be there already.
    Control& add(ControlDefinition definition);

    // The controls in creation order.
    const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }
    // The control of that name, as a file names it; nothing when there is none.
    Control* find(std::wstring_view name) const;

    // Binds a handler, named in the program as control, underscore, event.
    void on(const Control& control, Event event, std::function<void()> handler);
    // Runs the handler of the control's event, if there is one.
    void raise(const Control& control, Event event);
    // A user's click on a button, menu item or check box.
    void click(Control& control);
    // The timer's interval has elapsed: raises its Timer event while it is enabled.
    void tick(const Control& timer);

    // Long work that goes on while the window stays usable: the window runs `step` from its
    // message loop again and again, with the user's input in between, until it returns false
    // or the work is stopped. A step does a slice of the work and returns.
    void startWork(std::function<bool()> step);
    void stopWork() { work_ = nullptr; }
    bool working() const { return static_cast<bool>(work_); }
    // Whether a step runs now (a message loop it runs itself may be asked for the next one).
    bool stepping() const { return stepping_; }
    // Runs one step; true while there is more to do. A step that is running is not entered
    // again from a message loop it runs itself.
    bool runWork();

    void addObserver(FormObserver* observer);
    // An observer removed is never notified again, not even by a notification under way.
    void removeObserver(FormObserver* observer);
    void notify(const Control& control, Property property);
    void notifyRow(const Control& control, std::size_t row);

  private:
    std::wstring name_;
    std::wstring caption_;
    TwipsRect clientArea_;
    std::vector<std::unique_ptr<Control>> controls_;
    std::map<std::pair<const Control*, Event>, std::function<void()>> handlers_;
    std::vector<FormObserver*> observers_;
    std::function<bool()> work_;
    unsigned workStarts_ = 0;
    bool stepping_ = false;
};

}  // namespace velu::forms

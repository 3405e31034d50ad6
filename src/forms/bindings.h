#pragma once
// Binding a window's handlers to its controls' events from one table, so that a window's
// events and the handlers that serve them are read in one place.

#include <cstddef>

#include "forms/form.h"

namespace velu::forms {

template <typename Window>
struct Binding {
    const Control& control;
    Event event;
    void (Window::*handler)();
};

// Binds each row's handler, run on `window`, to the event of the row's control.
template <typename Window, std::size_t Rows>
void bind(Form& form, Window& window, const Binding<Window> (&bindings)[Rows]) {
    for (const auto& binding : bindings) {
        form.on(binding.control, binding.event,
                [&window, handler = binding.handler] { (window.*handler)(); });
    }
}

}  // namespace velu::forms

#include "app/always_on_top.h"

namespace velu::app {

void SetAlwaysOnTop(forms::Form& window, std::int16_t onTop) {
    window.keepOnTop(onTop != 0);
}

}  // namespace velu::app

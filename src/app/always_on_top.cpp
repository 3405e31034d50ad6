#include "app/always_on_top.h"

namespace velu::modVelumarDichte {

void SetAlwaysOnTop(app::WindowLayer& layer, const forms::Form& window, std::int16_t onTop) {
    layer.setTopmost(window, onTop != 0);
}

}  // namespace velu::modVelumarDichte

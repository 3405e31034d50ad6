#include "win32/context_menu.h"

#include <vector>

#include "win32/support/user.h"

namespace velu::win32 {
namespace {

std::vector<forms::Control*> itemsOf(const forms::Form& form, const forms::Control& owner) {
    std::vector<forms::Control*> items;
    for (const auto& control : form.controls()) {
        if (control->kind() == forms::Kind::Menu && control->visible() &&
            control->definition().popupOf == owner.name()) {
            items.push_back(control.get());
        }
    }
    return items;
}

}  // namespace

forms::Control* chooseFromContextMenu(const forms::Form& form, const forms::Control& owner,
                                      HWND control, POINT at) {
    const std::vector<forms::Control*> items = itemsOf(form, owner);
    if (items.empty()) return nullptr;
    const UniqueMenu menu(::CreatePopupMenu());
    if (!menu) return nullptr;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const UINT flags = MF_STRING | (items[i]->enabled() ? MF_ENABLED : MF_GRAYED);
        ::AppendMenuW(menu.get(), flags, i + 1, items[i]->caption().c_str());
    }
    if (at.x == -1 && at.y == -1) {
        RECT corner{};
        ::GetWindowRect(control, &corner);
        at = {corner.left, corner.top};
    }
    const auto chosen = static_cast<std::size_t>(
        ::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0,
                         ::GetParent(control), nullptr));
    return chosen >= 1 && chosen <= items.size() ? items[chosen - 1] : nullptr;
}

forms::Control* contextItemForKey(const forms::Form& form, const forms::Control& owner,
                                  WORD virtualKey) {
    for (forms::Control* item : itemsOf(form, owner)) {
        if (item->definition().ctrlKey != 0 &&
            static_cast<WORD>(item->definition().ctrlKey) == virtualKey) {
            return item;
        }
    }
    return nullptr;
}

}  // namespace velu::win32

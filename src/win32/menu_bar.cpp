#include "win32/menu_bar.h"

#include <string>

#include "common/program_texts.h"
#include "win32/creation_error.h"

namespace velu::win32 {

MenuBar::MenuBar(const forms::Form& form, HWND window, UINT firstId)
    : window_(window), formName_(form.name()) {
    std::vector<forms::Control*> menuItems;
    for (const auto& owned : form.controls()) {
        // The items of a context menu are in no menu bar.
        if (owned->kind() == forms::Kind::Menu && owned->definition().popupOf.empty()) {
            menuItems.push_back(owned.get());
        }
    }
    if (menuItems.empty()) return;
    const HMENU bar = created(::CreateMenu(), formName_, L"die Menüleiste", L"CreateMenu");
    std::vector<HMENU> levels{bar};  // levels[n - 1] holds the items of level n
    UINT id = firstId;
    for (std::size_t i = 0; i < menuItems.size(); ++i) {
        forms::Control& control = *menuItems[i];
        const auto level = static_cast<std::size_t>(control.definition().menuLevel);
        levels.resize(level);
        // An item opens a menu when the items that follow it are one level deeper.
        const bool opensMenu = i + 1 < menuItems.size() &&
                               menuItems[i + 1]->definition().menuLevel > static_cast<int>(level);
        Item item{&control, opensMenu ? 0 : id++, levels[level - 1], nullptr, false};
        if (opensMenu) {
            item.popup = created(::CreatePopupMenu(), formName_,
                                 L"das Menü " + std::wstring(control.name()), L"CreatePopupMenu");
            levels.push_back(item.popup);
        }
        items_.push_back(item);
        if (control.visible()) insert(items_.back());
    }
    if (!::SetMenu(window_, bar)) creationFailed(formName_, L"die Menüleiste", L"SetMenu");
}

MenuBar::Item* MenuBar::find(const forms::Control& control) {
    for (auto& item : items_) {
        if (item.control == &control) return &item;
    }
    return nullptr;
}

forms::Control* MenuBar::itemWithId(UINT id) const {
    for (const auto& item : items_) {
        if (!item.popup && item.id == id) return item.control;
    }
    return nullptr;
}

UINT MenuBar::commandId(const forms::Control& control) const {
    for (const auto& item : items_) {
        if (item.control == &control) return item.id;
    }
    return 0;
}

UINT MenuBar::position(const Item& item) const {
    UINT position = 0;
    for (const auto& other : items_) {
        if (&other == &item) break;
        if (other.parent == item.parent && other.shown) ++position;
    }
    return position;
}

void MenuBar::insert(Item& item) {
    const forms::Control& control = *item.control;
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_STATE | MIIM_ID | MIIM_SUBMENU;
    std::wstring caption = control.caption();
    const bool separator = control.isSeparator() && !item.popup;
    info.fType = separator ? MFT_SEPARATOR : MFT_STRING;
    info.dwTypeData = separator ? nullptr : caption.data();
    info.fState = control.checked() ? MFS_CHECKED : MFS_UNCHECKED;
    info.wID = item.id;
    info.hSubMenu = item.popup;
    if (!::InsertMenuItemW(item.parent, position(item), TRUE, &info)) {
        creationFailed(formName_, L"der Menüpunkt " + std::wstring(control.name()),
                       L"InsertMenuItemW");
    }
    item.shown = true;
}

void MenuBar::update(const forms::Control& control) {
    Item* found = find(control);
    if (!found) return;
    Item& item = *found;
    if (item.shown) {
        ::RemoveMenu(item.parent, position(item), MF_BYPOSITION);
        item.shown = false;
    }
    if (control.visible()) insert(item);
    if (item.parent == ::GetMenu(window_)) ::DrawMenuBar(window_);
}

}  // namespace velu::win32

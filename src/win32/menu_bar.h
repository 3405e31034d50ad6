#pragma once
// The menu bar of a form, built from its menu items in menu order (the level of an item gives
// the nesting), with each item's caption, check mark and visibility kept as the model says.

#include <windows.h>

#include <string_view>
#include <vector>

#include "forms/form.h"

namespace velu::win32 {

class MenuBar {
  public:
    // Builds the bar and gives it to the window; a form without menu items gets none. Command
    // ids count up from firstId. Throws CreationError when a menu or an item cannot be made.
    MenuBar(const forms::Form& form, HWND window, UINT firstId);

    bool empty() const { return items_.empty(); }
    // The item with this command id (no item that opens a menu has one); nothing otherwise.
    forms::Control* itemWithId(UINT id) const;
    UINT commandId(const forms::Control& control) const;
    // Shows the item as the model has it now: caption, check mark, in the menu or not.
    void update(const forms::Control& item);

  private:
    struct Item {
        forms::Control* control;
        UINT id;
        HMENU parent;  // the menu that holds the item
        HMENU popup;   // the menu the item opens, if it opens one
        bool shown;    // whether the item is in its menu now
    };

    Item* find(const forms::Control& control);
    // Where the item stands in its menu: after the shown items before it.
    UINT position(const Item& item) const;
    void insert(Item& item);

    HWND window_;
    std::wstring_view formName_;
    std::vector<Item> items_;
};

}  // namespace velu::win32

#pragma once
// A report list with check boxes (SysListView32) showing a list view control of the form
// model: its headings, its rows and their check boxes, and what the user does to them.

#include <windows.h>

#include <commctrl.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "forms/control.h"
#include "win32/support/gdi.h"

namespace velu::win32 {

class ListViewWindow {
  public:
    // Makes the list as a child of the parent with the columns of the control's definition.
    // Throws CreationError when it cannot.
    ListViewWindow(const forms::Control& control, HWND parent, UINT id, HINSTANCE instance,
                   std::wstring_view formName);
    HWND handle() const { return window_; }

    // The headings as the control has them now; the widths follow the headings and cells.
    void showHeadings();
    // Every row anew, and then the column widths.
    void showRows();
    // Which rows are selected, as the control has it.
    void showSelection();
    void showRow(std::size_t index);
    // Column widths at a new DPI: each wide enough for its heading and its widest cell.
    void fitColumns();

    // What a notification of the list means for the model.
    struct Notice {
        enum class Kind { None, Ticked, HeadingClicked, CtrlKey } kind = Kind::None;
        std::size_t index = 0;  // the row, the column, or the key's virtual-key code
        bool checked = false;
        // The row's selection, where the user changed it (also with a tick, or alone).
        std::optional<bool> selected;
    };
    // Reads a WM_NOTIFY of this list. `refuse` is set when the change must not happen (a row
    // that cannot be ticked); the window procedure answers TRUE for it.
    Notice read(const NMHDR& header, bool& refuse) const;

  private:
    // What sizing a column takes: the margins beside a text and the check boxes at the
    // window's DPI, and the fonts of the headings and of the cells.
    struct Measures {
        explicit Measures(HWND list);
        int cellWidth(const forms::ListRow& row, std::size_t column) const;
        int margins;
        int checkBoxes = 0;
        TextMeasure headings;
        TextMeasure cells;
    };
    void widenColumns(const forms::ListRow& row);
    void setCells(int item, const forms::ListRow& row);
    void setCheck(int item, const forms::ListRow& row);

    const forms::Control& control_;
    HWND window_ = nullptr;
    // While the program itself changes the rows, the list's notifications are its own echo.
    bool showing_ = false;
};

}  // namespace velu::win32

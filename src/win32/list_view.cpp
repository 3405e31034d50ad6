#include "win32/list_view.h"

#include <algorithm>

#include "common/program_texts.h"
#include "win32/creation_error.h"
#include "win32/support/gdi.h"

namespace velu::win32 {
namespace {

// The check box images of LVS_EX_CHECKBOXES, by their numbers.
enum CheckImage : UINT { kNoCheckBox, kClear, kTicked };
// Room beside a heading's or a cell's text, at 96 dpi: the header draws three edges of margin
// on either side.
constexpr int kMarginPixels = 16;

UINT checkImage(const forms::ListRow& row) {
    if (!row.checkable) return kNoCheckBox;
    return row.checked ? kTicked : kClear;
}

}  // namespace

ListViewWindow::ListViewWindow(const forms::Control& control, HWND parent, UINT id,
                               HINSTANCE instance, std::wstring_view formName)
    : control_(control),
      window_(created(::CreateWindowExW(
                          WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0,
                          10, 10, parent, reinterpret_cast<HMENU>(UINT_PTR{id}), instance, nullptr),
                      formName, texts::controlNamed(control.name()), L"CreateWindowExW")) {
    ListView_SetExtendedListViewStyle(window_, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    const auto& columns = control.definition().columns;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.fmt = columns[i].numeric && i > 0 ? LVCFMT_RIGHT : LVCFMT_LEFT;
        std::wstring heading = control.headings()[i];
        column.pszText = heading.data();
        column.cx = 50;
        column.iSubItem = static_cast<int>(i);
        ListView_InsertColumn(window_, static_cast<int>(i), &column);
    }
    showRows();
}

void ListViewWindow::showHeadings() {
    for (std::size_t i = 0; i < control_.headings().size(); ++i) {
        std::wstring heading = control_.headings()[i];
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT;
        column.pszText = heading.data();
        ListView_SetColumn(window_, static_cast<int>(i), &column);
    }
    fitColumns();
}

void ListViewWindow::showRows() {
    showing_ = true;
    ::SendMessageW(window_, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(window_);
    const auto& rows = control_.rows();
    ListView_SetItemCount(window_, static_cast<int>(rows.size()));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        std::wstring first = rows[i].cells.empty() ? L"" : rows[i].cells[0];
        item.pszText = first.data();
        const int at = ListView_InsertItem(window_, &item);
        setCells(at, rows[i]);
        setCheck(at, rows[i]);
    }
    ::SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
    showing_ = false;
    fitColumns();
    ::InvalidateRect(window_, nullptr, TRUE);
}

void ListViewWindow::showSelection() {
    showing_ = true;
    for (std::size_t i = 0; i < control_.rows().size(); ++i) {
        ListView_SetItemState(window_, static_cast<int>(i),
                              control_.rowSelected(i) ? LVIS_SELECTED : 0, LVIS_SELECTED);
    }
    showing_ = false;
}

void ListViewWindow::showRow(std::size_t index) {
    if (index >= control_.rows().size()) return;
    showing_ = true;
    const auto& row = control_.rows()[index];
    setCells(static_cast<int>(index), row);
    setCheck(static_cast<int>(index), row);
    showing_ = false;
    widenColumns(row);
}

void ListViewWindow::setCells(int item, const forms::ListRow& row) {
    for (std::size_t column = 0; column < row.cells.size(); ++column) {
        std::wstring cell = row.cells[column];
        ListView_SetItemText(window_, item, static_cast<int>(column), cell.data());
    }
}

void ListViewWindow::setCheck(int item, const forms::ListRow& row) {
    ListView_SetItemState(window_, item, INDEXTOSTATEIMAGEMASK(checkImage(row)),
                          LVIS_STATEIMAGEMASK);
}

ListViewWindow::Measures::Measures(HWND list)
    : margins(::MulDiv(kMarginPixels, static_cast<int>(::GetDpiForWindow(list)), 96)),
      headings(ListView_GetHeader(list)),
      cells(list) {
    int height = 0;
    ImageList_GetIconSize(ListView_GetImageList(list, LVSIL_STATE), &checkBoxes, &height);
}

int ListViewWindow::Measures::cellWidth(const forms::ListRow& row, std::size_t column) const {
    if (column >= row.cells.size()) return 0;
    return cells.width(row.cells[column]) + (column == 0 ? checkBoxes : 0) + margins;
}

// Each column as wide as its widest cell and its heading, with the margins they are drawn
// with; the list's own sizing leaves too little room for a heading, and at a high DPI for a
// cell. The first column holds the check boxes too.
void ListViewWindow::fitColumns() {
    const Measures measures(window_);
    for (std::size_t i = 0; i < control_.headings().size(); ++i) {
        int widest = measures.headings.width(control_.headings()[i]) + measures.margins;
        for (const auto& row : control_.rows())
            widest = std::max(widest, measures.cellWidth(row, i));
        ListView_SetColumnWidth(window_, static_cast<int>(i), widest);
    }
}

// A row that changed widens the columns its cells no longer fit into, so that no text of it
// is cut; measuring the one row keeps a run over thousands of rows fast.
void ListViewWindow::widenColumns(const forms::ListRow& row) {
    const Measures measures(window_);
    for (std::size_t i = 0; i < row.cells.size(); ++i) {
        const int wanted = measures.cellWidth(row, i);
        if (wanted > ListView_GetColumnWidth(window_, static_cast<int>(i))) {
            ListView_SetColumnWidth(window_, static_cast<int>(i), wanted);
        }
    }
}

ListViewWindow::Notice ListViewWindow::read(const NMHDR& header, bool& refuse) const {
    refuse = false;
    if (showing_) return {};
    switch (header.code) {
        case LVN_COLUMNCLICK: {
            const auto& view = reinterpret_cast<const NMLISTVIEW&>(header);
            return {Notice::Kind::HeadingClicked, static_cast<std::size_t>(view.iSubItem)};
        }
        case LVN_KEYDOWN: {
            const auto& key = reinterpret_cast<const NMLVKEYDOWN&>(header);
            if (::GetKeyState(VK_CONTROL) >= 0) return {};
            return {Notice::Kind::CtrlKey, key.wVKey};
        }
        case LVN_ITEMCHANGING:
        case LVN_ITEMCHANGED: {
            const auto& view = reinterpret_cast<const NMLISTVIEW&>(header);
            if (!(view.uChanged & LVIF_STATE) || view.iItem < 0) return {};
            const auto index = static_cast<std::size_t>(view.iItem);
            if (index >= control_.rows().size()) return {};
            const UINT before = (view.uOldState & LVIS_STATEIMAGEMASK) >> 12;
            const UINT after = (view.uNewState & LVIS_STATEIMAGEMASK) >> 12;
            if (header.code == LVN_ITEMCHANGING) {
                // A row that cannot be ticked keeps no check box; while the ticks are locked,
                // every row keeps its own.
                refuse = before != after &&
                         (!control_.rows()[index].checkable || control_.ticksLocked());
                return {};
            }
            // Selecting rows leaves their ticks alone, and ticking leaves the selection.
            Notice notice{.index = index};
            if (before != after) {
                notice.kind = Notice::Kind::Ticked;
                notice.checked = after == kTicked;
            }
            const bool selected = (view.uNewState & LVIS_SELECTED) != 0;
            if (selected != ((view.uOldState & LVIS_SELECTED) != 0)) notice.selected = selected;
            return notice;
        }
        default:
            return {};
    }
}

}  // namespace velu::win32

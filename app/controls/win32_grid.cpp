#include "controls/win32_grid.h"

#include "text/text.h"

#include <commctrl.h>
#include <algorithm>
#include <iterator>

namespace tidvex::controls::win32 {

// ---- Grid ----

Win32Grid::Win32Grid(HWND parent, Bounds at) : Win32Control(ControlKind::Other) {
    CreateNative(WC_LISTVIEWA, "",
                 kChildStyle | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_EDITLABELS,
                 WS_EX_CLIENTEDGE, parent, at.left, at.top, at.width, at.height);
    SendMessageA(hwnd(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES,
                 LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    // An edited cell comes back in UTF-16: a code-page notification would
    // turn a name it cannot hold into a look-alike.
    SendMessageA(hwnd(), CCM_SETUNICODEFORMAT, TRUE, 0);
}

void Win32Grid::DataSource(const std::vector<GridRow>& rows, int columns) {
    columns = std::max(columns, 0);
    rows_ = rows;
    for (auto& row : rows_) row.resize(static_cast<size_t>(columns));
    layout_.assign(static_cast<size_t>(columns), GridColumn{});
    Rebuild();
    ActiveRow(rows_.empty() ? -1 : 0);
}

GridColumn Win32Grid::Layout(int column) const {
    return ValidColumn(column) ? layout_[static_cast<size_t>(column)] : GridColumn{};
}

void Win32Grid::Layout(int column, const GridColumn& layout) {
    if (!ValidColumn(column)) return;
    GridColumn& old = layout_[static_cast<size_t>(column)];
    const bool shape = old.hidden != layout.hidden || old.checkBox != layout.checkBox;
    old = layout;
    if (shape) {
        Rebuild();
        return;
    }
    // Header and width change in place (an edit in progress is not disturbed).
    auto at = std::find(shown_.begin(), shown_.end(), column);
    if (at == shown_.end()) return;
    LVCOLUMNW lvc{};
    lvc.mask = LVCF_TEXT | LVCF_WIDTH;
    std::wstring header = text::Wide(layout.header);
    lvc.pszText = header.data();
    lvc.cx = layout.width;
    SendMessageW(hwnd(), LVM_SETCOLUMNW, static_cast<WPARAM>(at - shown_.begin()), reinterpret_cast<LPARAM>(&lvc));
}

void Win32Grid::Rebuild() {
    filling_ = true;
    SendMessageA(hwnd(), WM_SETREDRAW, FALSE, 0);
    SendMessageA(hwnd(), LVM_DELETEALLITEMS, 0, 0);
    while (SendMessageA(hwnd(), LVM_DELETECOLUMN, 0, 0)) {
    }
    shown_.clear();
    for (int c = 0; c < Columns(); ++c)
        if (!layout_[static_cast<size_t>(c)].hidden) shown_.push_back(c);
    checkBoxes_ = !shown_.empty() && layout_[static_cast<size_t>(shown_.front())].checkBox;
    SendMessageA(hwnd(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, checkBoxes_ ? LVS_EX_CHECKBOXES : 0);
    for (size_t i = 0; i < shown_.size(); ++i) {
        const GridColumn& layout = layout_[static_cast<size_t>(shown_[i])];
        LVCOLUMNW lvc{};
        lvc.mask = LVCF_TEXT | LVCF_WIDTH;
        std::wstring header = text::Wide(layout.header);
        lvc.pszText = header.data();
        lvc.cx = layout.width;
        SendMessageW(hwnd(), LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&lvc));
    }
    if (!shown_.empty()) {
        for (int r = 0; r < Rows(); ++r) {
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = r;
            wchar_t empty[1] = {};
            item.pszText = empty;
            SendMessageW(hwnd(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
            for (int c : shown_) ShowCell(r, c);
        }
    }
    SendMessageA(hwnd(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd(), nullptr, TRUE);
    filling_ = false;
}

void Win32Grid::ShowCell(int row, int column) {
    auto at = std::find(shown_.begin(), shown_.end(), column);
    if (at == shown_.end()) return;
    const std::wstring& value = rows_[static_cast<size_t>(row)][static_cast<size_t>(column)];
    const bool filling = filling_;
    filling_ = true;
    if (at == shown_.begin() && checkBoxes_) {
        LVITEMA item{};
        item.stateMask = LVIS_STATEIMAGEMASK;
        item.state = INDEXTOSTATEIMAGEMASK(value == L"0" || value.empty() ? 1 : 2);
        SendMessageA(hwnd(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    } else {
        LVITEMW item{};
        item.iSubItem = static_cast<int>(at - shown_.begin());
        std::wstring text = value;
        item.pszText = text.data();
        SendMessageW(hwnd(), LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    }
    filling_ = filling;
}

std::wstring Win32Grid::Cell(int row, int column) const {
    return ValidRow(row) && ValidColumn(column) ? rows_[static_cast<size_t>(row)][static_cast<size_t>(column)]
                                                : std::wstring();
}

void Win32Grid::Cell(int row, int column, const std::wstring& text) {
    if (!ValidRow(row) || !ValidColumn(column)) return;
    rows_[static_cast<size_t>(row)][static_cast<size_t>(column)] = text;
    ShowCell(row, column);
}

int Win32Grid::ActiveRow() const {
    return static_cast<int>(SendMessageA(hwnd(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void Win32Grid::ActiveRow(int row) {
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = 0;
    SendMessageA(hwnd(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    if (!ValidRow(row)) return;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(hwnd(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    SendMessageA(hwnd(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

void Win32Grid::EditActiveCell() {
    const int row = ActiveRow();
    const int column = FirstShown();
    if (row < 0 || column < 0) return;
    const GridColumn& layout = layout_[static_cast<size_t>(column)];
    if (layout.locked || layout.checkBox) return;
    ::SetFocus(hwnd());
    SendMessageW(hwnd(), LVM_EDITLABELW, static_cast<WPARAM>(row), 0);
    WatchEscape();
}

int Win32Grid::TopRow() const { return static_cast<int>(SendMessageA(hwnd(), LVM_GETTOPINDEX, 0, 0)); }

void Win32Grid::ScrollRows(bool up) {
    RECT r{};
    r.left = LVIR_BOUNDS;
    const int height =
        SendMessageA(hwnd(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r)) ? std::max<int>(1, r.bottom - r.top) : 16;
    SendMessageA(hwnd(), LVM_SCROLL, 0, up ? -height : height);
}

void Win32Grid::Colors(const GridColors& colors) {
    colors_ = colors;
    SendMessageA(hwnd(), LVM_SETBKCOLOR, 0, colors.back);
    SendMessageA(hwnd(), LVM_SETTEXTBKCOLOR, 0, colors.back);
    SendMessageA(hwnd(), LVM_SETTEXTCOLOR, 0, colors.text);
    Invalidate();
    if (HWND header = reinterpret_cast<HWND>(SendMessageA(hwnd(), LVM_GETHEADER, 0, 0)))
        InvalidateRect(header, nullptr, TRUE);
}

bool Win32Grid::OnMessage(UINT msg, WPARAM, LPARAM lp, LRESULT& result) {
    // The header tells the list view, its parent, how its items are to be drawn.
    if (msg != WM_NOTIFY) return false;
    auto* draw = reinterpret_cast<NMCUSTOMDRAW*>(lp);
    if (draw->hdr.code != NM_CUSTOMDRAW ||
        draw->hdr.hwndFrom != reinterpret_cast<HWND>(SendMessageA(hwnd(), LVM_GETHEADER, 0, 0)))
        return false;
    switch (draw->dwDrawStage) {
        case CDDS_PREPAINT: result = CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT; return true;
        case CDDS_ITEMPREPAINT:
            // Drawn here whole: the platform's header fills its items in its own face colour.
            DrawHeaderItem(*draw);
            result = CDRF_SKIPDEFAULT;
            return true;
        case CDDS_POSTPAINT: {
            // The header beyond the last column too.
            RECT rest{};
            GetClientRect(draw->hdr.hwndFrom, &rest);
            const auto count = SendMessageA(draw->hdr.hwndFrom, HDM_GETITEMCOUNT, 0, 0);
            RECT last{};
            if (count > 0 && SendMessageA(draw->hdr.hwndFrom, HDM_GETITEMRECT, static_cast<WPARAM>(count - 1),
                                          reinterpret_cast<LPARAM>(&last)))
                rest.left = last.right;
            FillSolid(draw->hdc, rest, colors_.headerBack);
            result = CDRF_DODEFAULT;
            return true;
        }
        default: return false;
    }
}

void Win32Grid::DrawHeaderItem(const NMCUSTOMDRAW& item) const {
    HDC dc = item.hdc;
    RECT r = item.rc;
    FillSolid(dc, r, colors_.headerBack);
    // A line between the columns, in the text colour the header is written in.
    RECT line{r.right - 1, r.top + 2, r.right, r.bottom - 2};
    FillSolid(dc, line, colors_.headerText);
    wchar_t text[260] = {};
    HDITEMW hdi{};
    hdi.mask = HDI_TEXT;
    hdi.pszText = text;
    hdi.cchTextMax = static_cast<int>(std::size(text));
    SendMessageW(item.hdr.hwndFrom, HDM_GETITEMW, item.dwItemSpec, reinterpret_cast<LPARAM>(&hdi));
    SelectedObject font(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(item.hdr.hwndFrom, WM_GETFONT, 0, 0)), false);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colors_.headerText);
    r.left += 6;
    r.right -= 4;
    DrawTextW(dc, text, -1, &r, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
}

bool Win32Grid::OnReflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg != WM_NOTIFY) return Win32Control::OnReflect(msg, wp, lp, result);
    auto* header = reinterpret_cast<NMHDR*>(lp);
    switch (header->code) {
        case LVN_ITEMCHANGED: {
            auto* change = reinterpret_cast<NMLISTVIEW*>(lp);
            if (filling_ || !checkBoxes_ || !(change->uChanged & LVIF_STATE) || !ValidRow(change->iItem)) return false;
            if ((change->uNewState & LVIS_STATEIMAGEMASK) == (change->uOldState & LVIS_STATEIMAGEMASK)) return false;
            const bool on = (change->uNewState & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
            rows_[static_cast<size_t>(change->iItem)][static_cast<size_t>(FirstShown())] = on ? L"-1" : L"0";
            result = 0;
            return true;
        }
        case LVN_BEGINLABELEDITA:
        case LVN_BEGINLABELEDITW: {
            const int column = FirstShown();
            const bool allowed = column >= 0 && !layout_[static_cast<size_t>(column)].locked && !checkBoxes_;
            if (allowed) WatchEscape();
            result = allowed ? FALSE : TRUE;
            return true;
        }
        case LVN_ENDLABELEDITW: {
            auto* info = reinterpret_cast<NMLVDISPINFOW*>(lp);
            const int row = info->item.iItem, column = FirstShown();
            bool accept = false;
            // The list view gives no text both for Escape and for an emptied
            // cell; only Escape cancels the edit.
            if ((info->item.pszText || !escaped_) && ValidRow(row) && column >= 0) {
                bool cancel = false;
                const std::wstring text = info->item.pszText ? info->item.pszText : L"";
                Fire(OnBeforeUpdate, row, column, text, cancel);
                if (!cancel) {
                    rows_[static_cast<size_t>(row)][static_cast<size_t>(column)] = text;
                    accept = true;
                }
            }
            Fire(OnAfterEdit, row, column);
            result = accept ? TRUE : FALSE;
            return true;
        }
        case NM_CUSTOMDRAW: {
            auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(lp);
            if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
                result = CDRF_NOTIFYITEMDRAW;
                return true;
            }
            if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
                const int row = static_cast<int>(draw->nmcd.dwItemSpec);
                const bool active = row == ActiveRow();
                draw->nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED | CDIS_FOCUS);
                draw->clrTextBk = active ? colors_.activeBack : colors_.back;
                draw->clrText = active ? colors_.activeText : colors_.text;
                result = CDRF_NEWFONT;
                return true;
            }
            return false;
        }
        default: return false;
    }
}

namespace {

const char kEditOwnerProp[] = "TidvexGridEdit";
const char kEditProcProp[] = "TidvexGridEditProc";

}  // namespace

// The edit control of a cell tells the grid when the user pressed Escape.
void Win32Grid::WatchEscape() {
    escaped_ = false;
    HWND edit = reinterpret_cast<HWND>(SendMessageA(hwnd(), LVM_GETEDITCONTROL, 0, 0));
    if (!edit || GetPropA(edit, kEditOwnerProp)) return;
    SetPropA(edit, kEditOwnerProp, this);
    // Watched through the wide calls, so that the text typed passes unchanged.
    SetPropA(edit, kEditProcProp,
             reinterpret_cast<HANDLE>(SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditProc))));
}

LRESULT CALLBACK Win32Grid::EditProc(HWND edit, UINT msg, WPARAM wp, LPARAM lp) {
    auto* grid = static_cast<Win32Grid*>(GetPropA(edit, kEditOwnerProp));
    auto original = reinterpret_cast<WNDPROC>(GetPropA(edit, kEditProcProp));
    if (grid && ((msg == WM_KEYDOWN && wp == VK_ESCAPE) || (msg == WM_CHAR && wp == 27))) grid->escaped_ = true;
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        RemovePropA(edit, kEditOwnerProp);
        RemovePropA(edit, kEditProcProp);
    }
    return original ? CallWindowProcW(original, edit, msg, wp, lp) : DefWindowProcW(edit, msg, wp, lp);
}
}  // namespace tidvex::controls::win32

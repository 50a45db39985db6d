#include "controls/win32_lists.h"

#include <shellapi.h>
#include <algorithm>

namespace tidvex::controls::win32 {

// ---- ListBox ----

Win32ListBox::Win32ListBox(HWND parent, Bounds at, Options options)
    : Win32Items(ControlKind::ListBox,
                 {LB_ADDSTRING, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT, LB_DELETESTRING, LB_RESETCONTENT}),
      options_(options) {
    DWORD style = kChildStyle | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS;
    if (options.multiSelect) style |= LBS_EXTENDEDSEL;
    if (options.checkBoxes) style |= LBS_OWNERDRAWFIXED;
    CreateNativeWide(L"LISTBOX", style, WS_EX_CLIENTEDGE | (options.dropTarget ? WS_EX_ACCEPTFILES : 0), parent,
                     at.left, at.top, at.width, at.height);
    if (options.checkBoxes) SendMessageA(hwnd(), LB_SETITEMHEIGHT, 0, 17);
    if (options.dropTarget) DragAcceptFiles(hwnd(), TRUE);
}

void Win32ListBox::Removed(int index) {
    if (index < 0 || listIndex_ == index) listIndex_ = -1;
    else if (listIndex_ > index) --listIndex_;
}

int Win32ListBox::ListIndex() const {
    if (options_.multiSelect) return listIndex_;
    return static_cast<int>(SendMessageA(hwnd(), LB_GETCURSEL, 0, 0));
}

void Win32ListBox::ListIndex(int index) {
    if (!Valid(index)) index = -1;
    if (options_.multiSelect) {
        listIndex_ = index;
        if (index >= 0) {
            SendMessageA(hwnd(), LB_SETCARETINDEX, static_cast<WPARAM>(index), FALSE);
            SendMessageA(hwnd(), LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
        }
        return;
    }
    SendMessageA(hwnd(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

bool Win32ListBox::Selected(int index) const {
    if (!Valid(index)) return false;
    if (!options_.multiSelect) return ListIndex() == index;
    return SendMessageA(hwnd(), LB_GETSEL, static_cast<WPARAM>(index), 0) > 0;
}

void Win32ListBox::Selected(int index, bool on) {
    if (!Valid(index)) return;
    if (options_.multiSelect) SendMessageA(hwnd(), LB_SETSEL, on, index);
    else if (on) ListIndex(index);
    else if (ListIndex() == index) ListIndex(-1);
}

bool Win32ListBox::Checked(int index) const {
    return Valid(index) && SendMessageA(hwnd(), LB_GETITEMDATA, static_cast<WPARAM>(index), 0) != 0;
}

void Win32ListBox::Checked(int index, bool on) {
    if (!Valid(index)) return;
    SendMessageA(hwnd(), LB_SETITEMDATA, static_cast<WPARAM>(index), on ? 1 : 0);
    RECT r;
    if (SendMessageA(hwnd(), LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)) != LB_ERR)
        InvalidateRect(hwnd(), &r, TRUE);
}

void Win32ListBox::ToggleCheck(int index) {
    if (!Valid(index) || !IsWindowEnabled(hwnd())) return;
    Checked(index, !Checked(index));
    Fire(OnItemCheck, index);
}

bool Win32ListBox::OnReflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_COMMAND && HIWORD(wp) == LBN_SELCHANGE && options_.multiSelect) {
        listIndex_ = static_cast<int>(SendMessageA(hwnd(), LB_GETCARETINDEX, 0, 0));
        return false;
    }
    if (msg == WM_DRAWITEM) {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        if (item->itemID == static_cast<UINT>(-1)) return true;
        const int index = static_cast<int>(item->itemID);
        const bool selected = item->itemState & ODS_SELECTED;
        RECT r = item->rcItem;
        HBRUSH back = hasBack_ && !selected ? brush_ : GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
        FillRect(item->hDC, &r, back);
        RECT box{r.left + 2, r.top + 2, r.left + 15, r.top + 15};
        DrawFrameControl(item->hDC, &box, DFC_BUTTON, DFCS_BUTTONCHECK | (Checked(index) ? DFCS_CHECKED : 0));
        RECT text = r;
        text.left += 19;
        SetBkMode(item->hDC, TRANSPARENT);
        SetTextColor(item->hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        const std::wstring caption = List(index);
        DrawTextW(item->hDC, caption.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        if (item->itemState & ODS_FOCUS) DrawFocusRect(item->hDC, &r);
        result = TRUE;
        return true;
    }
    return Win32Items::OnReflect(msg, wp, lp, result);
}

bool Win32ListBox::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_LBUTTONDOWN: {
            if (!options_.checkBoxes) return false;
            const auto hit = SendMessageA(hwnd(), LB_ITEMFROMPOINT, 0, lp);
            const int x = static_cast<short>(LOWORD(lp));
            if (HIWORD(hit) == 0 && x < 17) {
                result = Default(msg, wp, lp);
                ToggleCheck(static_cast<int>(LOWORD(hit)));
                return true;
            }
            return false;
        }
        case WM_CHAR:
            if (!options_.checkBoxes || wp != ' ') return false;
            ToggleCheck(static_cast<int>(SendMessageA(hwnd(), LB_GETCARETINDEX, 0, 0)));
            result = 0;
            return true;
        case WM_DROPFILES: {
            // The names as the shell gives them: the code page's call would
            // turn a name it cannot hold into a look-alike of another file.
            auto drop = reinterpret_cast<HDROP>(wp);
            std::vector<std::wstring> paths;
            const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
            for (UINT i = 0; i < count; ++i) {
                const UINT length = DragQueryFileW(drop, i, nullptr, 0);
                std::wstring path(length + 1, L'\0');
                DragQueryFileW(drop, i, path.data(), length + 1);
                path.resize(length);
                paths.push_back(path);
            }
            DragFinish(drop);
            Fire(OnDropFiles, paths);
            result = 0;
            return true;
        }
        default: return false;
    }
}

// ---- ComboBox ----

Win32ComboBox::Win32ComboBox(HWND parent, Bounds at)
    : Win32Items(ControlKind::ComboBox,
                 {CB_ADDSTRING, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT, CB_DELETESTRING, CB_RESETCONTENT}) {
    // The height is that of the dropped list.
    CreateNativeWide(L"COMBOBOX", kChildStyle | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_HASSTRINGS, 0, parent,
                     at.left, at.top, at.width, std::max(at.height, 200));
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(hwnd(), &info) && info.hwndList) AlsoReflectFor(info.hwndList);
}

int Win32ComboBox::ListIndex() const { return static_cast<int>(SendMessageA(hwnd(), CB_GETCURSEL, 0, 0)); }

void Win32ComboBox::ListIndex(int index) {
    SendMessageA(hwnd(), CB_SETCURSEL, static_cast<WPARAM>(index >= 0 && index < ListCount() ? index : -1), 0);
}

bool Win32ComboBox::OnReflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_COMMAND && HIWORD(wp) == CBN_SELCHANGE) {
        Fire(OnClick);
        result = 0;
        return true;
    }
    return Win32Items::OnReflect(msg, wp, lp, result);
}
}  // namespace tidvex::controls::win32

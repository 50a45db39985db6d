// The grid: a list view in report mode.
#pragma once

#include "controls/controls.h"
#include "controls/win32_window.h"

#include <commctrl.h>

#include <string>
#include <vector>

namespace tidvex::controls::win32 {

// The grid is a list view in report mode: one list-view column per shown data
// column; the check boxes and label editing belong to the first shown column.
// Text goes in and out through the list view's wide messages and notifications.
class Win32Grid final : public Win32Control<Grid> {
public:
    Win32Grid(HWND parent, Bounds at);
    void DataSource(const std::vector<GridRow>& rows, int columns) override;
    void Unbind() override { DataSource({}, 0); }
    int Rows() const override { return static_cast<int>(rows_.size()); }
    int Columns() const override { return static_cast<int>(layout_.size()); }
    GridColumn Layout(int column) const override;
    void Layout(int column, const GridColumn& layout) override;
    std::wstring Cell(int row, int column) const override;
    void Cell(int row, int column, const std::wstring& text) override;
    int ActiveRow() const override;
    void ActiveRow(int row) override;
    void EditActiveCell() override;
    void ScrollRows(bool up) override;
    void Colors(const GridColors& colors) override;
    bool OnReflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    // The row shown at the top.
    int TopRow() const;

private:
    bool ValidRow(int row) const { return row >= 0 && row < Rows(); }
    bool ValidColumn(int column) const { return column >= 0 && column < Columns(); }
    int FirstShown() const { return shown_.empty() ? -1 : shown_.front(); }
    void Rebuild();
    void ShowCell(int row, int column);
    void WatchEscape();
    // A column header in the header colours.
    void DrawHeaderItem(const NMCUSTOMDRAW& item) const;
    static LRESULT CALLBACK EditProc(HWND, UINT, WPARAM, LPARAM);
    bool escaped_ = false;
    std::vector<GridRow> rows_;
    std::vector<GridColumn> layout_;
    std::vector<int> shown_;
    bool checkBoxes_ = false;
    bool filling_ = false;
    GridColors colors_;
};

}  // namespace tidvex::controls::win32

// The real controls: each a child window whose window text is its caption, so
// the window can be read and driven by UI automation and assistive tools.
// Positions are pixels of the parent's client area; the parent is a window of
// ours (a container, a panel, a tab's page or a form) that reflects the
// children's notifications (ReflectToChild).
#pragma once

#include "controls/controls.h"
#include "controls/win32_window.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tidvex::controls::win32 {

struct Bounds {
    int left = 0, top = 0, width = 0, height = 0;
};

class Win32Label final : public Win32Control<Label> {
public:
    Win32Label(HWND parent, const std::string& caption, Bounds at, LabelStyle style = LabelStyle::Plain);
    std::string Caption() const override { return WindowText(hwnd()); }
    void Caption(const std::string& text) override;
    void SetColor(const std::string& property, COLORREF color) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void Alignment(UINT drawTextFlags) { align_ = drawTextFlags; }

private:
    void Paint(HDC dc);
    LabelStyle style_;
    UINT align_;
    std::map<std::string, COLORREF> colors_;
};

class Win32Picture final : public Win32Control<Picture> {
public:
    Win32Picture(HWND parent, Bounds at);
    ~Win32Picture() override;
    void Image(HICON icon);
    bool LoadFile(const std::string& path);
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    HICON icon_ = nullptr;
    HBITMAP bitmap_ = nullptr;
};

class Win32Button final : public Win32Control<Button> {
public:
    Win32Button(HWND parent, const std::string& caption, Bounds at);
    std::string Caption() const override { return WindowText(hwnd()); }
    void Caption(const std::string& text) override { SetWindowTextA(hwnd(), text.c_str()); }
    bool Selected() const override;
    void Selected(bool on) override;
    int Value() const override { return value_; }
    void Value(int state) override { value_ = state; }
    void Icon(HICON icon) override;
    bool OnReflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    int value_ = 0;
};

class Win32CheckBox final : public Win32Control<CheckBox> {
public:
    enum class Type { CheckBox, OptionButton };
    Win32CheckBox(HWND parent, const std::string& caption, Bounds at, Type type = Type::CheckBox, int value = 0);
    int Value() const override { return value_; }
    void Value(int state) override;
    std::string Caption() const override { return WindowText(hwnd()); }
    void Caption(const std::string& text) override { SetWindowTextA(hwnd(), text.c_str()); }
    void SetColor(const std::string& property, COLORREF color) override;
    bool OnReflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    Type type_;
    int value_ = 0;
    bool hasBorder_ = false;
    COLORREF border_ = 0;
};

class Win32TextBox final : public Win32Control<TextBox> {
public:
    Win32TextBox(HWND parent, const std::string& text, Bounds at, bool multiLine = false);
    std::string Text() const override { return WindowText(hwnd()); }
    void Text(const std::string& text) override { SetWindowTextA(hwnd(), text.c_str()); }
};

// The items of a list box or a combo box, through each one's messages.
struct ItemMessages {
    UINT add, count, textLength, text, remove, reset;
};

template <class Base>
class Win32Items : public Win32Control<Base> {
public:
    void AddItem(const std::string& item) override { Send(m_.add, 0, reinterpret_cast<LPARAM>(item.c_str())); }
    int ListCount() const override { return static_cast<int>(Send(m_.count, 0, 0)); }
    std::string List(int index) const override {
        if (!Valid(index)) return {};
        const auto length = Send(m_.textLength, static_cast<WPARAM>(index), 0);
        std::string text(static_cast<size_t>(length) + 1, '\0');
        Send(m_.text, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(length));
        return text;
    }
    void RemoveItem(int index) override {
        if (!Valid(index)) return;
        Send(m_.remove, static_cast<WPARAM>(index), 0);
        Removed(index);
    }
    void Clear() override {
        Send(m_.reset, 0, 0);
        Removed(-1);
    }

protected:
    Win32Items(ControlKind kind, ItemMessages messages) : Win32Control<Base>(kind), m_(messages) {}
    bool Valid(int index) const { return index >= 0 && index < ListCount(); }
    LRESULT Send(UINT msg, WPARAM wp, LPARAM lp) const { return SendMessageA(this->hwnd(), msg, wp, lp); }
    // After an item went (-1: all of them).
    virtual void Removed(int) {}

private:
    ItemMessages m_;
};

class Win32ListBox final : public Win32Items<ListBox> {
public:
    struct Options {
        bool multiSelect = false;
        bool checkBoxes = false;
        bool dropTarget = false;
    };
    Win32ListBox(HWND parent, Bounds at, Options options);
    Win32ListBox(HWND parent, Bounds at) : Win32ListBox(parent, at, Options{}) {}
    int ListIndex() const override;
    void ListIndex(int index) override;
    bool Selected(int index) const override;
    void Selected(int index, bool on) override;
    bool Checked(int index) const override;
    void Checked(int index, bool on) override;
    bool OnReflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void Removed(int index) override;
    void ToggleCheck(int index);
    Options options_;
    int listIndex_ = -1;  // of a multi-select list, which has no current selection
};

class Win32ComboBox final : public Win32Items<ComboBox> {
public:
    Win32ComboBox(HWND parent, Bounds at);
    int ListIndex() const override;
    void ListIndex(int index) override;
    std::string Text() const override { return List(ListIndex()); }
    bool OnReflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

class Win32Panel final : public Win32Control<Panel> {
public:
    Win32Panel(HWND parent, const std::string& caption, Bounds at);
    bool Active() const override { return active_; }
    void Active(bool on) override;
    void Color(COLORREF color) override;
    std::intptr_t hWnd() const override { return reinterpret_cast<std::intptr_t>(hwnd()); }
    void SetColor(const std::string& property, COLORREF color) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

protected:
    void ApplyEnabled() override { EnableWindow(hwnd(), enabled_ && active_); }

private:
    COLORREF Colour(const char* name, COLORREF fallback) const;
    bool active_ = true;
    COLORREF accent_ = RGB(255, 255, 255);
    std::map<std::string, COLORREF> colors_;
    HBRUSH backBrush_ = nullptr;
};

// Each tab has a page (a container) over the strip's display area; the page of
// the current tab is the one shown. Pages take the strip's Appearance colour.
class Win32TabStrip final : public Win32Control<TabStrip> {
public:
    Win32TabStrip(HWND parent, const std::vector<std::string>& captions, Bounds at);
    ~Win32TabStrip() override;
    int Tabs() const override;
    int Tab() const override;
    void Tab(int index) override;
    void Move(int left, int top, int width, int height) override;
    void SetColor(const std::string& property, COLORREF color) override;
    bool OnReflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    HWND Page(int index) const;

private:
    void ShowPage(int index);
    void PlacePages();
    std::vector<HWND> pages_;
    // The tab a click or a key is about to ask for.
    int clickTarget_ = -1, keyTarget_ = -1;
};

// The grid is a list view in report mode: one list-view column per shown data
// column; the check boxes and label editing belong to the first shown column.
class Win32Grid final : public Win32Control<Grid> {
public:
    Win32Grid(HWND parent, Bounds at);
    void DataSource(const std::vector<GridRow>& rows, int columns) override;
    void Unbind() override { DataSource({}, 0); }
    int Rows() const override { return static_cast<int>(rows_.size()); }
    int Columns() const override { return static_cast<int>(layout_.size()); }
    GridColumn Layout(int column) const override;
    void Layout(int column, const GridColumn& layout) override;
    std::string Cell(int row, int column) const override;
    void Cell(int row, int column, const std::string& text) override;
    int ActiveRow() const override;
    void ActiveRow(int row) override;
    void EditActiveCell() override;
    void ScrollRows(bool up) override;
    void Colors(const GridColors& colors) override;
    bool OnReflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    // The row shown at the top.
    int TopRow() const;

private:
    bool ValidRow(int row) const { return row >= 0 && row < Rows(); }
    bool ValidColumn(int column) const { return column >= 0 && column < Columns(); }
    int FirstShown() const { return shown_.empty() ? -1 : shown_.front(); }
    void Rebuild();
    void ShowCell(int row, int column);
    void WatchEscape();
    static LRESULT CALLBACK EditProc(HWND, UINT, WPARAM, LPARAM);
    bool escaped_ = false;
    std::vector<GridRow> rows_;
    std::vector<GridColumn> layout_;
    std::vector<int> shown_;
    bool checkBoxes_ = false;
    bool filling_ = false;
    GridColors colors_;
};

// Ticks come from a hidden window of the thread that enabled the timer.
class Win32Timer final : public Timer {
public:
    explicit Win32Timer(int interval = 0);
    ~Win32Timer() override;
    int Interval() const override { return interval_; }
    void Interval(int ms) override;
    bool Enabled() const override { return enabled_; }
    void Enabled(bool on) override;

private:
    void Restart();
    int interval_;
    bool enabled_ = false;
    UINT_PTR id_;
};

class Win32PopupMenu final : public PopupMenu {
public:
    Win32PopupMenu();
    ~Win32PopupMenu() override;
    int AddItem(const std::string& caption) override;
    int AddSeparator() override;
    std::string Caption(int index) const override;
    void Caption(int index, const std::string& caption) override;
    void Popup(int x, int y) override;
    HWND Owner() const { return owner_; }

private:
    HMENU menu_;
    HWND owner_;
    int count_ = 0;
};

// The icon's messages come to a hidden window of its own, which also hears the
// task bar announce itself again ("TaskbarCreated").
class Win32TrayIcon final : public TrayIcon, public Win32Window {
public:
    static constexpr UINT kCallbackMessage = WM_APP + 0x51;
    Win32TrayIcon();
    ~Win32TrayIcon() override;
    void Icon(HICON icon) override;
    void ToolTip(const std::string& text) override;
    bool Attach(HWND owner) override;
    void Remove() override;
    bool Attached() const override { return attached_; }
    void Position(int& x, int& y) const override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

    // Balloon tips ride on the icon.
    bool ShowBalloon(const std::string& title, const std::string& text, int style);
    void HideBalloon();
    std::function<void(UINT notification)> OnBalloon;

private:
    NOTIFYICONDATAA Data(UINT flags) const;
    HICON icon_ = nullptr;
    std::string tip_;
    HWND owner_ = nullptr;
    bool attached_ = false;
    POINT lastMouse_{-1, -1};
    UINT taskbarCreated_;
};

class Win32Balloon final : public Balloon {
public:
    explicit Win32Balloon(Win32TrayIcon& icon);
    void Move(int x, int y) override {
        x_ = x;
        y_ = y;
    }
    void Show(const std::string& title, const std::string& text, int style) override;
    void Close() override;
    bool Shown() const override { return shown_; }

private:
    Win32TrayIcon& icon_;
    int x_ = 0, y_ = 0;
    bool shown_ = false;
};

// A borderless window in the middle of the screen with the picture and its label.
class Win32Splash final : public Splash, public Win32Window {
public:
    Win32Splash();
    ~Win32Splash() override;
    bool LoadPicture(const std::string& path) override;
    void LabelText(const std::string& label, const std::string& text) override;
    void Show(int display) override;
    void Close() override;
    bool Shown() const override { return hwnd() && IsWindowVisible(hwnd()); }
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    HWND Label() const { return label_; }

private:
    HBITMAP picture_ = nullptr;
    HWND label_ = nullptr;
};

// The page-switch effect: the given window (the overlay panel) comes to the
// front and slides away.
class Win32PageEffect final : public PageEffect {
public:
    int Value() const override { return value_; }
    void Value(int value) override { value_ = value; }
    void Run(std::intptr_t handle) override;
    int Runs() const { return runs_; }

private:
    int value_ = 0;
    int runs_ = 0;
};

}  // namespace tidvex::controls::win32

// In-memory controls for tests: what the page logic reads and sets. The User...
// members stand for what a user does with the real control: they change the
// value the way the real control does and notify, and, as the real window does,
// they refuse what a user cannot do (a click on a disabled or hidden control, a
// drop on a list that is no drop target, a check on a list without check boxes).
#pragma once

#include "controls/control_set.h"
#include "controls/controls.h"
#include "controls/progress_scale.h"
#include "text/text.h"

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

namespace tidvex::controls {

// Counts calls to ZOrder across all memory controls, so that of several stacked
// ones the one brought in front last has the highest FrontStamp.
inline long NextFrontStamp() {
    static long stamp = 0;
    return ++stamp;
}

// Where a control lies: a user reaches it only through the containers round
// it (a frame, a tab strip's page, a page panel), and not while one of them is
// disabled, as the real window disables what lies in a disabled container.
class MemoryPlace {
public:
    virtual ~MemoryPlace() = default;
    // Whether what lies inside can be reached.
    virtual bool LetsThrough() const = 0;
    void LiesIn(const MemoryPlace* container) { container_ = container; }

protected:
    bool ContainersLetThrough() const { return !container_ || container_->LetsThrough(); }

private:
    const MemoryPlace* container_ = nullptr;
};

template <class Base, ControlKind kKind = ControlKind::Other>
class MemoryControl : public Base, public MemoryPlace {
public:
    ControlKind Kind() const override { return kind_; }
    void SetColor(const std::string& property, COLORREF color) override { colors_[property] = color; }
    bool Visible() const override { return visible_; }
    void Visible(bool on) override { visible_ = on; }
    bool Enabled() const override { return enabled_; }
    void Enabled(bool on) override { enabled_ = on; }
    int Left() const override { return left_; }
    void Left(int x) override { left_ = x; }
    int Top() const override { return top_; }
    void Top(int y) override { top_ = y; }
    int Width() const override { return width_; }
    void Width(int cx) override { width_ = cx; }
    int Height() const override { return height_; }
    void Height(int cy) override { height_ = cy; }
    void Move(int left, int top, int width, int height) override {
        left_ = left;
        top_ = top;
        width_ = width;
        height_ = height;
    }
    void Refresh() override { ++refreshes_; }
    void ZOrder() override { frontStamp_ = NextFrontStamp(); }
    void SetFocus() override { focused_ = true; }
    bool HasFocus() const override { return focused_; }

    // What the scheme and the form did to the control.
    const std::map<std::string, COLORREF>& Colors() const { return colors_; }
    // What a user can reach: an enabled control in sight, in enabled containers.
    bool Usable() const { return enabled_ && visible_ && ContainersLetThrough(); }
    bool LetsThrough() const override { return enabled_ && ContainersLetThrough(); }
    int Refreshes() const { return refreshes_; }
    long FrontStamp() const { return frontStamp_; }
    void LoseFocus() { focused_ = false; }
    void SetKind(ControlKind kind) { kind_ = kind; }

private:
    ControlKind kind_ = kKind;
    std::map<std::string, COLORREF> colors_;
    bool visible_ = true, enabled_ = true, focused_ = false;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    int refreshes_ = 0;
    long frontStamp_ = 0;
};

template <class Base, ControlKind kKind>
class MemoryItems : public MemoryControl<Base, kKind> {
public:
    using Base::AddItem;
    void AddItem(const std::wstring& item) override {
        items_.push_back(item);
        selected_.push_back(false);
        checked_.push_back(false);
    }
    int ListCount() const override { return static_cast<int>(items_.size()); }
    std::wstring List(int index) const override { return Valid(index) ? items_[Slot(index)] : std::wstring(); }
    void RemoveItem(int index) override {
        if (!Valid(index)) return;
        items_.erase(items_.begin() + index);
        selected_.erase(selected_.begin() + index);
        checked_.erase(checked_.begin() + index);
        if (listIndex_ == index) listIndex_ = -1;
        else if (listIndex_ > index) --listIndex_;
    }
    void Clear() override {
        items_.clear();
        selected_.clear();
        checked_.clear();
        listIndex_ = -1;
    }
    int ListIndex() const override { return listIndex_; }
    void ListIndex(int index) override { listIndex_ = Valid(index) ? index : -1; }
    const std::vector<std::wstring>& WideItems() const { return items_; }
    // The items in the code page ("?" for a character it lacks).
    std::vector<std::string> Items() const {
        std::vector<std::string> shown;
        for (const auto& item : items_) shown.push_back(text::Narrow(item));
        return shown;
    }

protected:
    bool Valid(int index) const { return index >= 0 && index < ListCount(); }
    static size_t Slot(int index) { return static_cast<size_t>(index); }

    std::vector<std::wstring> items_;
    std::vector<bool> selected_;
    std::vector<bool> checked_;
    int listIndex_ = -1;
};

class MemoryListBox final : public MemoryItems<ListBox, ControlKind::ListBox> {
public:
    // The style of its design row (kMultiSelectList, kCheckBoxList, kDropTargetList).
    explicit MemoryListBox(int style = 0) : style_(style) {}
    int Style() const { return style_; }
    bool Selected(int index) const override { return Valid(index) && selected_[Slot(index)]; }
    void Selected(int index, bool on) override {
        if (Valid(index)) selected_[Slot(index)] = on;
    }
    bool Checked(int index) const override { return Valid(index) && checked_[Slot(index)]; }
    void Checked(int index, bool on) override {
        if (Valid(index)) checked_[Slot(index)] = on;
    }
    void UserCheck(int index) {
        if (!(style_ & kCheckBoxList) || !Usable() || !Valid(index)) return;
        checked_[Slot(index)] = !checked_[Slot(index)];
        if (OnItemCheck) OnItemCheck(index);
    }
    void UserDrop(const std::vector<std::wstring>& paths) {
        if (!(style_ & kDropTargetList) || !Usable()) return;
        if (OnDropFiles) OnDropFiles(paths);
    }
    // Code-page names, as they read.
    void UserDrop(const std::vector<std::string>& paths) {
        std::vector<std::wstring> wide;
        for (const auto& path : paths) wide.push_back(text::Wide(path));
        UserDrop(wide);
    }

private:
    int style_;
};

class MemoryComboBox final : public MemoryItems<ComboBox, ControlKind::ComboBox> {
public:
    std::string Text() const override { return text::Narrow(List(listIndex_)); }
    void UserChoose(int index) {
        if (!Usable()) return;
        ListIndex(index);
        if (OnClick) OnClick();
    }
};

class MemoryCheckBox : public MemoryControl<CheckBox, ControlKind::CheckBox> {
public:
    explicit MemoryCheckBox(int state = 0) : state_(state) {}
    int Value() const override { return state_; }
    void Value(int state) override { state_ = state; }
    std::string Caption() const override { return caption_; }
    void Caption(const std::string& text) override { caption_ = text; }
    virtual void UserClick() {
        if (!Usable()) return;
        state_ = state_ ? 0 : -1;
        if (OnClick) OnClick();
    }

private:
    int state_;
    std::string caption_;
};

// The option buttons on one parent: the one the user clicks goes on, the
// others off.
class MemoryOptionButton;
using OptionGroup = std::vector<MemoryOptionButton*>;

class MemoryOptionButton final : public MemoryCheckBox {
public:
    explicit MemoryOptionButton(int state = 0, std::shared_ptr<OptionGroup> group = nullptr)
        : MemoryCheckBox(state), group_(std::move(group)) {
        SetKind(ControlKind::Other);
        if (group_) group_->push_back(this);
    }
    ~MemoryOptionButton() override {
        if (group_) group_->erase(std::remove(group_->begin(), group_->end(), this), group_->end());
    }
    MemoryOptionButton(const MemoryOptionButton&) = delete;
    MemoryOptionButton& operator=(const MemoryOptionButton&) = delete;
    void UserClick() override {
        if (!Usable()) return;
        if (group_)
            for (auto* other : *group_) other->Value(0);
        Value(-1);
        if (OnClick) OnClick();
    }

private:
    std::shared_ptr<OptionGroup> group_;
};

class MemoryTextBox final : public MemoryControl<TextBox, ControlKind::TextBox> {
public:
    explicit MemoryTextBox(std::string text = {}) : text_(std::move(text)) {}
    std::string Text() const override { return text_; }
    void Text(const std::string& text) override { text_ = text; }
    std::wstring WideText() const override { return text::Wide(text_); }

private:
    std::string text_;
};

class MemoryLabel final : public MemoryControl<Label> {
public:
    explicit MemoryLabel(std::string caption = {}, LabelStyle style = LabelStyle::Plain) : caption_(std::move(caption)) {
        if (style == LabelStyle::Banner) SetKind(ControlKind::Banner);
        if (style == LabelStyle::Gradient) SetKind(ControlKind::Label);
    }
    std::string Caption() const override { return caption_; }
    void Caption(const std::string& text) override { caption_ = text; }
    void UserMouseUp(int button) {
        if (Usable() && OnMouseUp) OnMouseUp(button);
    }

private:
    std::string caption_;
};

class MemoryPicture final : public MemoryControl<Picture> {
public:
    void UserMouseDown(int button) {
        if (Usable() && OnMouseDown) OnMouseDown(button);
    }
};

class MemoryButton final : public MemoryControl<Button> {
public:
    explicit MemoryButton(std::string caption = {}) : caption_(std::move(caption)) {}
    std::string Caption() const override { return caption_; }
    void Caption(const std::string& text) override { caption_ = text; }
    bool Selected() const override { return selected_; }
    void Selected(bool on) override { selected_ = on; }
    int Value() const override { return value_; }
    void Value(int state) override { value_ = state; }
    void Icon(HICON icon) override { icon_ = icon; }
    HICON IconShown() const { return icon_; }
    // A disabled or hidden button cannot be pressed.
    void UserClick() {
        if (Usable() && OnClick) OnClick();
    }

private:
    std::string caption_;
    bool selected_ = false;
    int value_ = 0;
    HICON icon_ = nullptr;
};

class MemoryPanel final : public MemoryControl<Panel, ControlKind::FramePanel> {
public:
    bool Active() const override { return active_; }
    void Active(bool on) override { active_ = on; }
    void Color(COLORREF color) override { color_ = color; }
    COLORREF AccentColor() const { return color_; }
    std::intptr_t hWnd() const override { return reinterpret_cast<std::intptr_t>(this); }
    // Only an active panel can be used.
    bool LetsThrough() const override { return active_ && MemoryControl::LetsThrough(); }

private:
    bool active_ = true;
    COLORREF color_ = RGB(255, 255, 255);
};

class MemoryTabStrip final : public MemoryControl<TabStrip, ControlKind::TabStrip> {
public:
    explicit MemoryTabStrip(int tabs = 1) : tabs_(tabs) {}
    int Tabs() const override { return tabs_; }
    int Tab() const override { return tab_; }
    void Tab(int index) override {
        if (index >= 0 && index < tabs_) tab_ = index;
    }
    // A click on a tab: asks first, changes only when not cancelled.
    void UserClickTab(int index) {
        if (index < 0 || index >= tabs_ || index == tab_ || !Usable()) return;
        bool cancel = false;
        if (OnBeforeClick) OnBeforeClick(index, cancel);
        if (!cancel) tab_ = index;
    }

private:
    int tabs_;
    int tab_ = 0;
};

class MemoryGrid final : public MemoryControl<Grid> {
public:
    void DataSource(const std::vector<GridRow>& rows, int columns) override {
        rows_ = rows;
        for (auto& row : rows_) row.resize(static_cast<size_t>(std::max(columns, 0)));
        layout_.assign(static_cast<size_t>(std::max(columns, 0)), GridColumn{});
        active_ = rows_.empty() ? -1 : 0;
        top_ = 0;
        editing_ = false;
    }
    void Unbind() override { DataSource({}, 0); }
    int Rows() const override { return static_cast<int>(rows_.size()); }
    int Columns() const override { return static_cast<int>(layout_.size()); }
    GridColumn Layout(int column) const override { return ValidColumn(column) ? layout_[Slot(column)] : GridColumn{}; }
    void Layout(int column, const GridColumn& layout) override {
        if (ValidColumn(column)) layout_[Slot(column)] = layout;
    }
    std::wstring Cell(int row, int column) const override {
        return ValidRow(row) && ValidColumn(column) ? rows_[Slot(row)][Slot(column)] : std::wstring();
    }
    void Cell(int row, int column, const std::wstring& text) override {
        if (ValidRow(row) && ValidColumn(column)) rows_[Slot(row)][Slot(column)] = text;
    }
    int ActiveRow() const override { return active_; }
    void ActiveRow(int row) override { active_ = ValidRow(row) ? row : -1; }
    void EditActiveCell() override { editing_ = active_ >= 0 && EditColumn() >= 0; }
    void ScrollRows(bool up) override {
        if (up && top_ > 0) --top_;
        if (!up && top_ + 1 < Rows()) ++top_;
    }
    void Colors(const GridColors& colors) override { colors_ = colors; }

    bool Editing() const { return editing_; }
    int TopRow() const { return top_; }
    const GridColors& ColorsShown() const { return colors_; }
    // The user turns the check box of a row over.
    void UserCheck(int row) {
        const int column = FirstShown();
        if (Usable() && ValidRow(row) && column >= 0 && layout_[Slot(column)].checkBox)
            rows_[Slot(row)][Slot(column)] = rows_[Slot(row)][Slot(column)] == L"0" ? L"-1" : L"0";
    }
    // The user ends an edit with a new text (committed) or with Escape.
    void UserEndEdit(const std::wstring& text, bool committed = true) {
        if (!editing_) return;
        editing_ = false;
        const int row = active_, column = EditColumn();
        if (committed) {
            bool cancel = false;
            if (OnBeforeUpdate) OnBeforeUpdate(row, column, text, cancel);
            if (!cancel) Cell(row, column, text);
        }
        if (OnAfterEdit) OnAfterEdit(row, column);
    }

private:
    bool ValidRow(int row) const { return row >= 0 && row < Rows(); }
    bool ValidColumn(int column) const { return column >= 0 && column < Columns(); }
    static size_t Slot(int index) { return static_cast<size_t>(index); }
    int FirstShown() const {
        for (int c = 0; c < Columns(); ++c)
            if (!layout_[Slot(c)].hidden) return c;
        return -1;
    }
    int EditColumn() const {
        const int c = FirstShown();
        return c >= 0 && !layout_[Slot(c)].locked && !layout_[Slot(c)].checkBox ? c : -1;
    }

    std::vector<GridRow> rows_;
    std::vector<GridColumn> layout_;
    GridColors colors_;
    int active_ = -1, top_ = 0;
    bool editing_ = false;
};

class MemoryTimer final : public Timer {
public:
    explicit MemoryTimer(int interval = 0) : interval_(interval) {}
    int Interval() const override { return interval_; }
    void Interval(int ms) override { interval_ = ms; }
    bool Enabled() const override { return enabled_; }
    void Enabled(bool on) override { enabled_ = on; }
    // Time passes: one tick per elapsed interval while the timer runs.
    void Elapse(int ticks = 1) {
        for (int i = 0; i < ticks && enabled_ && interval_ > 0; ++i)
            if (OnTimer) OnTimer();
    }

private:
    int interval_;
    bool enabled_ = false;
};

class MemoryPopupMenu final : public PopupMenu {
public:
    int AddItem(const std::string& caption) override {
        items_.push_back(caption);
        enabled_.push_back(true);
        return static_cast<int>(items_.size()) - 1;
    }
    int AddSeparator() override { return AddItem("-"); }
    std::string Caption(int index) const override { return Valid(index) ? items_[static_cast<size_t>(index)] : ""; }
    void Caption(int index, const std::string& caption) override {
        if (Valid(index)) items_[static_cast<size_t>(index)] = caption;
    }
    bool Enabled(int index) const override { return Valid(index) && enabled_[static_cast<size_t>(index)]; }
    void Enabled(int index, bool on) override {
        if (Valid(index)) enabled_[static_cast<size_t>(index)] = on;
    }
    // A greyed item cannot be chosen: the menu closes without a choice.
    void Popup(int x, int y) override {
        popups_.push_back({x, y});
        if (Enabled(choice_) && OnClick) OnClick(choice_);
    }
    // The item the user will choose at the next Popup (-1: the menu is dismissed).
    void WillChoose(int index) { choice_ = index; }
    const std::vector<POINT>& Popups() const { return popups_; }

private:
    bool Valid(int index) const { return index >= 0 && index < static_cast<int>(items_.size()); }
    std::vector<std::string> items_;
    std::vector<bool> enabled_;
    std::vector<POINT> popups_;
    int choice_ = -1;
};

class MemoryTrayIcon final : public TrayIcon {
public:
    void Icon(HICON icon) override { icon_ = icon; }
    void ToolTip(const std::string& text) override { tip_ = text; }
    bool Attach(HWND owner) override {
        owner_ = owner;
        return attached_ = true;
    }
    void Remove() override { attached_ = false; }
    bool Attached() const override { return attached_; }
    void Position(int& x, int& y) const override {
        x = x_;
        y = y_;
    }
    void Place(int x, int y) {
        x_ = x;
        y_ = y;
    }
    HICON IconShown() const { return icon_; }
    HWND Owner() const { return owner_; }
    void UserMouse(int message) {
        if (OnMouse) OnMouse(message);
    }

private:
    HICON icon_ = nullptr;
    std::string tip_;
    HWND owner_ = nullptr;
    bool attached_ = false;
    int x_ = 0, y_ = 0;
};

class MemoryBalloon final : public Balloon {
public:
    void Move(int atX, int atY) override {
        x = atX;
        y = atY;
    }
    void Show(const std::string& balloonTitle, const std::string& balloonText, int balloonStyle) override {
        title = balloonTitle;
        text = balloonText;
        style = balloonStyle;
        shown_ = true;
    }
    void Close() override { shown_ = false; }
    bool Shown() const override { return shown_; }
    void UserMouse(int message) {
        if (OnMouse) OnMouse(message);
    }
    std::string title, text;
    int style = 0, x = 0, y = 0;

private:
    bool shown_ = false;
};

class MemorySplash final : public Splash {
public:
    bool LoadPicture(const std::wstring& path) override {
        picture = path;
        return true;
    }
    void LabelText(const std::string& label, const std::string& text) override { labels[label] = text; }
    void Show(int) override { shown_ = true; }
    void Close() override { shown_ = false; }
    bool Shown() const override { return shown_; }
    std::wstring picture;
    std::map<std::string, std::string> labels;

private:
    bool shown_ = false;
};

class MemoryPageEffect final : public PageEffect {
public:
    int Value() const override { return value_; }
    void Value(int value) override { value_ = value; }
    void Run(std::intptr_t handle) override {
        if (value_ == 1) played.push_back(handle);
    }
    std::vector<std::intptr_t> played;

private:
    int value_ = 0;
};

// A form without a window: ShowModal runs what the test scripted for the user
// (pressing buttons of the form) and returns.
class MemoryForm final : public Form {
public:
    explicit MemoryForm(int scaleWidth = 360) : scaleWidth_(scaleWidth) {}
    HWND hWnd() const override { return nullptr; }
    std::string Caption() const override { return caption_; }
    void Caption(const std::string& text) override { caption_ = text; }
    int ScaleWidth() const override { return scaleWidth_; }
    void BackColor(COLORREF color) override { back = color; }
    void ShowModal(Form* ownerForm) override {
        owner = ownerForm;
        shown_ = true;
        ++shows;
        if (WhileShown) WhileShown();
    }
    void Close() override { shown_ = false; }
    bool Shown() const override { return shown_; }
    // What a user does while a call waits for the form shown.
    void WaitClosed() override {
        if (!shown_) return;
        ++waits;
        if (WhileWaiting) WhileWaiting();
    }
    // The user asks to close the form; false when the form refused.
    bool UserClose() {
        if (OnQueryClose && OnQueryClose()) return false;
        Close();
        return true;
    }

    std::function<void()> WhileShown;
    std::function<void()> WhileWaiting;
    Form* owner = nullptr;
    COLORREF back = 0;
    int shows = 0, waits = 0;

private:
    int scaleWidth_;
    std::string caption_;
    bool shown_ = false;
};

// A progress bar without a window: the same percentage as the drawn one.
class MemoryProgressBar final : public MemoryControl<ProgressBar, ControlKind::ProgressBar> {
public:
    int Value() const override { return scale_.Value(); }
    void Value(int value) override {
        scale_.Value(value);
        scale_.ClampForDrawing();
    }
    int Max() const override { return scale_.Max(); }
    void Max(int value) override { scale_.Max(value); }
    int Min() const override { return scale_.Min(); }
    void Min(int value) override { scale_.Min(value); }
    COLORREF Color() const override { return color_; }
    void Color(COLORREF color) override { color_ = TranslateColor(color); }
    void SetColor(const std::string& property, COLORREF color) override {
        MemoryControl::SetColor(property, color);
        if (property == "Color") Color(color);
    }
    int Scrolling() const override { return scrolling_; }
    void Scrolling(int style) override { scrolling_ = style; }
    bool ShowText() const override { return showText_; }
    void ShowText(bool on) override { showText_ = on; }
    const FontSpec& Font() const override { return font_; }
    void Font(const FontSpec& font) override { font_ = font; }
    int Orientation() const override { return orientation_; }
    void Orientation(int orientation) override { orientation_ = orientation; }
    int Percent() const { return scale_.Percent(); }

private:
    ProgressScale scale_;
    FontSpec font_;
    COLORREF color_ = TranslateColor(kHighlightColor);
    int scrolling_ = 0, orientation_ = 0;
    bool showText_ = false;
};

// Makes in-memory controls holding their design-time values, items and style.
// Option buttons on the same parent form one group, as the real ones do: a
// parent made again (the next form) starts a new group.
class MemoryControlFactory final : public ControlFactory {
public:
    std::unique_ptr<CheckBox> MakeCheckBox(const ControlDesign& design) override {
        return Captioned(Made(std::make_unique<MemoryCheckBox>(design.value), design), design);
    }
    std::unique_ptr<OptionButton> MakeOptionButton(const ControlDesign& design) override {
        auto& group = groups_[design.parent];
        if (!group) group = std::make_shared<OptionGroup>();
        return Captioned(Made(std::make_unique<MemoryOptionButton>(design.value, group), design), design);
    }
    std::unique_ptr<ListBox> MakeListBox(const ControlDesign& design) override {
        auto list = Made(std::make_unique<MemoryListBox>(design.style), design);
        for (const auto& item : design.items) list->AddItem(item);
        return list;
    }
    std::unique_ptr<ComboBox> MakeComboBox(const ControlDesign& design) override {
        auto combo = Made(std::make_unique<MemoryComboBox>(), design);
        for (const auto& item : design.items) combo->AddItem(item);
        return combo;
    }
    std::unique_ptr<TextBox> MakeTextBox(const ControlDesign& design) override {
        return Made(std::make_unique<MemoryTextBox>(design.caption), design);
    }
    std::unique_ptr<Label> MakeLabel(const ControlDesign& design) override {
        return Placed(std::make_unique<MemoryLabel>(design.caption, static_cast<LabelStyle>(design.style)), design);
    }
    std::unique_ptr<Button> MakeButton(const ControlDesign& design) override {
        return Placed(std::make_unique<MemoryButton>(design.caption), design);
    }
    std::unique_ptr<Panel> MakePanel(const ControlDesign& design) override {
        return Container(Placed(std::make_unique<MemoryPanel>(), design), design);
    }
    std::unique_ptr<TabStrip> MakeTabStrip(const ControlDesign& design) override {
        return Container(
            Placed(std::make_unique<MemoryTabStrip>(std::max<int>(1, static_cast<int>(design.items.size()))), design),
            design);
    }
    std::unique_ptr<Picture> MakePicture(const ControlDesign& design) override {
        return Placed(std::make_unique<MemoryPicture>(), design);
    }
    std::unique_ptr<ProgressBar> MakeProgressBar(const ControlDesign& design) override {
        return Placed(std::make_unique<MemoryProgressBar>(), design);
    }
    std::unique_ptr<Grid> MakeGrid(const ControlDesign& design) override {
        return Placed(std::make_unique<MemoryGrid>(), design);
    }
    std::unique_ptr<Timer> MakeTimer(const ControlDesign& design) override {
        return std::make_unique<MemoryTimer>(design.value);
    }
    std::unique_ptr<TrayIcon> MakeTrayIcon(const ControlDesign&) override { return std::make_unique<MemoryTrayIcon>(); }
    std::unique_ptr<Balloon> MakeBalloon(const ControlDesign&, TrayIcon&) override {
        return std::make_unique<MemoryBalloon>();
    }
    std::unique_ptr<PopupMenu> MakePopupMenu(const ControlDesign& design) override {
        auto menu = std::make_unique<MemoryPopupMenu>();
        for (const auto& item : design.items) item == "-" ? menu->AddSeparator() : menu->AddItem(item);
        return menu;
    }
    std::unique_ptr<Splash> MakeSplash(const ControlDesign&) override { return std::make_unique<MemorySplash>(); }
    std::unique_ptr<PageEffect> MakePageEffect(const ControlDesign&) override {
        return std::make_unique<MemoryPageEffect>();
    }

private:
    // What lies on a control made again belongs to a new group.
    void Made(const ControlDesign& design) {
        const std::string key = DesignKey(design.name, design.index);
        for (auto it = groups_.begin(); it != groups_.end();)
            it = it->first == key || it->first.rfind(key + "#", 0) == 0 ? groups_.erase(it) : std::next(it);
    }
    // Made in the container its design names (a tab strip's page lies in the strip).
    template <class T>
    std::unique_ptr<T> Made(std::unique_ptr<T> control, const ControlDesign& design) {
        Made(design);
        auto container = containers_.find(design.parent.substr(0, design.parent.find('#')));
        control->LiesIn(container != containers_.end() ? container->second : nullptr);
        return control;
    }
    // Controls are made after the container they lie in.
    template <class T>
    std::unique_ptr<T> Container(std::unique_ptr<T> control, const ControlDesign& design) {
        containers_[DesignKey(design.name, design.index)] = control.get();
        return control;
    }
    // At the design's place, in twips (memory controls have no pixels).
    template <class T>
    std::unique_ptr<T> Placed(std::unique_ptr<T> control, const ControlDesign& design) {
        control = Made(std::move(control), design);
        control->Move(design.at.left, design.at.top, design.at.width, design.at.height);
        return control;
    }
    template <class T>
    static std::unique_ptr<T> Captioned(std::unique_ptr<T> box, const ControlDesign& design) {
        box->Caption(design.caption);
        return box;
    }

    std::map<std::string, std::shared_ptr<OptionGroup>> groups_;
    std::map<std::string, const MemoryPlace*> containers_;
};

}  // namespace tidvex::controls

// The kinds of control the main window is made of, as small interfaces. The
// window binds them to real child windows (the win32_*.h families); tests bind
// them to in-memory doubles that take their style from the same design rows.
// Handlers and services read and set controls only through these.
//
// Positions and sizes are pixels of the parent's client area. Notifications are
// plain function members that the form sets (OnClick, OnMouseUp ...); arrays of
// controls bind their index into the handler. Setting a value from code never
// runs a notification.
#pragma once

#include "controls/property_bag.h"
#include "controls/scheme.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tidvex::controls {

// Mouse button codes of the mouse notifications.
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kMiddleButton = 4;

// What every control on a form offers: visible, enabled, position and size,
// repaint, bringing it in front of its siblings (to choose one of several
// stacked ones) and the keyboard focus.
class Control : public SchemeControl {
public:
    virtual bool Visible() const = 0;
    virtual void Visible(bool on) = 0;
    virtual bool Enabled() const = 0;
    virtual void Enabled(bool on) = 0;
    virtual int Left() const = 0;
    virtual void Left(int x) = 0;
    virtual int Top() const = 0;
    virtual void Top(int y) = 0;
    virtual int Width() const = 0;
    virtual void Width(int cx) = 0;
    virtual int Height() const = 0;
    virtual void Height(int cy) = 0;
    virtual void Move(int left, int top, int width, int height) = 0;
    virtual void Refresh() = 0;
    virtual void ZOrder() = 0;
    virtual void SetFocus() = 0;
    virtual bool HasFocus() const = 0;
};

// Items in the order added, indexed from 0; ListIndex -1 when none is selected.
// An item is UTF-16 text, so that a path or a name keeps every character of
// it whatever the code page; code-page text is added as it reads.
class ItemList : public Control {
public:
    virtual void AddItem(const std::wstring& item) = 0;
    void AddItem(const std::string& item);
    virtual int ListCount() const = 0;
    virtual std::wstring List(int index) const = 0;
    virtual void RemoveItem(int index) = 0;
    virtual void Clear() = 0;
    virtual int ListIndex() const = 0;
    virtual void ListIndex(int index) = 0;
};

// A list box; several items can be selected at once. A check-box list shows a
// box before each item; a drop target takes files dragged from the shell.
class ListBox : public ItemList {
public:
    virtual bool Selected(int index) const = 0;
    virtual void Selected(int index, bool on) = 0;
    virtual bool Checked(int index) const = 0;
    virtual void Checked(int index, bool on) = 0;

    // The user checked or unchecked an item of a check-box list.
    std::function<void(int index)> OnItemCheck;
    // Files or folders dropped on the list, in the order the shell gives them,
    // named as the file system names them.
    std::function<void(const std::vector<std::wstring>& paths)> OnDropFiles;
};

// A drop-down list of texts to show (drives, methods); its text is the
// selected item's, in the code page.
class ComboBox : public ItemList {
public:
    virtual std::string Text() const = 0;

    // The user chose an item.
    std::function<void()> OnClick;
};

// A check box or an option button: 0 off, non-zero on (the program writes -1
// for on). The user's click turns a check box over and an option button on
// (the other option buttons of its group off), then notifies.
class CheckBox : public Control {
public:
    virtual int Value() const = 0;
    virtual void Value(int state) = 0;
    virtual std::string Caption() const = 0;
    virtual void Caption(const std::string& text) = 0;

    std::function<void()> OnClick;
};
using OptionButton = CheckBox;

// A text box. Text gives what it holds in the code page ("?" for a character
// the code page lacks); WideText gives it as typed.
class TextBox : public Control {
public:
    virtual std::string Text() const = 0;
    virtual void Text(const std::string& text) = 0;
    virtual std::wstring WideText() const = 0;
};

// What a label looks like: the window's plain labels, the gradient header
// banners, the decorative bars, the gradient labels, and the links (plain
// labels the user clicks, in the link colour).
enum class LabelStyle { Plain, Banner, Bars, Gradient, Link };

// A label, banner or bar; it reports the mouse button released over it.
class Label : public Control {
public:
    virtual std::string Caption() const = 0;
    virtual void Caption(const std::string& text) = 0;

    std::function<void(int button)> OnMouseUp;
};

// A picture the user can click (the registry editor's image).
class Picture : public Control {
public:
    std::function<void(int button)> OnMouseDown;
};

// A command button. One button of a group is the selected one; the second value
// mirrors a check box that the button stands for. An icon button shows its icon
// instead of a caption.
class Button : public Control {
public:
    virtual std::string Caption() const = 0;
    virtual void Caption(const std::string& text) = 0;
    virtual bool Selected() const = 0;
    virtual void Selected(bool on) = 0;
    virtual int Value() const = 0;
    virtual void Value(int state) = 0;
    virtual void Icon(HICON icon) = 0;

    std::function<void()> OnClick;
};

// A page panel: a container with an active flag of its own (only an active
// panel can be used), an accent colour (the inner line of its frame) and the
// handle of its window.
class Panel : public Control {
public:
    virtual bool Active() const = 0;
    virtual void Active(bool on) = 0;
    virtual void Color(COLORREF color) = 0;
    virtual std::intptr_t hWnd() const = 0;
};

// A tab strip. Tab(i) from code changes the tab without asking; a change the
// user asks for comes first to OnBeforeClick, which may cancel it.
class TabStrip : public Control {
public:
    virtual int Tabs() const = 0;
    virtual int Tab() const = 0;
    virtual void Tab(int index) = 0;

    std::function<void(int newTab, bool& cancel)> OnBeforeClick;
};

// How a grid shows one column of its data source. Only the first shown column
// can be a check-box column or be edited; a check-box cell holds "0" when off
// and "-1" when on. The cells hold UTF-16 text: the names and paths a grid
// shows are kept exactly as the registry or the file system gives them.
struct GridColumn {
    std::string header;
    int width = 100;
    bool hidden = false;
    bool checkBox = false;
    bool locked = true;
};

// The colours of a grid's rows, of its active row and of its column headers.
struct GridColors {
    COLORREF back = RGB(255, 255, 255);
    COLORREF text = RGB(0, 0, 0);
    COLORREF activeBack = RGB(75, 99, 150);
    COLORREF activeText = RGB(255, 255, 255);
    COLORREF headerBack = RGB(75, 99, 150);
    COLORREF headerText = RGB(255, 255, 255);
};

using GridRow = std::vector<std::wstring>;

// A grid over rows of text cells. The user checks check-box cells and, while a
// column is unlocked, edits its cells: OnBeforeUpdate may cancel the new value
// (empty when the user left none); OnAfterEdit follows every edit, committed or
// cancelled.
class Grid : public Control {
public:
    // Binds the grid to rows of `columns` cells (all shown, locked); Unbind
    // empties it.
    virtual void DataSource(const std::vector<GridRow>& rows, int columns) = 0;
    virtual void Unbind() = 0;
    virtual int Rows() const = 0;
    virtual int Columns() const = 0;
    virtual GridColumn Layout(int column) const = 0;
    virtual void Layout(int column, const GridColumn& layout) = 0;
    virtual std::wstring Cell(int row, int column) const = 0;
    virtual void Cell(int row, int column, const std::wstring& text) = 0;
    // The row of the active cell, -1 when none.
    virtual int ActiveRow() const = 0;
    virtual void ActiveRow(int row) = 0;
    // Puts the active cell of the unlocked column into edit mode.
    virtual void EditActiveCell() = 0;
    // Scrolls the rows by one step (up true: towards the first row).
    virtual void ScrollRows(bool up) = 0;
    virtual void Colors(const GridColors& colors) = 0;

    std::function<void(int row, int column, const std::wstring& newText, bool& cancel)> OnBeforeUpdate;
    std::function<void(int row, int column)> OnAfterEdit;
};

// A timer in milliseconds; it ticks while enabled and its interval is positive.
class Timer {
public:
    virtual ~Timer() = default;
    virtual int Interval() const = 0;
    virtual void Interval(int ms) = 0;
    virtual bool Enabled() const = 0;
    virtual void Enabled(bool on) = 0;

    std::function<void()> OnTimer;
};

// A pop-up menu of items and separators, indexed from 0 in the order added.
class PopupMenu {
public:
    virtual ~PopupMenu() = default;
    virtual int AddItem(const std::string& caption) = 0;
    virtual int AddSeparator() = 0;
    virtual std::string Caption(int index) const = 0;
    virtual void Caption(int index, const std::string& caption) = 0;
    // A disabled item shows greyed and cannot be chosen.
    virtual bool Enabled(int index) const = 0;
    virtual void Enabled(int index, bool on) = 0;
    // Shows the menu at a screen position; a chosen item is notified.
    virtual void Popup(int x, int y) = 0;

    std::function<void(int index)> OnClick;
};

// The icon in the notification area. Mouse notifications carry the window
// message code of the mouse action (515 left double-click, 517 right button
// released); OnReattach asks to attach again after the task bar came back.
class TrayIcon {
public:
    virtual ~TrayIcon() = default;
    virtual void Icon(HICON icon) = 0;
    virtual void ToolTip(const std::string& text) = 0;
    virtual bool Attach(HWND owner) = 0;
    virtual void Remove() = 0;
    virtual bool Attached() const = 0;
    // Screen position of the icon.
    virtual void Position(int& x, int& y) const = 0;

    std::function<void(int message)> OnMouse;
    std::function<void()> OnReattach;
};

// A balloon tip at a screen position (over the tray icon); a click on it is
// notified with 514 (left button released).
class Balloon {
public:
    virtual ~Balloon() = default;
    virtual void Move(int x, int y) = 0;
    virtual void Show(const std::string& title, const std::string& text, int style) = 0;
    virtual void Close() = 0;
    virtual bool Shown() const = 0;

    std::function<void(int message)> OnMouse;
};

// The start-up picture with its label "lblVersion".
class Splash {
public:
    virtual ~Splash() = default;
    virtual bool LoadPicture(const std::wstring& path) = 0;
    virtual void LabelText(const std::string& label, const std::string& text) = 0;
    virtual void Show(int display) = 0;
    virtual void Close() = 0;
    virtual bool Shown() const = 0;
};

// The page-switch effect: once its value is 1 (start-up ended), Run plays it
// once over the window whose handle it is given.
class PageEffect {
public:
    virtual ~PageEffect() = default;
    virtual int Value() const = 0;
    virtual void Value(int value) = 0;
    virtual void Run(std::intptr_t handle) = 0;
};

// A form's window as its logic needs it: shown modally over an owner form until
// it is closed. A close the user asks for (the Close box, Alt+F4) first goes to
// OnQueryClose, which refuses it by returning true.
class Form {
public:
    virtual ~Form() = default;
    virtual HWND hWnd() const = 0;
    virtual std::string Caption() const = 0;
    virtual void Caption(const std::string& text) = 0;
    // Width of the form's inside, where its controls lie.
    virtual int ScaleWidth() const = 0;
    virtual void BackColor(COLORREF color) = 0;
    virtual void ShowModal(Form* owner) = 0;
    virtual void Close() = 0;
    virtual bool Shown() const = 0;
    // Handles the program's messages until the form shown modally is closed,
    // or the program ends; at once when it is not shown (a form that stands
    // only for an owner never is).
    virtual void WaitClosed() {}

    std::function<bool()> OnQueryClose;
};

// The progress bar (XP_ProgressBar): it holds a whole-number percentage of
// Min..Max and draws it in one of ten styles.
class ProgressBar : public Control {
public:
    virtual int Value() const = 0;
    virtual void Value(int value) = 0;
    virtual int Max() const = 0;
    virtual void Max(int value) = 0;
    virtual int Min() const = 0;
    virtual void Min(int value) = 0;
    virtual COLORREF Color() const = 0;
    virtual void Color(COLORREF color) = 0;
    virtual int Scrolling() const = 0;
    virtual void Scrolling(int style) = 0;
    virtual bool ShowText() const = 0;
    virtual void ShowText(bool on) = 0;
    // The font of the percentage text.
    virtual const FontSpec& Font() const = 0;
    virtual void Font(const FontSpec& font) = 0;
    virtual int Orientation() const = 0;
    virtual void Orientation(int orientation) = 0;
};

// What a row of a form's design makes.
enum class ControlType {
    Label,
    Button,
    CheckBox,
    OptionButton,
    TextBox,
    ListBox,
    ComboBox,
    Panel,
    TabStrip,
    Picture,
    ProgressBar,
    Grid,
    Timer,
    TrayIcon,
    Balloon,
    PopupMenu,
    Splash,
    PageEffect
};

// A row's style, by its kind. A label's look:
inline constexpr int kPlain = static_cast<int>(LabelStyle::Plain);
inline constexpr int kBanner = static_cast<int>(LabelStyle::Banner);
inline constexpr int kBars = static_cast<int>(LabelStyle::Bars);
inline constexpr int kGradient = static_cast<int>(LabelStyle::Gradient);
inline constexpr int kLink = static_cast<int>(LabelStyle::Link);
// A list box's, the sum of: several items can be selected; a check box before
// each item; it takes files dropped from the shell.
inline constexpr int kMultiSelectList = 1;
inline constexpr int kCheckBoxList = 2;
inline constexpr int kDropTargetList = 4;
// A tab strip's: its tabs are chosen by buttons of the form, so it shows no row
// of tabs, only the chosen tab's page in its frame.
inline constexpr int kNoTabRow = 1;

// A place in twips of the parent's inside.
struct Twips {
    int left = 0, top = 0, width = 0, height = 0;
};

// What the window's design data says of one control: its name, its index in a
// control array (-1 for a single control), what it is, its caption as stored
// ("&&" shows as one "&"), its design-time value (check boxes and option
// buttons; a timer's interval in milliseconds) and its design-time items (list
// and combo boxes; a tab strip's tab captions; a menu's items, "-" a separator).
//
// Where it lies: `parent` names the control it sits on ("" the window itself,
// "frPage(1)" a panel, "tbCSettings(0)#2" the page of tab 2 of a tab strip; a
// balloon names its tray icon), `at` is its place. `style` is its kind's own
// look (above); a control not `visible` at design time is hidden once made.
// An `overlay` lies over its siblings on purpose when it shows (a panel over a
// page's controls, a notice over the boxes it stands for); members of one
// control array at one place are alternatives, one shown at a time.
struct ControlDesign {
    std::string name;
    int index = -1;
    ControlType kind = ControlType::Label;
    std::string caption{};
    int value = 0;
    std::vector<std::string> items{};
    std::string parent{};
    Twips at{};
    int style = 0;
    bool visible = true;
    bool overlay = false;
};

// Makes the controls of a form from their design data: the window hands in one
// that creates real child windows, a test one that creates in-memory controls.
class ControlFactory {
public:
    virtual ~ControlFactory() = default;
    virtual std::unique_ptr<CheckBox> MakeCheckBox(const ControlDesign& design) = 0;
    virtual std::unique_ptr<OptionButton> MakeOptionButton(const ControlDesign& design) = 0;
    virtual std::unique_ptr<ListBox> MakeListBox(const ControlDesign& design) = 0;
    virtual std::unique_ptr<ComboBox> MakeComboBox(const ControlDesign& design) = 0;
    virtual std::unique_ptr<TextBox> MakeTextBox(const ControlDesign& design) = 0;
    virtual std::unique_ptr<Label> MakeLabel(const ControlDesign& design) = 0;
    virtual std::unique_ptr<Button> MakeButton(const ControlDesign& design) = 0;
    virtual std::unique_ptr<Panel> MakePanel(const ControlDesign& design) = 0;
    virtual std::unique_ptr<TabStrip> MakeTabStrip(const ControlDesign& design) = 0;
    virtual std::unique_ptr<Picture> MakePicture(const ControlDesign& design) = 0;
    virtual std::unique_ptr<ProgressBar> MakeProgressBar(const ControlDesign& design) = 0;
    virtual std::unique_ptr<Grid> MakeGrid(const ControlDesign& design) = 0;
    // The value is the interval in milliseconds; timers start switched off.
    virtual std::unique_ptr<Timer> MakeTimer(const ControlDesign& design) = 0;
    // What the window has outside its client area: the tray icon with its
    // balloon, the pop-up menu (its items are the design's), the splash picture
    // and the page-switch effect.
    virtual std::unique_ptr<TrayIcon> MakeTrayIcon(const ControlDesign& design) = 0;
    virtual std::unique_ptr<Balloon> MakeBalloon(const ControlDesign& design, TrayIcon& icon) = 0;
    virtual std::unique_ptr<PopupMenu> MakePopupMenu(const ControlDesign& design) = 0;
    virtual std::unique_ptr<Splash> MakeSplash(const ControlDesign& design) = 0;
    virtual std::unique_ptr<PageEffect> MakePageEffect(const ControlDesign& design) = 0;
};

}  // namespace tidvex::controls

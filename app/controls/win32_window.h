// The real controls are each a child window whose window text is its caption,
// so the window can be read and driven by UI automation and assistive tools.
// Positions are pixels of the parent's client area; the parent is a window of
// ours (a container, a panel, a tab's page or a form) that reflects the
// children's notifications (ReflectToChild). The controls come in families
// (win32_labels.h, win32_buttons.h, win32_lists.h ...).
//
// The ground every real control stands on: one window per control object, the
// notifications of native child windows handed back to the control they belong
// to, the barrier that keeps a failing handler inside its window procedure, and
// the common Control members over a window handle.
#pragma once

#include "controls/controls.h"
#include "seam/seam.h"

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <utility>

namespace tidvex::controls::win32 {

// What happens to an error that a notification handler let out: while this is
// empty, a message box with the error text; tests and the program may put
// their own.
using ErrorReporter = std::function<void(const std::string& description)>;
extern Seam<ErrorReporter> gErrorReporter;
void ReportError(const std::string& description);
// Reports the exception being handled by its description (tidvex::CurrentError);
// call it only inside a catch block.
void ReportCurrentError() noexcept;

// Runs a handler; an exception it throws is reported and goes no further.
template <class F, class... Args>
void Fire(const F& handler, Args&&... args) noexcept {
    if (!handler) return;
    try {
        handler(std::forward<Args>(args)...);
    } catch (...) {
        ReportCurrentError();
    }
}

// Where a control lies: pixels of its parent's client area.
struct Bounds {
    int left = 0, top = 0, width = 0, height = 0;
};

// The style every control's child window starts with.
inline constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;

// What the parent paints behind a control of ours that has no back colour.
HBRUSH ParentBrush(HWND hwnd, HDC dc);
// A mouse button released (or pressed, when `released` is false) over a
// control of ours goes to its handler with the button; true when `msg` was one.
bool FireMouseButton(const std::function<void(int button)>& handler, UINT msg, bool released, LRESULT& result);
// A colour the scheme gave a control by name, or the fallback.
COLORREF FindColor(const std::map<std::string, COLORREF>& colors, const char* name, COLORREF fallback);

// Pixels for a length in twips (1/1440 inch) on this screen.
int TwipsToPixels(int twips);
// The font of the program's controls.
HFONT UiFont();
// The module the controls' window classes belong to.
HINSTANCE Instance();
// The program's own icon (the program file's icon 1) at `size` pixels, or at
// the platform's icon size for 0; the platform's plain program icon where the
// file has none. Every window class of ours carries it. Shared: never destroy.
HICON ProgramIcon(int size = 0);

// A picture file (bitmap, JPEG, GIF) as a bitmap the caller owns; nullptr when
// the file cannot be read as a picture.
HBITMAP LoadPictureFile(const std::string& path);
HBITMAP LoadPictureFile(const std::wstring& path);

class Win32Window;

// Where and how a control draws its caption: the part of its client area the
// text goes in, the DrawText flags it draws with and its font. A caption fits
// when DrawText with these (and DT_CALCRECT) needs no more than the area.
struct CaptionLayout {
    RECT area{};
    UINT flags = 0;
    HFONT font = nullptr;
};

// Whether every container round a child window (up to its top-level window)
// is enabled: a control of a disabled frame or tab strip is disabled with it.
bool ContainersEnabled(HWND hwnd);

// Hands a notification that a child sent to its parent (WM_COMMAND, WM_NOTIFY,
// WM_CTLCOLOR..., WM_DRAWITEM) to the control object of that child. Every
// window of ours that holds controls calls it first in its window procedure.
bool ReflectToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

// The window class of a plain container of controls (a form's client area, a
// tab's page): it reflects notifications and paints its back colour.
const char* ContainerClass();
// A top-level window of that class, hidden; for forms of our own and tests.
HWND CreateContainerWindow(const std::string& title, DWORD style, int width, int height, HWND owner = nullptr);
// A container's back colour (the default is the button face colour).
void SetContainerColor(HWND container, COLORREF color);
// What a container does with its back colour: erasing, the colour of the
// controls standing on it, and letting the colour go. A window of ours that
// holds controls calls it; true when the message was handled (result set).
bool PaintContainerBack(HWND hwnd, UINT msg, WPARAM wp, LRESULT& result);

// One window owned by one object. The window is either of a class of ours
// (CreateOwn) or a native control that is subclassed (CreateNative); both send
// their own messages to OnMessage and their reflected notifications to
// OnReflect. Destroying the object destroys the window.
class Win32Window {
public:
    Win32Window() = default;
    virtual ~Win32Window();
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    HWND hwnd() const { return hwnd_; }
    static Win32Window* FromHandle(HWND hwnd);

    // A message to the control's own window; true when handled (result set).
    virtual bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    // A notification the control sent to its parent; true when handled.
    virtual bool OnReflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    // Where the control draws its caption; false for a control without one.
    virtual bool TextLayout(CaptionLayout& layout) const;
    // A container round the window was enabled or disabled.
    virtual void ContainerEnabledChanged() {}

protected:
    // Registers (once) and creates a window of a class of ours.
    void CreateOwn(const char* className, const std::string& text, DWORD style, DWORD exStyle, HWND parent, int x,
                   int y, int width, int height, UINT classStyle = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS);
    void CreateNative(const char* className, const std::string& text, DWORD style, DWORD exStyle, HWND parent, int x,
                      int y, int width, int height);
    // The same as a window that keeps its text in UTF-16 and takes the wide
    // messages (LB_ADDSTRING with a UTF-16 item): a window of the code page
    // would turn the text into look-alikes on the way in.
    void CreateNativeWide(const wchar_t* className, DWORD style, DWORD exStyle, HWND parent, int x, int y, int width,
                          int height);
    // The notifications another window sends (a combo box's drop-down list)
    // come to this object too.
    void AlsoReflectFor(HWND other);
    // Lets the window's usual procedure handle a message.
    LRESULT Default(UINT msg, WPARAM wp, LPARAM lp);

private:
    static LRESULT CALLBACK OwnProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
    void Bind(HWND hwnd);
    void Subclass(HWND hwnd, bool wide);
    // The window's usual procedure, or the default one, in the window's own kind.
    static LRESULT CallUsual(WNDPROC original, bool wide, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    HWND hwnd_ = nullptr;
    WNDPROC original_ = nullptr;
    bool wide_ = false;
};

// The Control members over the object's window, and the scheme's "BackColor" and
// "ForeColor" for the colours its parent is asked for.
template <class Base>
class Win32Control : public Base, public Win32Window {
public:
    ControlKind Kind() const override { return kind_; }
    void SetColor(const std::string& property, COLORREF color) override {
        if (property == "BackColor") SetBack(color);
        else if (property == "ForeColor") SetFore(color);
        else return;
        Invalidate();
    }
    bool Visible() const override { return hwnd() && (GetWindowLongPtrA(hwnd(), GWL_STYLE) & WS_VISIBLE); }
    void Visible(bool on) override { ShowWindow(hwnd(), on ? SW_SHOWNA : SW_HIDE); }
    bool Enabled() const override { return enabled_; }
    void Enabled(bool on) override {
        enabled_ = on;
        ApplyEnabled();
    }
    int Left() const override { return Rect().left; }
    void Left(int x) override { Move(x, Top(), Width(), Height()); }
    int Top() const override { return Rect().top; }
    void Top(int y) override { Move(Left(), y, Width(), Height()); }
    int Width() const override { return Rect().right - Rect().left; }
    void Width(int cx) override { Move(Left(), Top(), cx, Height()); }
    int Height() const override { return Rect().bottom - Rect().top; }
    void Height(int cy) override { Move(Left(), Top(), Width(), cy); }
    void Move(int left, int top, int width, int height) override {
        MoveWindow(hwnd(), left, top, width, height, TRUE);
    }
    void Refresh() override { RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN); }
    void ZOrder() override { SetWindowPos(hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE); }
    void SetFocus() override { ::SetFocus(hwnd()); }
    bool HasFocus() const override {
        HWND focus = GetFocus();
        return focus && (focus == hwnd() || IsChild(hwnd(), focus));
    }

    void ContainerEnabledChanged() override { ApplyEnabled(); }

    bool OnReflect(UINT msg, WPARAM wp, LPARAM, LRESULT& result) override {
        if (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC && (hasBack_ || hasFore_)) {
            HDC dc = reinterpret_cast<HDC>(wp);
            if (hasFore_) SetTextColor(dc, fore_);
            if (hasBack_) {
                SetBkColor(dc, back_);
                result = reinterpret_cast<LRESULT>(brush_);
            } else {
                SetBkMode(dc, TRANSPARENT);
                result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
            }
            return true;
        }
        return false;
    }

    ~Win32Control() override {
        if (brush_) DeleteObject(brush_);
    }

protected:
    explicit Win32Control(ControlKind kind) : kind_(kind) {}
    // Enabled as the form set it, as the control itself allows and as its
    // containers are.
    virtual void ApplyEnabled() { EnableWindow(hwnd(), enabled_ && ContainersEnabled(hwnd())); }
    void SetBack(COLORREF color) {
        if (brush_) DeleteObject(brush_);
        brush_ = CreateSolidBrush(color);
        back_ = color;
        hasBack_ = true;
    }
    void SetFore(COLORREF color) {
        fore_ = color;
        hasFore_ = true;
    }
    void Invalidate() const { InvalidateRect(hwnd(), nullptr, TRUE); }
    RECT Rect() const {
        RECT r{};
        if (!hwnd()) return r;
        GetWindowRect(hwnd(), &r);
        MapWindowPoints(HWND_DESKTOP, GetParent(hwnd()), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    ControlKind kind_;
    bool enabled_ = true;
    bool hasBack_ = false, hasFore_ = false;
    COLORREF back_ = 0, fore_ = 0;
    HBRUSH brush_ = nullptr;
};

// A paint of the control's window between BeginPaint and EndPaint.
class PaintScope {
public:
    explicit PaintScope(HWND hwnd) : hwnd_(hwnd) { dc_ = BeginPaint(hwnd, &ps_); }
    ~PaintScope() { EndPaint(hwnd_, &ps_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC dc() const { return dc_; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// A GDI object selected into a device context for one scope, then deleted.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object, bool owned = true)
        : dc_(dc), object_(object), owned_(owned), old_(object ? SelectObject(dc, object) : nullptr) {}
    ~SelectedObject() {
        if (old_) SelectObject(dc_, old_);
        if (owned_ && object_) DeleteObject(object_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ object_;
    bool owned_;
    HGDIOBJ old_;
};

// A rectangle filled, or outlined, in one colour (nothing for an empty one).
void FillSolid(HDC dc, const RECT& r, COLORREF color);
void FrameSolid(HDC dc, const RECT& r, COLORREF color);

// Text of a window, whole.
std::string WindowText(HWND hwnd);

}  // namespace tidvex::controls::win32

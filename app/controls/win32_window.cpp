#include "controls/win32_window.h"

#include "errors/run_time_error.h"
#include "text/text.h"

#include <ole2.h>
#include <olectl.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <set>
#include <vector>

namespace tidvex::controls::win32 {

namespace {

const char kObjectProp[] = "TidvexControl";
const char kColorProp[] = "TidvexBackBrush";
const char kContainerClass[] = "TidvexContainer";

LRESULT CALLBACK ContainerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (ReflectToChild(msg, wp, lp, result)) return result;
    if (PaintContainerBack(hwnd, msg, wp, result)) return result;
    return DefWindowProcA(hwnd, msg, wp, lp);
}

void RegisterOnce(const char* className, WNDPROC proc, UINT style) {
    static std::set<std::string> registered;
    static std::mutex lock;
    std::lock_guard<std::mutex> guard(lock);
    if (registered.count(className)) return;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = Instance();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hIcon = ProgramIcon();
    wc.hIconSm = ProgramIcon(GetSystemMetrics(SM_CXSMICON));
    wc.lpszClassName = className;
    RegisterClassExA(&wc);
    registered.insert(className);
}

// The button (kLeftButton ...) of a mouse button message; 0 for any other.
int MouseButton(UINT msg) {
    switch (msg) {
        case WM_LBUTTONUP:
        case WM_LBUTTONDOWN: return kLeftButton;
        case WM_RBUTTONUP:
        case WM_RBUTTONDOWN: return kRightButton;
        case WM_MBUTTONUP:
        case WM_MBUTTONDOWN: return kMiddleButton;
        default: return 0;
    }
}

bool IsChildWindow(HWND hwnd) { return (GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_CHILD) != 0; }

// The nearest controls of ours inside a container follow its enabled state;
// those inside them follow in turn, when their own state changes.
void TellControlsInside(HWND container) {
    for (HWND child = GetWindow(container, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (Win32Window* control = Win32Window::FromHandle(child)) control->ContainerEnabledChanged();
        else TellControlsInside(child);
    }
}

}  // namespace

bool ContainersEnabled(HWND hwnd) {
    // Up to the top-level window, whose state is its own (a message box over it).
    for (HWND window = hwnd; window && IsChildWindow(window);) {
        window = GetParent(window);
        if (window && IsChildWindow(window) && !IsWindowEnabled(window)) return false;
    }
    return true;
}

Seam<ErrorReporter> gErrorReporter;

void ReportError(const std::string& description) {
    if (const ErrorReporter& reporter = gErrorReporter.Get()) {
        try {
            reporter(description);
        } catch (...) {
        }
        return;
    }
    MessageBoxA(nullptr, description.c_str(), "Tidvex", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

void ReportCurrentError() noexcept {
    try {
        ReportError(CurrentError().Description());
    } catch (...) {
        // Not even the text could be had: the window procedure still returns.
    }
}

HBRUSH ParentBrush(HWND hwnd, HDC dc) {
    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageA(GetParent(hwnd), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd)));
    return brush ? brush : GetSysColorBrush(COLOR_BTNFACE);
}

bool FireMouseButton(const std::function<void(int button)>& handler, UINT msg, bool released, LRESULT& result) {
    const bool up = msg == WM_LBUTTONUP || msg == WM_RBUTTONUP || msg == WM_MBUTTONUP;
    const bool down = msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN;
    if (!(released ? up : down)) return false;
    Fire(handler, MouseButton(msg));
    result = 0;
    return true;
}

COLORREF FindColor(const std::map<std::string, COLORREF>& colors, const char* name, COLORREF fallback) {
    auto it = colors.find(name);
    return it == colors.end() ? fallback : it->second;
}

int TwipsToPixels(int twips) {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return MulDiv(twips, dpi > 0 ? dpi : 96, 1440);
}

HFONT UiFont() {
    static HFONT font = [] {
        LOGFONTA lf{};
        lf.lfHeight = -11;
        lf.lfWeight = FW_NORMAL;
        lf.lfCharSet = DEFAULT_CHARSET;
        lstrcpynA(lf.lfFaceName, "Tahoma", LF_FACESIZE);
        HFONT f = CreateFontIndirectA(&lf);
        return f ? f : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }();
    return font;
}

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

HICON ProgramIcon(int size) {
    static std::map<int, HICON> loaded;
    static std::mutex lock;
    std::lock_guard<std::mutex> guard(lock);
    HICON& icon = loaded[size];
    if (!icon)
        icon = static_cast<HICON>(
            LoadImageA(Instance(), MAKEINTRESOURCEA(1), IMAGE_ICON, size, size, size ? 0 : LR_DEFAULTSIZE));
    if (!icon) icon = LoadIconA(nullptr, IDI_APPLICATION);
    return icon;
}

HBITMAP LoadPictureFile(const std::string& path) { return LoadPictureFile(text::Wide(path)); }

HBITMAP LoadPictureFile(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    if (!in) return nullptr;
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.empty()) return nullptr;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!memory) return nullptr;
    if (void* p = GlobalLock(memory)) {
        memcpy(p, bytes.data(), bytes.size());
        GlobalUnlock(memory);
    }
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
        GlobalFree(memory);
        return nullptr;
    }
    IPicture* picture = nullptr;
    HRESULT hr = OleLoadPicture(stream, static_cast<LONG>(bytes.size()), FALSE, IID_IPicture,
                                reinterpret_cast<void**>(&picture));
    stream->Release();
    if (FAILED(hr) || !picture) return nullptr;
    HBITMAP copy = nullptr;
    SHORT type = 0;
    OLE_HANDLE handle = 0;
    if (SUCCEEDED(picture->get_Type(&type)) && type == PICTYPE_BITMAP && SUCCEEDED(picture->get_Handle(&handle)))
        copy = static_cast<HBITMAP>(
            CopyImage(reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(handle)), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    picture->Release();
    return copy;
}

bool ReflectToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    HWND child = nullptr;
    switch (msg) {
        case WM_COMMAND:
            child = reinterpret_cast<HWND>(lp);
            break;
        case WM_NOTIFY:
            child = reinterpret_cast<NMHDR*>(lp)->hwndFrom;
            break;
        case WM_DRAWITEM:
            child = reinterpret_cast<DRAWITEMSTRUCT*>(lp)->hwndItem;
            break;
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
            child = reinterpret_cast<HWND>(lp);
            break;
        default: return false;
    }
    Win32Window* control = child ? Win32Window::FromHandle(child) : nullptr;
    return control && control->OnReflect(msg, wp, lp, result);
}

const char* ContainerClass() {
    RegisterOnce(kContainerClass, ContainerProc, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS);
    return kContainerClass;
}

HWND CreateContainerWindow(const std::string& title, DWORD style, int width, int height, HWND owner) {
    return CreateWindowExA(0, ContainerClass(), title.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT, width, height,
                           owner, nullptr, Instance(), nullptr);
}

bool PaintContainerBack(HWND hwnd, UINT msg, WPARAM wp, LRESULT& result) {
    auto brush = static_cast<HBRUSH>(GetPropA(hwnd, kColorProp));
    switch (msg) {
        case WM_ERASEBKGND: {
            RECT r;
            GetClientRect(hwnd, &r);
            FillRect(reinterpret_cast<HDC>(wp), &r, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
            result = 1;
            return true;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            // Labels, check boxes and option buttons take the container's colour.
            SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
            result = reinterpret_cast<LRESULT>(brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
            return true;
        case WM_NCDESTROY:
            if (brush) DeleteObject(brush);
            RemovePropA(hwnd, kColorProp);
            return false;
        default: return false;
    }
}

void SetContainerColor(HWND container, COLORREF color) {
    if (auto old = static_cast<HBRUSH>(GetPropA(container, kColorProp))) DeleteObject(old);
    SetPropA(container, kColorProp, CreateSolidBrush(color));
    InvalidateRect(container, nullptr, TRUE);
}

void FillSolid(HDC dc, const RECT& r, COLORREF color) {
    if (r.right <= r.left || r.bottom <= r.top) return;
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

void FrameSolid(HDC dc, const RECT& r, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    FrameRect(dc, &r, brush);
    DeleteObject(brush);
}

std::string WindowText(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text::Narrow(text);
}

// ---- Win32Window ----

Win32Window::~Win32Window() {
    if (!hwnd_) return;
    HWND hwnd = hwnd_;
    RemovePropA(hwnd, kObjectProp);
    if (original_)
        (wide_ ? SetWindowLongPtrW : SetWindowLongPtrA)(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    hwnd_ = nullptr;
    DestroyWindow(hwnd);
}

Win32Window* Win32Window::FromHandle(HWND hwnd) { return static_cast<Win32Window*>(GetPropA(hwnd, kObjectProp)); }

bool Win32Window::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }
bool Win32Window::OnReflect(UINT, WPARAM, LPARAM, LRESULT&) { return false; }
bool Win32Window::TextLayout(CaptionLayout&) const { return false; }

void Win32Window::Bind(HWND hwnd) {
    hwnd_ = hwnd;
    SetPropA(hwnd, kObjectProp, this);
}

void Win32Window::AlsoReflectFor(HWND other) { SetPropA(other, kObjectProp, this); }

void Win32Window::CreateOwn(const char* className, const std::string& text, DWORD style, DWORD exStyle, HWND parent,
                            int x, int y, int width, int height, UINT classStyle) {
    RegisterOnce(className, OwnProc, classStyle);
    CreateWindowExA(exStyle, className, text.c_str(), style, x, y, width, height, parent, nullptr, Instance(), this);
    if (hwnd_) SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(UiFont()), FALSE);
}

void Win32Window::CreateNative(const char* className, const std::string& text, DWORD style, DWORD exStyle,
                               HWND parent, int x, int y, int width, int height) {
    Subclass(CreateWindowExA(exStyle, className, text.c_str(), style, x, y, width, height, parent, nullptr, Instance(),
                             nullptr),
             false);
}

void Win32Window::CreateNativeWide(const wchar_t* className, DWORD style, DWORD exStyle, HWND parent, int x, int y,
                                   int width, int height) {
    Subclass(CreateWindowExW(exStyle, className, L"", style, x, y, width, height, parent, nullptr, Instance(), nullptr),
             true);
}

void Win32Window::Subclass(HWND hwnd, bool wide) {
    if (!hwnd) return;
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(UiFont()), FALSE);
    Bind(hwnd);
    wide_ = wide;
    // Subclassed in its own kind: a wide window subclassed through the code
    // page's call would take its text through the code page from then on.
    original_ = reinterpret_cast<WNDPROC>((wide ? SetWindowLongPtrW : SetWindowLongPtrA)(
        hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32Window::SubclassProc)));
}

LRESULT Win32Window::CallUsual(WNDPROC original, bool wide, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (original) return (wide ? CallWindowProcW : CallWindowProcA)(original, hwnd, msg, wp, lp);
    return (wide ? DefWindowProcW : DefWindowProcA)(hwnd, msg, wp, lp);
}

LRESULT Win32Window::Default(UINT msg, WPARAM wp, LPARAM lp) { return CallUsual(original_, wide_, hwnd_, msg, wp, lp); }

LRESULT Win32Window::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (!original_ && ReflectToChild(msg, wp, lp, result)) return result;
    if (msg == WM_ENABLE && IsChildWindow(hwnd_)) {
        // What a control draws by its state it draws again (a link greys), and
        // the controls inside it look and act as it does.
        InvalidateRect(hwnd_, nullptr, TRUE);
        TellControlsInside(hwnd_);
    }
    bool handled = false;
    try {
        handled = OnMessage(msg, wp, lp, result);
    } catch (...) {
        ReportCurrentError();
        handled = false;
    }
    if (handled) return result;
    HWND hwnd = hwnd_;
    WNDPROC original = original_;
    const bool wide = wide_;
    if (msg == WM_NCDESTROY) {
        // The window goes before its object (its parent was destroyed).
        RemovePropA(hwnd, kObjectProp);
        if (original)
            (wide ? SetWindowLongPtrW : SetWindowLongPtrA)(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        hwnd_ = nullptr;
        original_ = nullptr;
    }
    return CallUsual(original, wide, hwnd, msg, wp, lp);
}

LRESULT CALLBACK Win32Window::OwnProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<Win32Window*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        if (self) self->Bind(hwnd);
    }
    Win32Window* self = FromHandle(hwnd);
    if (!self) {
        LRESULT result = 0;
        if (ReflectToChild(msg, wp, lp, result)) return result;
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
    return self->Dispatch(msg, wp, lp);
}

LRESULT CALLBACK Win32Window::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Win32Window* self = FromHandle(hwnd);
    if (!self) return (IsWindowUnicode(hwnd) ? DefWindowProcW : DefWindowProcA)(hwnd, msg, wp, lp);
    return self->Dispatch(msg, wp, lp);
}

}  // namespace tidvex::controls::win32

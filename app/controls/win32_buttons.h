// Command buttons, check boxes, option buttons and text boxes: native controls
// whose state the form owns.
#pragma once

#include "controls/controls.h"
#include "controls/win32_window.h"

#include <string>

namespace tidvex::controls::win32 {

// Drawn by the program: the platform draws a disabled caption through a
// bitmap as wide as the text's advance and cuts the ink of a last glyph that
// reaches it ("Files/Folders" lost half its "s"). It still answers BM_GETCHECK
// and BM_GETIMAGE as a push-like check box and an icon button do.
class Win32Button final : public Win32Control<Button> {
public:
    Win32Button(HWND parent, const std::string& caption, Bounds at);
    std::string Caption() const override { return WindowText(hwnd()); }
    void Caption(const std::string& text) override;
    bool Selected() const override { return selected_; }
    void Selected(bool on) override;
    int Value() const override { return value_; }
    void Value(int state) override { value_ = state; }
    void Icon(HICON icon) override;
    bool OnReflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    bool TextLayout(CaptionLayout& layout) const override;

private:
    void Draw(const DRAWITEMSTRUCT& item) const;

    int value_ = 0;
    bool selected_ = false;
    HICON icon_ = nullptr;
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
    bool TextLayout(CaptionLayout& layout) const override;

private:
    // The caption of a disabled box in a dimmed ink over its background, in
    // place of the platform's embossed white, which cannot be read on the
    // window's light colours.
    void DrawDimmedCaption(HDC dc) const;

    Type type_;
    int value_ = 0;
    bool hasBorder_ = false;
    COLORREF border_ = 0;
};

class Win32TextBox final : public Win32Control<TextBox> {
public:
    // A window that keeps the text as typed (UTF-16): a code-page window would
    // give a look-alike of what the code page cannot hold.
    Win32TextBox(HWND parent, const std::string& text, Bounds at, bool multiLine = false);
    std::string Text() const override;
    void Text(const std::string& text) override;
    std::wstring WideText() const override;
};

}  // namespace tidvex::controls::win32

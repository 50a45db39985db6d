// Labels, banners, bars and links, and the picture the user can click: drawn by
// the program itself.
#pragma once

#include "controls/controls.h"
#include "controls/win32_window.h"

#include <string>
#include <map>

namespace tidvex::controls::win32 {

class Win32Label final : public Win32Control<Label> {
public:
    Win32Label(HWND parent, const std::string& caption, Bounds at, LabelStyle style = LabelStyle::Plain);
    std::string Caption() const override { return WindowText(hwnd()); }
    void Caption(const std::string& text) override;
    void SetColor(const std::string& property, COLORREF color) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void Alignment(UINT drawTextFlags) { align_ = drawTextFlags; }
    bool TextLayout(CaptionLayout& layout) const override;

private:
    void Paint(HDC dc);
    // A banner's header band, where its caption goes.
    RECT Header(const RECT& client) const;
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

}  // namespace tidvex::controls::win32

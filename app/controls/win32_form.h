// A form of our own: a top-level window with a caption and a system menu that
// holds controls, shown modally over its owner with a message loop of its own.
#pragma once

#include "controls/win32_window.h"

namespace tidvex::controls::win32 {

class Win32Form final : public Form, public Win32Window {
public:
    Win32Form(const std::string& caption, int width, int height);
    HWND hWnd() const override { return hwnd(); }
    std::string Caption() const override { return WindowText(hwnd()); }
    void Caption(const std::string& text) override { SetWindowTextA(hwnd(), text.c_str()); }
    int ScaleWidth() const override;
    void BackColor(COLORREF color) override;
    void ShowModal(Form* owner) override;
    void Close() override;
    bool Shown() const override { return modal_ && !closed_; }
    void WaitClosed() override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    ~Win32Form() override;

private:
    // The messages of the program until the form is closed; false when the
    // program ends first (its WM_QUIT is posted again for the main loop).
    bool RunUntilClosed();

    bool modal_ = false;
    bool closed_ = true;
};

}  // namespace tidvex::controls::win32

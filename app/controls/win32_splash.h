// The start-up picture and the page-switch effect.
#pragma once

#include "controls/controls.h"
#include "controls/win32_window.h"

#include <string>

namespace tidvex::controls::win32 {

// A borderless window in the middle of the screen with the picture and its label.
class Win32Splash final : public Splash, public Win32Window {
public:
    Win32Splash();
    ~Win32Splash() override;
    bool LoadPicture(const std::wstring& path) override;
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

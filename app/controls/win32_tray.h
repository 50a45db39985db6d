// What the window has in the notification area: the tray icon with its balloon
// tip, and the pop-up menu.
#pragma once

#include "controls/controls.h"
#include "controls/win32_window.h"

#include <string>
#include <shellapi.h>

namespace tidvex::controls::win32 {

class Win32PopupMenu final : public PopupMenu {
public:
    Win32PopupMenu();
    ~Win32PopupMenu() override;
    int AddItem(const std::string& caption) override;
    int AddSeparator() override;
    std::string Caption(int index) const override;
    void Caption(int index, const std::string& caption) override;
    bool Enabled(int index) const override;
    void Enabled(int index, bool on) override;
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

}  // namespace tidvex::controls::win32

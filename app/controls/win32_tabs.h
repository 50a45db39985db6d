// The page panels and the tab strip whose tabs each have a page of their own.
#pragma once

#include "controls/controls.h"
#include "controls/win32_window.h"

#include <string>
#include <map>
#include <vector>

namespace tidvex::controls::win32 {

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
    void ApplyEnabled() override { EnableWindow(hwnd(), enabled_ && active_ && ContainersEnabled(hwnd())); }

private:
    COLORREF Colour(const char* name, COLORREF fallback) const;
    bool active_ = true;
    COLORREF accent_ = RGB(255, 255, 255);
    std::map<std::string, COLORREF> colors_;
    HBRUSH backBrush_ = nullptr;
};

// Each tab has a page (a container) over the strip's display area; the page of
// the current tab is the one shown. Pages take the strip's Appearance colour.
// Without its row of tabs the strip is only a frame round the pages.
class Win32TabStrip final : public Win32Control<TabStrip> {
public:
    Win32TabStrip(HWND parent, const std::vector<std::string>& captions, Bounds at, bool tabRow = true);
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
    bool tabRow_;
    // The tab a click or a key is about to ask for.
    int clickTarget_ = -1, keyTarget_ = -1;
};

}  // namespace tidvex::controls::win32

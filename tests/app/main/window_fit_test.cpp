// The real main window as a user meets it, every page and sub-page at once:
// each caption fits where its control draws it (measured with the control's
// own font and wrapping), each control lies inside its parent, and no two
// shown siblings overlap unless the design lays one over the other. A misfit
// is reported by the control's name.
#include "real_window.h"

#include "controls/win32_window.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

namespace {

using namespace tidvex::controls;
using tidvex::controls::win32::CaptionLayout;
using tidvex::controls::win32::Win32Window;

std::string Size(LONG width, LONG height) { return std::to_string(width) + "x" + std::to_string(height); }

std::string Place(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ") " + Size(r.right - r.left, r.bottom - r.top);
}

HWND WindowOf(const MadeControl& made) {
    return std::visit(
        [](auto* control) -> HWND {
            using T = std::remove_pointer_t<decltype(control)>;
            if constexpr (std::is_base_of_v<Control, T>) {
                if (const auto* window = dynamic_cast<const Win32Window*>(control)) return window->hwnd();
            }
            return nullptr;
        },
        made);
}

// What a caption needs beyond the area its control draws it in; empty when it fits.
std::string CaptionMisfit(HWND hwnd) {
    const Win32Window* control = Win32Window::FromHandle(hwnd);
    CaptionLayout layout;
    const std::string text = tidvex::controls::win32::WindowText(hwnd);
    if (!control || !control->TextLayout(layout) || text.empty()) return {};
    const LONG width = layout.area.right - layout.area.left, height = layout.area.bottom - layout.area.top;
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, layout.font);
    RECT need{0, 0, width, 0};
    DrawTextA(dc, text.c_str(), -1, &need,
              (layout.flags & ~static_cast<UINT>(DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM)) | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    if (need.right - need.left <= width && need.bottom - need.top <= height) return {};
    return "\"" + text + "\" needs " + Size(need.right - need.left, need.bottom - need.top) + " px, has " +
           Size(width, height);
}

RECT InParent(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Every misfit of the made controls that show, by design or now.
std::vector<std::string> Misfits(const ControlSet& made) {
    struct Shown {
        const ControlDesign* design;
        RECT at;
    };
    std::map<HWND, std::vector<Shown>> siblings;
    std::vector<std::string> misfits;
    for (const ControlSet::Entry& entry : made.Entries()) {
        HWND hwnd = WindowOf(entry.control);
        if (!hwnd || !(entry.design.visible || (GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_VISIBLE))) continue;
        const std::string name = DesignKey(entry.design.name, entry.design.index);
        if (std::string why = CaptionMisfit(hwnd); !why.empty()) misfits.push_back(name + ": " + why);
        const RECT at = InParent(hwnd);
        RECT room{};
        GetClientRect(GetParent(hwnd), &room);
        RECT inside{};
        IntersectRect(&inside, &at, &room);
        if (!EqualRect(&inside, &at))
            misfits.push_back(name + ": at " + Place(at) + ", outside its parent's " + Size(room.right, room.bottom));
        siblings[GetParent(hwnd)].push_back({&entry.design, at});
    }
    for (const auto& [parent, shown] : siblings) {
        for (size_t i = 0; i < shown.size(); ++i) {
            for (size_t j = i + 1; j < shown.size(); ++j) {
                const ControlDesign &a = *shown[i].design, &b = *shown[j].design;
                RECT common{};
                if (!IntersectRect(&common, &shown[i].at, &shown[j].at) || a.overlay || b.overlay) continue;
                if (a.name == b.name && EqualRect(&shown[i].at, &shown[j].at)) continue;
                misfits.push_back(DesignKey(a.name, a.index) + " and " + DesignKey(b.name, b.index) + " overlap at " +
                                  Place(common));
            }
        }
    }
    return misfits;
}

std::string Lines(const std::vector<std::string>& lines) {
    std::string all;
    for (const auto& line : lines) all += line + "\n";
    return all;
}

TEST(WindowFit, EveryCaptionFitsAndEveryControlLiesInItsPlace) {
    tidvex::test::RealWindow real("program");
    ASSERT_TRUE(real.Ready());
    tidvex::main::win32::MainWindow& window = real.window();
    ASSERT_TRUE(window.Load());
    tidvex::main::frmMain& f = window.form();
    // What shows only at times: the hard-disk text the clean settings write
    // when they open, and the shredding's progress.
    f.lblChangeCleanSettings_MouseUp(kLeftButton);
    f.SetShredBusyUI();

    std::vector<std::string> misfits = Misfits(f.Made());
    // Captions the program gives controls while it runs.
    const std::map<std::string, std::vector<std::string>> laterCaptions = {
        {"cmdStartCleaning", {"Stop Cleaning"}},
        {"cmdStartShred",
         {"Start Shredding Empty Space", "Start Shredding Recycle Bin", "Stop Shredding Files/Folders",
          "Stop Shredding Empty Space", "Stop Shredding Recycle Bin"}},
        {"gCSettingsTitle", {"Browsers", "Chat", "Windows", "Hard Drive", "MRU", "Registry"}},
        {"gOptionsTitle", {"Settings", "Safe List", "Black list", "Safe Cookies", "Schedule", "About"}},
    };
    for (const auto& [name, captions] : laterCaptions) {
        HWND hwnd = nullptr;
        for (const ControlSet::Entry& entry : f.Made().Entries())
            if (entry.design.name == name) hwnd = WindowOf(entry.control);
        ASSERT_NE(hwnd, nullptr) << name;
        for (const std::string& caption : captions) {
            SetWindowTextA(hwnd, caption.c_str());
            if (std::string why = CaptionMisfit(hwnd); !why.empty()) misfits.push_back(name + ": " + why);
        }
    }
    EXPECT_TRUE(misfits.empty()) << misfits.size() << " misfits:\n" << Lines(misfits);
}

}  // namespace

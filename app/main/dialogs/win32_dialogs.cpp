#include "main/dialogs/win32_dialogs.h"

#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace tidvex::dialogs {

using controls::LabelStyle;
using controls::win32::Bounds;

namespace {

const int kBoxWidth = 380, kBoxHeight = 150;
const int kDialogWidth = 440, kDialogHeight = 262;

HICON SystemIcon(LPCSTR id) { return LoadIconA(nullptr, id); }

// Icon 2 tells of success (the optimizer's "applied successfully"): a white tick
// on a green disc. The platform's stock icons are for notices, warnings, errors
// and questions only, so it is drawn here.
HICON SuccessIcon() {
    const int size = GetSystemMetrics(SM_CXICON) > 0 ? GetSystemMetrics(SM_CXICON) : 32;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP color = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!color) return SystemIcon(IDI_INFORMATION);
    // Distance from a point to the segment a-b, all in a square of side 1.
    auto distance = [](double x, double y, double ax, double ay, double bx, double by) {
        const double dx = bx - ax, dy = by - ay;
        const double t = std::clamp(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        return std::hypot(x - ax - t * dx, y - ay - t * dy);
    };
    constexpr int kSamples = 4;
    auto* pixel = static_cast<std::uint32_t*>(bits);
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            double r = 0, g = 0, b = 0, covered = 0;
            for (int s = 0; s < kSamples * kSamples; ++s) {
                const double x = (px + (s % kSamples + 0.5) / kSamples) / size;
                const double y = (py + (s / kSamples + 0.5) / kSamples) / size;
                const double fromCentre = std::hypot(x - 0.5, y - 0.5);
                if (fromCentre > 0.47) continue;
                const bool tick =
                    std::min(distance(x, y, 0.27, 0.52, 0.44, 0.69), distance(x, y, 0.44, 0.69, 0.75, 0.33)) < 0.065;
                const bool rim = fromCentre > 0.42;
                r += tick ? 255 : rim ? 22 : 46;
                g += tick ? 255 : rim ? 110 : 160 - 60 * y;
                b += tick ? 255 : rim ? 40 : 70;
                covered += 1;
            }
            // The colour of what the pixel covers, its coverage as the alpha.
            const auto mean = [&](double sum) { return static_cast<std::uint32_t>(covered ? sum / covered + 0.5 : 0); };
            const auto alpha = static_cast<std::uint32_t>(covered * 255 / (kSamples * kSamples) + 0.5);
            pixel[py * size + px] = alpha << 24 | mean(r) << 16 | mean(g) << 8 | mean(b);
        }
    }
    // Every pixel drawn through its alpha: an empty mask.
    const std::vector<BYTE> clear(static_cast<size_t>((size + 15) / 16 * 2 * size), 0);
    HBITMAP mask = CreateBitmap(size, size, 1, 1, clear.data());
    ICONINFO parts{TRUE, 0, 0, mask, color};
    HICON icon = CreateIconIndirect(&parts);
    DeleteObject(mask);
    DeleteObject(color);
    return icon ? icon : SystemIcon(IDI_INFORMATION);
}

HICON RegistryEditorIcon() {
    char path[MAX_PATH] = {};
    if (SearchPathA(nullptr, "regedit.exe", nullptr, MAX_PATH, path, nullptr))
        if (HICON icon = ExtractIconA(GetModuleHandleA(nullptr), path, 0); icon && icon != reinterpret_cast<HICON>(1))
            return icon;
    return SystemIcon(IDI_APPLICATION);
}

}  // namespace

bool StartProgram(const std::string& command) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi{};
    std::string line = command;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

MessageBoxWindow::MessageBoxWindow()
    : form_("Tidvex", kBoxWidth, kBoxHeight),
      banner_(form_.hwnd(), "Tidvex", Bounds{0, 0, kBoxWidth, 26}, LabelStyle::Banner),
      message_(form_.hwnd(), "", Bounds{72, 38, kBoxWidth - 84, 64}),
      message0_(form_.hwnd(), "", Bounds{100, 112, 80, 26}),
      message1_(form_.hwnd(), "", Bounds{200, 112, 80, 26}),
      icon0_(form_.hwnd(), "", Bounds{16, 40, 40, 40}),
      icon1_(form_.hwnd(), "", Bounds{16, 40, 40, 40}),
      icon2_(form_.hwnd(), "", Bounds{16, 40, 40, 40}),
      icon3_(form_.hwnd(), "", Bounds{16, 40, 40, 40}),
      box_({form_, banner_, message_, {&message0_, &message1_}, {&icon0_, &icon1_, &icon2_, &icon3_}}) {
    icon0_.Icon(SystemIcon(IDI_INFORMATION));
    icon1_.Icon(SystemIcon(IDI_ERROR));
    icon2_.Icon(SuccessIcon());
    icon3_.Icon(SystemIcon(IDI_QUESTION));
}

RegistryDialogWindow::RegistryDialogWindow(controls::ListBox& lstSafeList, controls::ListBox& lstBlackList,
                                           frmMessageBox& messages)
    : form_("Add Registry Key", kDialogWidth, kDialogHeight),
      banner_(form_.hwnd(), "Add Registry Key", Bounds{0, 0, kDialogWidth, 26}, LabelStyle::Banner),
      steps_(form_.hwnd(), "", Bounds{12, 34, 120, 16}),
      step1_(form_.hwnd(), "", Bounds{24, 54, 330, 30}),
      step2_(form_.hwnd(), "", Bounds{24, 88, 330, 30}),
      step3_(form_.hwnd(), "", Bounds{24, 122, 330, 16}),
      step4_(form_.hwnd(), "", Bounds{24, 188, 330, 16}),
      txtRegItem_(form_.hwnd(), "", Bounds{24, 142, kDialogWidth - 48, 22}),
      picRegistry_(form_.hwnd(), Bounds{372, 54, 48, 48}),
      cmdOk_(form_.hwnd(), "Ok", Bounds{kDialogWidth - 196, kDialogHeight - 40, 80, 26}),
      cmdCancel_(form_.hwnd(), "Cancel", Bounds{kDialogWidth - 104, kDialogHeight - 40, 80, 26}),
      dialog_({form_, banner_, {&steps_, &step1_, &step2_, &step3_, &step4_}, txtRegItem_, picRegistry_, cmdOk_,
               cmdCancel_},
              {lstSafeList, lstBlackList, messages, StartProgram}) {
    picRegistry_.Image(RegistryEditorIcon());
}

}  // namespace tidvex::dialogs

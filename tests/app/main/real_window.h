// The real main window in the test's process, its libraries registered, on a
// program folder of the test's own that holds the splash picture.
#pragma once

#include "main/win32/main_window.h"

#include "com/com_types.h"
#include "harness/support.h"
#include "services/program.h"

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace tidvex::test {

class RealWindow {
public:
    explicit RealWindow(const std::string& folderName)
        : folder_(ProgramFolder(folderName)), program_(folder_), com_(), window_(StartControls()) {}

    // Whether the splash picture was there for the start-up.
    bool Ready() const { return GetFileAttributesA((folder_ + "\\Splash.spl").c_str()) != INVALID_FILE_ATTRIBUTES; }
    main::win32::MainWindow& window() { return window_; }

    // A short cleaning (no area chosen) when Windows shuts down, then a restart.
    void CleanThenRestartAtShutdown() {
        main::frmMain& f = window_.form();
        for (auto* area : {f.chkInternet, f.chkSystem, f.chkRegistry}) area->Value(0);
        f.chkSessionSchedule->Value(-1);
        f.chkWhenWindowsShuts->Value(-1);
        f.optSessionSchedule[0]->Value(0);
        f.optSessionSchedule[1]->Value(-1);
    }

private:
    static std::string ProgramFolder(const std::string& name) {
        const std::string folder = ScratchFolder(name);
        CopyFileA("Y:\\Splash.spl", (folder + "\\Splash.spl").c_str(), FALSE);
        return folder;
    }
    static std::string StartControls() {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        return "";
    }

    std::string folder_;
    services::ScopedAppPath program_;
    com::ComInit com_;
    main::win32::MainWindow window_;
};

}  // namespace tidvex::test

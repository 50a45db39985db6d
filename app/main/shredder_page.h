// The Shredder page's controls and state (shredder_page.cpp).
#pragma once

#include "controls/controls.h"
#include "main/library_objects.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tidvex::shred {
class Shredder;
}

namespace tidvex::main {

struct ShredderPage {
    std::array<controls::Button*, 3> cmdShredder{};
    controls::TabStrip* tbShredder = nullptr;
    controls::ListBox *lstFiles{}, *lstDrives{};
    controls::Button *cmdAddFiles{}, *cmdAddFolder{}, *cmdRemoveShredItem{}, *cmdRemoveAllShred{};
    // The wiping method, by item index.
    controls::ComboBox* cmbShredMethod = nullptr;
    controls::CheckBox* chkShredShutdown = nullptr;
    controls::Button* cmdStartShred = nullptr;
    controls::Label *lblShredLabel{}, *lblItemProgress{}, *lblTotalProgress{};
    controls::ProgressBar *prgItemShred{}, *prgTotalShred{};
    // The page's fixed texts.
    std::vector<controls::Label*> lblShredText;

    // The shredder object, for the program's life; its events come to the
    // form's Shredder_... handlers.
    std::unique_ptr<ShredderObject> Shredder;
    // A ShredSessionType: 0 files and folders, 1 free space of drives, 2 Recycle Bin.
    std::int16_t ShredMode = 0;
    bool IsShredding = false;

    // Moves on at every Start and Stop: a completion belongs to the session
    // that ran when it began and ends as soon as this moves on.
    std::uint32_t ShredRun = 0;
    // The program's own shredder of a completion's second pass while it works,
    // so that Stop ends it too.
    shred::Shredder* SecondPass = nullptr;
    // What the server reported as errors while the session ran: how many, and
    // the first few texts.
    int ShredErrorCount = 0;
    std::vector<std::string> ShredErrors;
};

}  // namespace tidvex::main

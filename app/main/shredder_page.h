// The Shredder page's controls and state (shredder_page.cpp).
#pragma once

#include "controls/controls.h"
#include "main/library_objects.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

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
};

}  // namespace tidvex::main

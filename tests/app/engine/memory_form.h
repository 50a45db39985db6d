// The window's controls a cleaning reads, as in-memory controls, for the
// engine's tests (the window's own form lives above the engine).
#pragma once

#include "memory_controls.h"
#include "engine/clean_options.h"

#include <array>

namespace tidvex::engine::test {

struct MemoryCleaningForm {
    std::array<controls::MemoryCheckBox, kCleanSettCount> chkCleanSett;
    std::array<controls::MemoryCheckBox, 3> chkSettings;
    controls::MemoryTextBox txtCustomExt;
    controls::MemoryComboBox cmbDrives;
    controls::MemoryListBox lstBlackList;

    CleaningForm View() {
        CleaningForm form;
        for (size_t i = 0; i < chkCleanSett.size(); ++i) form.chkCleanSett[i] = &chkCleanSett[i];
        for (size_t i = 0; i < chkSettings.size(); ++i) form.chkSettings[i] = &chkSettings[i];
        form.txtCustomExt = &txtCustomExt;
        form.cmbDrives = &cmbDrives;
        form.lstBlackList = &lstBlackList;
        return form;
    }
    // Only the listed boxes checked.
    void Check(std::initializer_list<int> boxes, int value = -1) {
        for (auto& box : chkCleanSett) box.Value(0);
        for (int i : boxes) chkCleanSett[static_cast<size_t>(i)].Value(value);
    }
};

}  // namespace tidvex::engine::test

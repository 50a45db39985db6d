// The Optimizer page's controls and state (optimizer_page.cpp).
#pragma once

#include "controls/controls.h"
#include "main/library_objects.h"

#include <array>
#include <memory>
#include <vector>

namespace tidvex::main {

struct OptimizerPage {
    std::array<controls::Button*, 4> cmdOptimizer{};
    controls::TabStrip* tbOptimizer = nullptr;
    std::array<controls::CheckBox*, 11> chkOptimizer{};
    controls::ComboBox* cmbConnections = nullptr;
    controls::ListBox* lstPreventAccess = nullptr;
    controls::Button *cmdOptimizeApply{}, *cmdOptimizeCancel{};
    // The page's fixed texts.
    std::vector<controls::Label*> lblOptimizerText;

    // The optimizer object, for the program's life.
    std::unique_ptr<OptimizerObject> Optimizer;
};

}  // namespace tidvex::main

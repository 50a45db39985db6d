// What other pages do when the window starts, switches pages or closes, in
// their simplest form: the sub-page switches and empty set-ups. Each page's own
// file takes its entries over from here as the page is built.
#include "main/form.h"

namespace tidvex::main {

// Shredder page
void frmMain::cmdShredder_Click(int Index) { SelectSubPage(cmdShredder, *tbShredder, Index); }
void frmMain::cmdStartShred_Click() {}
void frmMain::ShredderPageEntered() {}

// Optimizer page
void frmMain::cmdOptimizer_Click(int Index) { SelectSubPage(cmdOptimizer, *tbOptimizer, Index); }
void frmMain::LoadLockedDrives() {}

}  // namespace tidvex::main

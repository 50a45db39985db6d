// What other pages do when the window starts, switches pages or closes, in
// their simplest form: the sub-page switches and empty set-ups. Each page's own
// file takes its entries over from here as the page is built.
#include "main/form.h"

namespace tidvex::main {

// Tools page
void frmMain::CreateStartupManager() {}
void frmMain::LoadStartupEntries() {}
void frmMain::CreateUninstaller() {}
void frmMain::LoadInstalledPrograms() {}

// Options page
void frmMain::cmdOptions_Click(int Index) { SelectSubPage(cmdOptions, *tbOptions, Index); }
void frmMain::tmrSchedule_Timer() {}
void frmMain::ShutDownClean() {}

}  // namespace tidvex::main

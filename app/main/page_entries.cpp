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

}  // namespace tidvex::main

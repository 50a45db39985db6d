// Page navigation: the toolbar's pages, the Main page with its links, the
// Tools page's sub-page buttons and tabs, the grids' scrolling and the page
// refresh timer.
#include "main/form.h"

namespace tidvex::main {

void frmMain::MakeMainPage(controls::ControlFactory& factory) {
    made_.Make(factory, DesignRows(FormPart::MainPage));
    TIDVEX_BIND(made_, lblMainText, lblCleanerHere, lblShredFilesHere, lblShredSpaceHere, lblShredRecycleHere,
                lblOptimizeHere, lblStartupHere, lblUninstalHere);

    lblCleanerHere->OnMouseUp = [this](int b) { lblCleanerHere_MouseUp(b); };
    lblOptimizeHere->OnMouseUp = [this](int b) { lblOptimizeHere_MouseUp(b); };
    lblShredFilesHere->OnMouseUp = [this](int b) { lblShredFilesHere_MouseUp(b); };
    lblShredSpaceHere->OnMouseUp = [this](int b) { lblShredSpaceHere_MouseUp(b); };
    lblShredRecycleHere->OnMouseUp = [this](int b) { lblShredRecycleHere_MouseUp(b); };
    lblStartupHere->OnMouseUp = [this](int b) { lblStartupHere_MouseUp(b); };
    lblUninstalHere->OnMouseUp = [this](int b) { lblUninstalHere_MouseUp(b); };
}

void frmMain::MakeToolsPage(controls::ControlFactory& factory) {
    made_.Make(factory, DesignRows(FormPart::ToolsPage));
    TIDVEX_BIND(made_, cmdTools, tbTools);

    ClickEach(cmdTools, &frmMain::cmdTools_Click);
    GuardTabs(*tbTools, cmdTools);
}

void frmMain::cmdToolBar_Click(int Index) {
    // A cleaning and a shredding each keep their page until they end.
    if (gIsCleaning || IsShredding) return;
    if (Index < 0 || Index >= static_cast<int>(cmdToolBar.size()) || Index == CurrentPageIndex) return;
    for (auto* button : cmdToolBar) {
        button->Selected(false);
        button->Enabled(true);
    }
    cmdToolBar[static_cast<size_t>(Index)]->Selected(true);
    cmdToolBar[static_cast<size_t>(Index)]->Enabled(false);
    lblCleanItem->Visible(false);
    Splash2->Run(frPage[6]->hWnd());
    tmrRefresh->Enabled(true);

    // Only the shown page is active, and it alone is in sight.
    const int previous = CurrentPageIndex;
    if (previous == -1) {
        for (int i = 0; i < 6; ++i)
            if (i != Index) frPage[static_cast<size_t>(i)]->Active(false);
    } else {
        frPage[static_cast<size_t>(Index)]->Active(true);
        frPage[static_cast<size_t>(previous)]->Active(false);
    }
    for (int i = 0; i < 6; ++i) frPage[static_cast<size_t>(i)]->Visible(i == Index);
    frPage[static_cast<size_t>(Index)]->ZOrder();
    CurrentPageIndex = static_cast<std::int16_t>(Index);

    switch (Index) {
        case 1:
            HideCleanSettings();
            // The current item is the Cleaner page's own: it shows there again.
            lblCleanItem->Visible(true);
            break;
        case 2: ShredderPageEntered(); break;
        case 3: LoadLockedDrives(); break;
        case 4:
            Grid->Visible(false);
            CreateStartupManager();
            Grid->Unbind();
            LoadStartupEntries();
            Grid->Visible(true);
            Grid2->Visible(false);
            CreateUninstaller();
            Grid2->Unbind();
            LoadInstalledPrograms();
            Grid2->Visible(true);
            break;
        default: break;
    }
}

void frmMain::cmdTools_Click(int Index) {
    try {
        SelectSubPage(cmdTools, *tbTools, Index);
        if (Index == 0) LoadStartupEntries();
        else if (Index == 1) LoadInstalledPrograms();
    } catch (...) {
        // A sub-page that cannot load its list stays as it is.
    }
}

void frmMain::lblCleanerHere_MouseUp(int Button) {
    if (Button == controls::kLeftButton) cmdToolBar_Click(1);
}

void frmMain::lblOptimizeHere_MouseUp(int Button) {
    if (Button == controls::kLeftButton) cmdToolBar_Click(3);
}

void frmMain::lblShredFilesHere_MouseUp(int Button) {
    if (Button != controls::kLeftButton) return;
    cmdToolBar_Click(2);
    cmdShredder_Click(0);
}

void frmMain::lblShredSpaceHere_MouseUp(int Button) {
    if (Button != controls::kLeftButton) return;
    cmdShredder_Click(1);
    cmdToolBar_Click(2);
}

void frmMain::lblShredRecycleHere_MouseUp(int Button) {
    if (Button != controls::kLeftButton) return;
    cmdShredder_Click(2);
    cmdToolBar_Click(2);
}

void frmMain::lblStartupHere_MouseUp(int Button) {
    if (Button != controls::kLeftButton) return;
    cmdTools_Click(0);
    cmdToolBar_Click(4);
}

void frmMain::lblUninstalHere_MouseUp(int Button) {
    if (Button != controls::kLeftButton) return;
    cmdTools_Click(1);
    cmdToolBar_Click(4);
}

namespace {

void ScrollFocusedGrid(controls::Grid& startup, controls::Grid& uninstall, bool up) {
    try {
        if (startup.HasFocus()) startup.ScrollRows(up);
        else if (uninstall.HasFocus()) uninstall.ScrollRows(up);
    } catch (...) {
    }
}

}  // namespace

void frmMain::ScrollUp() { ScrollFocusedGrid(*Grid, *Grid2, true); }
void frmMain::ScrollDown() { ScrollFocusedGrid(*Grid, *Grid2, false); }

void frmMain::tmrRefresh_Timer() {
    tmrRefresh->Enabled(false);
    if (CurrentPageIndex < 0) return;
    controls::Panel& page = *frPage[static_cast<size_t>(CurrentPageIndex)];
    page.Refresh();
    page.Color(RGB(255, 255, 255));
}

}  // namespace tidvex::main

// The Options page with in-memory controls and scripted dialogs: sub-pages,
// the safe and black lists with their messages, safe cookies, the Run value
// and the links.
#include "main/options_page.h"

#include "main/form_design.h"

#include "../services/cookie_index.h"
#include "memory_box.h"
#include "page_fixture.h"
#include "registry/registry.h"
#include "services/helpers.h"
#include "services/lists.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace tidvex::test;
using tidvex::main::frmMain;
namespace services = tidvex::services;

const std::string kInSafe = "ShowMe This item is already exist in the safe list. [Ok] icon 0";
const std::string kInBlack = "ShowMe This item is already exist in the black list. [Ok] icon 0";
const std::string kFilesDialog =
    "files Please Select a file or group of files (several) filter All Files(*.*)|*.*|";
const std::string kFolderDialog = "folder Please Select a folder";

class OptionsPageTest : public PageTest {
protected:
    std::string File(std::int32_t list) {
        return ReadFileBytes(services::ListFilePath(list)).value_or("");
    }
    // A list box and its file with entries already in them.
    void Seed(tidvex::controls::ListBox* box, std::int32_t list, const Texts& entries) {
        for (const auto& entry : entries) {
            box->AddItem(entry);
            services::AddiTem2File(services::kFileItem, entry, list);
        }
    }
};

TEST_F(OptionsPageTest, EachSubPageButtonSelectsItselfItsTitleAndItsTab) {
    frmMain& f = form();
    for (int i : {4, 0, 5, 1, 2}) {
        Box(f.chkSelectAllCookies).Value(-1);
        Box(f.chkSelectAllSafeCookies).Value(-1);
        Press(f.cmdOptions[static_cast<size_t>(i)]).UserClick();
        for (int b = 0; b < 6; ++b) EXPECT_EQ(f.cmdOptions[static_cast<size_t>(b)]->Selected(), b == i) << i << " " << b;
        EXPECT_EQ(f.gOptionsTitle->Caption(), tidvex::main::Design("cmdOptions", i).caption);
        EXPECT_EQ(f.tbOptions->Tab(), i);
        EXPECT_EQ(f.chkSelectAllCookies->Value(), 0);
        EXPECT_EQ(f.chkSelectAllSafeCookies->Value(), 0);
    }
    // A click on the strip's own tabs changes nothing.
    auto& strip = *static_cast<tidvex::controls::MemoryTabStrip*>(f.tbOptions);
    for (int tab : {0, 3, 5}) {
        strip.UserClickTab(tab);
        EXPECT_EQ(strip.Tab(), 2) << tab;
    }
    bool cancel = true;
    f.tbOptions->OnBeforeClick(2, cancel);
    EXPECT_FALSE(cancel) << "the selected button's own tab may be shown";
}

TEST_F(OptionsPageTest, OpeningSafeCookiesTwiceRefillsBothListsWithoutDuplicates) {
    const std::string cookies = ScratchFolder("Cookies");
    tidvex::registry::CRegistry().ValueEx(tidvex::registry::kCurrentUser,
                                          "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                                          "Cookies", REG_SZ, {}, cookies);
    WriteFileBytes(cookies + "\\root@example[1].txt", "cookie");
    WriteFileBytes(cookies + "\\root@other[1].txt", "cookie");
    CookieIndex index;
    index.Record("URL ", "Cookie:root@example.com/", "root@example[1].txt");
    index.Record("URL ", "Cookie:root@other.org/", "root@other[1].txt");
    WriteFileBytes(cookies + "\\index.dat", index.Bytes());
    services::AddiTem2File(services::kCookieSiteItem, "http://example.com/ ", services::kCookieList);

    frmMain& f = form();
    for (int pass = 0; pass < 2; ++pass) {
        f.cmdOptions_Click(3);
        EXPECT_EQ(List(f.lstAllCookies).Items(), (Texts{"http://example.com/ ", "http://other.org/ "})) << pass;
        EXPECT_EQ(List(f.lstSafeCookies).Items(), Texts{"http://example.com/ "}) << pass;
    }

    // Select All, then add: the site already kept is passed over silently.
    Box(f.chkSelectAllCookies).UserClick();
    EXPECT_TRUE(f.lstAllCookies->Selected(0) && f.lstAllCookies->Selected(1));
    Press(f.cmdAddSafeCookie).UserClick();
    EXPECT_EQ(List(f.lstSafeCookies).Items(), (Texts{"http://example.com/ ", "http://other.org/ "}));
    EXPECT_EQ(File(services::kCookieList), "3|http://example.com/ \r\n3|http://other.org/ \r\n");
    EXPECT_EQ(TakeCalls(), Texts{});
    Box(f.chkSelectAllCookies).UserClick();
    EXPECT_FALSE(f.lstAllCookies->Selected(0) || f.lstAllCookies->Selected(1));

    // Remove the first kept site.
    f.lstSafeCookies->Selected(0, true);
    Press(f.cmdRemoveSafeCookie).UserClick();
    EXPECT_EQ(List(f.lstSafeCookies).Items(), Texts{"http://other.org/ "});
    EXPECT_EQ(File(services::kCookieList), "3|http://other.org/ \r\n");
}

TEST_F(OptionsPageTest, SafeCookiesWithoutACookieStoreStillSwitchTheTab) {
    tidvex::registry::CRegistry().ValueEx(tidvex::registry::kCurrentUser,
                                          "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                                          "Cookies", REG_SZ, {}, ScratchFolder("NoCookies"));
    frmMain& f = form();
    f.lstAllCookies->AddItem("stale");
    f.cmdOptions_Click(3);
    EXPECT_EQ(List(f.lstAllCookies).Items(), Texts{});
    EXPECT_EQ(f.tbOptions->Tab(), 3);
    EXPECT_TRUE(f.cmdOptions[3]->Selected());
}

// Every way of adding to the two lists, with what the lists then hold, the file
// lines and what the user was asked and told.
TEST_F(OptionsPageTest, AddingToTheSafeAndBlackLists) {
    const std::string dir = ScratchFolder("dropped");
    WriteFileBytes(dir + "\\file.txt", "x");
    CreateDirectoryA((dir + "\\sub").c_str(), nullptr);

    struct Case {
        const char* name;
        std::function<void(frmMain&)> act;
        std::deque<std::string> answers;
        Texts safe, black;  // the boxes afterwards (the safe list starts with S:\kept.txt,
                            // the black list with S:\gone.txt)
        std::string safeFile, blackFile;  // lines added to the files
        Texts calls;
    };
    auto press = [](tidvex::controls::Button* frmMain::*button) {
        return [button](frmMain& f) { Press(f.*button).UserClick(); };
    };
    auto drop = [](bool safe, Texts paths) {
        return [safe, paths](frmMain& f) { List(safe ? f.lstSafeList : f.lstBlackList).UserDrop(paths); };
    };
    const Case cases[] = {
        {"three files to the black list", press(&frmMain::cmdAddBlackFile),
         {std::string("C:\\docs\0a.txt\0b.txt\0c.txt\0\0", 27)},
         {"S:\\kept.txt"},
         {"S:\\gone.txt", "C:\\docs\\a.txt", "C:\\docs\\b.txt", "C:\\docs\\c.txt"},
         "",
         "0|C:\\docs\\a.txt\r\n0|C:\\docs\\b.txt\r\n0|C:\\docs\\c.txt\r\n",
         {kFilesDialog}},
        {"one file: its full path", press(&frmMain::cmdAddSafeFile),
         {std::string("C:\\docs\\one.txt\0\0", 17)},
         {"S:\\kept.txt", "C:\\docs\\one.txt"},
         {"S:\\gone.txt"},
         "0|C:\\docs\\one.txt\r\n",
         "",
         {kFilesDialog}},
        {"files in a drive root", press(&frmMain::cmdAddSafeFile),
         {std::string("C:\\\0a.txt\0\0", 11)},
         {"S:\\kept.txt", "C:\\a.txt"},
         {"S:\\gone.txt"},
         "0|C:\\a.txt\r\n",
         "",
         {kFilesDialog}},
        {"cancelled file dialog", press(&frmMain::cmdAddBlackFile), {"Cancel"}, {"S:\\kept.txt"}, {"S:\\gone.txt"}, "", "",
         {kFilesDialog}},
        {"a safe file to the black list", press(&frmMain::cmdAddBlackFile),
         {std::string("S:\\kept.txt\0\0", 13)},
         {"S:\\kept.txt"},
         {"S:\\gone.txt"},
         "",
         "",
         {kFilesDialog, kInSafe}},
        {"a black file again, then a new one", press(&frmMain::cmdAddBlackFile),
         {std::string("S:\\\0gone.txt\0new.txt\0\0", 22)},
         {"S:\\kept.txt"},
         {"S:\\gone.txt", "S:\\new.txt"},
         "",
         "0|S:\\new.txt\r\n",
         {kFilesDialog, kInBlack}},
        {"a folder", press(&frmMain::cmdAddBlackFolder), {"C:\\Old Stuff"}, {"S:\\kept.txt"},
         {"S:\\gone.txt", "C:\\Old Stuff"}, "", "1|C:\\Old Stuff\r\n", {kFolderDialog}},
        {"a drive root as folder", press(&frmMain::cmdAddSafeFolder), {"C:\\"}, {"S:\\kept.txt"}, {"S:\\gone.txt"}, "", "",
         {kFolderDialog}},
        {"a drive root in another spelling", press(&frmMain::cmdAddBlackFolder), {"\\\\?\\C:\\"}, {"S:\\kept.txt"},
         {"S:\\gone.txt"}, "", "", {kFolderDialog}},
        {"a root reached by dot-dot", press(&frmMain::cmdAddBlackFolder), {"C:\\Windows\\.."}, {"S:\\kept.txt"},
         {"S:\\gone.txt"}, "", "", {kFolderDialog}},
        {"an administrative share", press(&frmMain::cmdAddBlackFolder), {"\\\\host\\C$\\Windows"}, {"S:\\kept.txt"},
         {"S:\\gone.txt"}, "", "", {kFolderDialog}},
        {"a folder by a prefix, listed in its plain form", press(&frmMain::cmdAddSafeFolder),
         {"\\\\?\\C:\\Old Stuff\\x\\.."}, {"S:\\kept.txt", "C:\\Old Stuff"}, {"S:\\gone.txt"}, "1|C:\\Old Stuff\r\n", "",
         {kFolderDialog}},
        {"dropped devices and root spellings", drop(false, {"\\\\.\\C:", "\\\\?\\S:\\", "S:/x/..", "C:\\x\\NUL"}), {},
         {"S:\\kept.txt"}, {"S:\\gone.txt"}, "", "", {}},
        {"a cancelled folder picker", press(&frmMain::cmdAddSafeFolder), {""}, {"S:\\kept.txt"}, {"S:\\gone.txt"}, "",
         "", {kFolderDialog}},
        {"the safe list's own folder again", press(&frmMain::cmdAddSafeFolder), {"S:\\kept.txt"}, {"S:\\kept.txt"},
         {"S:\\gone.txt"}, "", "", {kFolderDialog, kInSafe}},
        {"a registry key to the safe list", press(&frmMain::cmdAddSafeRegKey), {}, {"S:\\kept.txt"}, {"S:\\gone.txt"}, "",
         "", {"registry safe"}},
        {"a registry key to the black list", press(&frmMain::cmdAddBlackRegistry), {}, {"S:\\kept.txt"},
         {"S:\\gone.txt"}, "", "", {"registry black"}},
        {"dropped file and folder", drop(true, {dir + "\\file.txt", dir + "\\sub"}), {},
         {"S:\\kept.txt", dir + "\\file.txt", dir + "\\sub"}, {"S:\\gone.txt"},
         "0|" + dir + "\\file.txt\r\n1|" + dir + "\\sub\r\n", "", {}},
        {"dropped root, empty and listed paths", drop(false, {"C:\\", "", "S:\\gone.txt", "S:\\kept.txt"}), {},
         {"S:\\kept.txt"}, {"S:\\gone.txt"}, "", "", {kInBlack, kInSafe}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileW(services::ListFilePath(services::kSafeList).c_str());
        DeleteFileW(services::ListFilePath(services::kBlackList).c_str());
        frmMain& f = form();
        f.lstSafeList->Clear();
        f.lstBlackList->Clear();
        Seed(f.lstSafeList, services::kSafeList, {"S:\\kept.txt"});
        Seed(f.lstBlackList, services::kBlackList, {"S:\\gone.txt"});
        answers = c.answers;
        c.act(f);
        EXPECT_EQ(List(f.lstSafeList).Items(), c.safe);
        EXPECT_EQ(List(f.lstBlackList).Items(), c.black);
        EXPECT_EQ(File(services::kSafeList), "0|S:\\kept.txt\r\n" + c.safeFile);
        EXPECT_EQ(File(services::kBlackList), "0|S:\\gone.txt\r\n" + c.blackFile);
        EXPECT_EQ(TakeCalls(), c.calls);
    }
}

TEST_F(OptionsPageTest, TheDialogsResultGivesTheChosenFiles) {
    using namespace std::string_literals;
    struct Case {
        std::wstring result;
        std::vector<std::wstring> files;
    };
    const Case cases[] = {
        {L"C:\\a\\one.txt\0"s, {L"C:\\a\\one.txt"}},
        {L"C:\\a\\one.txt"s, {L"C:\\a\\one.txt"}},
        {L"C:\\a\0x\0yy\0\0"s, {L"C:\\a\\x", L"C:\\a\\yy"}},
        {L"C:\\\0x\0\0"s, {L"C:\\x"}},
        {L"C:\0x\0\0"s, {L"C:\\x"}},
        {L"C:\\\0\0"s, {}},
        {L"C:\0\0"s, {}},
        {L""s, {}},
        // Names the code page cannot hold come as they are.
        {L"C:\\t\0\u0101.txt\0\u65E5\u672C\0\0"s, {L"C:\\t\\\u0101.txt", L"C:\\t\\\u65E5\u672C"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(tidvex::main::ChosenFiles(c.result), c.files) << Visible(tidvex::text::Narrow(c.result));
}

TEST_F(OptionsPageTest, RemovingTakesExactlyTheSelectedEntriesFromBoxAndFile) {
    frmMain& f = form();
    Seed(f.lstSafeList, services::kSafeList, {"C:\\a", "C:\\b", "C:\\c", "C:\\d"});
    f.lstSafeList->Selected(1, true);
    f.lstSafeList->Selected(3, true);
    Press(f.cmdRemoveSafeItem).UserClick();
    EXPECT_EQ(List(f.lstSafeList).Items(), (Texts{"C:\\a", "C:\\c"}));
    EXPECT_EQ(File(services::kSafeList), "0|C:\\a\r\n0|C:\\c\r\n");

    Seed(f.lstBlackList, services::kBlackList, {"C:\\x"});
    Press(f.cmdRemoveBlackItem).UserClick();
    EXPECT_EQ(List(f.lstBlackList).Items(), Texts{"C:\\x"}) << "nothing selected";
    f.lstBlackList->Selected(0, true);
    Press(f.cmdRemoveBlackItem).UserClick();
    EXPECT_EQ(List(f.lstBlackList).Items(), Texts{});
    EXPECT_EQ(File(services::kBlackList), "");
    EXPECT_EQ(TakeCalls(), Texts{});
}

TEST_F(OptionsPageTest, TheRunValueFollowsTheTwoBoxes) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string name = std::string(self).substr(std::string(self).find_last_of('\\') + 1);
    // A value left from the case before is replaced or deleted.
    const std::string program = "\"" + tidvex::services::AppPath() + "\\" + name + "\" ";
    struct Case {
        int launch, starts;
        const char* click;  // which box the user clicks last
        std::string expected;
    };
    const Case cases[] = {
        {-1, 0, "launch", program + "/tray"},
        {0, 0, "launch", "<none>"},
        {-1, -1, "launch", program + "/clean"},
        {0, -1, "launch", program + "/clean"},
        {-1, -1, "starts", program + "/clean"},
        {0, -1, "starts", program + "/clean"},
        {-1, 0, "starts", program + "/tray"},
        {0, 0, "starts", "<none>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.click) + " launch=" + std::to_string(c.launch) + " starts=" + std::to_string(c.starts));
        frmMain& f = form();
        // The click turns the box over: set the other state first.
        if (std::string(c.click) == "launch") {
            f.chkWhenWindowStarts->Value(c.starts);
            f.chkSettings[0]->Value(c.launch ? 0 : -1);
            Box(f.chkSettings[0]).UserClick();
        } else {
            f.chkSettings[0]->Value(c.launch);
            f.chkWhenWindowStarts->Value(c.starts ? 0 : -1);
            Box(f.chkWhenWindowStarts).UserClick();
        }
        EXPECT_EQ(RunValue(), c.expected);
    }
    // The shred and log boxes leave the value alone.
    Box(form().chkSettings[1]).UserClick();
    Box(form().chkSettings[2]).UserClick();
    EXPECT_EQ(RunValue(), "<none>");
}

TEST_F(OptionsPageTest, TheLinksOpenTheirTargetsWithTheLeftButtonOnly) {
    frmMain& f = form();
    const std::string home = tidvex::main::kHomePage;
    struct Case {
        const char* name;
        std::function<void(int button)> click;
        Texts calls;
    };
    auto label = [](tidvex::controls::Label* l) {
        return [l](int button) { static_cast<tidvex::controls::MemoryLabel*>(l)->UserMouseUp(button); };
    };
    const Case cases[] = {
        {"help", label(f.lblHelp), {"open " + tidvex::services::AppPath() + "\\Help.chm"}},
        {"updates", label(f.lblUpdate), {"open " + home + "updates.html?V=1.0.0.0&N=Tidvex"}},
        {"web site", label(f.lblWebSite), {"open " + home}},
        {"logo", [&f](int b) { static_cast<tidvex::controls::MemoryPicture*>(f.picLogo)->UserMouseDown(b); },
         {"open " + home}},
    };
    EXPECT_EQ(f.lblWebSite->Caption(), home);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.click(tidvex::controls::kRightButton);
        EXPECT_EQ(TakeCalls(), Texts{});
        c.click(tidvex::controls::kLeftButton);
        EXPECT_EQ(TakeCalls(), c.calls);
    }
}

TEST_F(OptionsPageTest, AboutShowsTheAboutTabUnlessACleaningRuns) {
    frmMain& f = form();
    auto& about = *static_cast<tidvex::controls::MemoryLabel*>(f.lblAbout);
    about.UserMouseUp(tidvex::controls::kRightButton);
    EXPECT_EQ(f.CurrentPageIndex, -1);
    about.UserMouseUp(tidvex::controls::kLeftButton);
    EXPECT_EQ(f.CurrentPageIndex, 5);
    EXPECT_EQ(f.tbOptions->Tab(), 5);
    EXPECT_EQ(f.gOptionsTitle->Caption(), "About");

    f.cmdToolBar_Click(0);
    f.cmdOptions_Click(1);
    tidvex::main::gIsCleaning = true;
    about.UserMouseUp(tidvex::controls::kLeftButton);
    EXPECT_EQ(f.CurrentPageIndex, 0);
    EXPECT_EQ(f.tbOptions->Tab(), 1);
}

// The dialogs a real window answers with: the platform's file dialog over the
// main window, the program's registry-key dialog modal over it.
TEST_F(OptionsPageTest, InTheWindowThePlatformsDialogsAnswer) {
    using namespace tidvex::controls;
    frmMain& f = form();
    MemoryForm mainForm;
    MemoryBox messages;
    Texts shown;
    messages.form.WhileShown = [&] {
        shown.push_back(messages.message.Caption());
        messages.b0.UserClick();
    };
    MemoryForm regForm;
    MemoryLabel banner, l0, l1, l2, l3, l4;
    MemoryTextBox text;
    MemoryPicture picture;
    MemoryButton ok, cancel;
    tidvex::dialogs::frmRegistry registry{{regForm, banner, {&l0, &l1, &l2, &l3, &l4}, text, picture, ok, cancel},
                                          {*f.lstSafeList, *f.lstBlackList, messages.box, nullptr}};
    regForm.WhileShown = [&] {
        EXPECT_EQ(regForm.owner, &mainForm);
        text.Text("HKEY_CURRENT_USER\\Software\\Kept");
        ok.UserClick();
    };
    tidvex::main::PlatformDialogs platformDialogs(mainForm);
    window.dialogs = &platformDialogs;
    window.registryDialog = &registry;
    window.registryOwner = &mainForm;

    tidvex::services::ScopedPlatformCalls dialogs({.getOpenFileName = [](OPENFILENAMEW* ofn) {
        const wchar_t chosen[] = L"S:\\dir\0a.txt\0b.txt\0";
        memcpy(ofn->lpstrFile, chosen, sizeof chosen);
        return TRUE;
    }});
    Press(f.cmdAddBlackFile).UserClick();
    EXPECT_EQ(List(f.lstBlackList).Items(), (Texts{"S:\\dir\\a.txt", "S:\\dir\\b.txt"}));
    Press(f.cmdAddSafeFile).UserClick();
    EXPECT_EQ(TakeCalls(), (Texts{kInBlack, kInBlack}));

    Press(f.cmdAddSafeRegKey).UserClick();
    EXPECT_EQ(List(f.lstSafeList).Items(), Texts{"HKEY_CURRENT_USER\\Software\\Kept"});
    EXPECT_EQ(File(services::kSafeList), "2|HKEY_CURRENT_USER\\Software\\Kept\r\n");
    EXPECT_TRUE(registry.isSafeItem);
    Press(f.cmdAddBlackRegistry).UserClick();
    EXPECT_FALSE(registry.isSafeItem);
    // The dialog's own message lies over the dialog.
    EXPECT_EQ(shown, Texts{"This item is already exist in the safe list."});
    EXPECT_EQ(messages.form.owner, &regForm);
}

}  // namespace

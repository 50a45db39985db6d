// The real main window, its libraries registered, given names that the code
// page cannot hold through every way a name enters it: a drop as Explorer
// makes it (a real WM_DROPFILES whose names are UTF-16), "Add File(s)" and
// "Add Folder" (the platform's wide dialogs answered at their call). The
// Shredder page shreds exactly the chosen items; the safe and black lists
// refuse them, say which item and why, and store nothing; and the look-alike
// that the code page would have made of each name keeps every byte, also
// through a cleaning.
#include "real_window.h"

#include "controls/win32_window.h"
#include "services/helpers.h"
#include "services/lists.h"
#include "shell_drop.h"
#include "text/text.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using tidvex::main::frmMain;
using tidvex::test::kOutsideNames;
using tidvex::test::OutsideName;
using tidvex::text::Narrow;
using tidvex::text::Wide;
using Paths = std::vector<std::wstring>;

HWND Of(tidvex::controls::Control* control) {
    return dynamic_cast<tidvex::controls::win32::Win32Window&>(*control).hwnd();
}

void Press(tidvex::controls::Button* button) { SendMessageA(Of(button), BM_CLICK, 0, 0); }

Paths Items(const tidvex::controls::ListBox& list) {
    Paths items;
    for (int i = 0; i < list.ListCount(); ++i) items.push_back(list.List(i));
    return items;
}

// The chosen items and their look-alikes, made in a folder of their own: each
// item is a file, or a folder holding one; each look-alike the same with
// contents of its own, which must stay as they are.
class Planted {
public:
    Planted(const std::string& name, bool files, bool folders) : folder_(Wide(tidvex::test::ScratchFolder(name))) {
        folder_ += L"\\drop";
        CreateDirectoryW(folder_.c_str(), nullptr);
        for (const OutsideName& outside : kOutsideNames) {
            if (outside.folder ? !folders : !files) continue;
            items_.push_back(folder_ + L"\\" + outside.name);
            Make(items_.back(), outside.folder, "chosen");
            // "..\victim" names a folder beside the drop folder.
            if (outside.lookAlike) Make(folder_ + L"\\" + Wide(outside.lookAlike), outside.folder, "look-alike");
        }
    }
    const Paths& Items() const { return items_; }
    const std::wstring& Folder() const { return folder_; }
    void CheckLookAlikes() const {
        for (const auto& [file, bytes] : lookAlikes_)
            EXPECT_EQ(tidvex::test::ReadFileBytes(file), bytes) << Narrow(file) << " changed";
    }

private:
    void Make(const std::wstring& path, bool folder, const std::string& what) {
        std::wstring file = path;
        if (folder) {
            CreateDirectoryW(path.c_str(), nullptr);
            file += L"\\inside.txt";
        }
        const std::string bytes = what + " " + Narrow(file);
        tidvex::test::WriteFileBytes(file, bytes);
        if (what == "look-alike") lookAlikes_.push_back({file, bytes});
    }

    std::wstring folder_;
    Paths items_;
    std::vector<std::pair<std::wstring, std::string>> lookAlikes_;
};

// The program's message boxes, answered "Ok" as they come: their messages.
class MessageBoxes {
public:
    MessageBoxes() {
        told_ = &messages;
        timer_ = SetTimer(nullptr, 0, 20, Answer);
    }
    ~MessageBoxes() {
        KillTimer(nullptr, timer_);
        told_ = nullptr;
    }
    std::vector<std::string> messages;

private:
    static BOOL CALLBACK FindBox(HWND hwnd, LPARAM found) {
        char name[64] = {}, title[64] = {};
        GetClassNameA(hwnd, name, sizeof name);
        GetWindowTextA(hwnd, title, sizeof title);
        if (!IsWindowVisible(hwnd) || std::strcmp(name, "TidvexForm") != 0 || std::strcmp(title, "Tidvex") != 0)
            return TRUE;
        *reinterpret_cast<HWND*>(found) = hwnd;
        return FALSE;
    }
    static void CALLBACK Answer(HWND, UINT, UINT_PTR, DWORD) {
        HWND box = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&box));
        if (!box || !told_) return;
        // The message is the label that is not the banner.
        for (HWND label = FindWindowExA(box, nullptr, "TidvexLabel", nullptr); label;
             label = FindWindowExA(box, label, "TidvexLabel", nullptr))
            if (tidvex::controls::win32::WindowText(label) != "Tidvex")
                told_->push_back(tidvex::controls::win32::WindowText(label));
        SendMessageA(FindWindowExA(box, nullptr, "BUTTON", "Ok"), BM_CLICK, 0, 0);
    }
    static inline std::vector<std::string>* told_ = nullptr;
    UINT_PTR timer_ = 0;
};

// The ways a name enters a list.
enum class Entry { Drop, AddFiles, AddFolder };
const char* Name(Entry entry) {
    return entry == Entry::Drop ? "drop" : entry == Entry::AddFiles ? "Add File(s)" : "Add Folder";
}

// The open-file dialog answers all the files at once (the folder, then the
// names); the folder picker answers one folder a press.
void Enter(Entry entry, const Planted& planted, tidvex::controls::ListBox* list, tidvex::controls::Button* add,
           tidvex::controls::Button* folder) {
    switch (entry) {
        case Entry::Drop: tidvex::test::DropLikeTheShell(Of(list), planted.Items()); break;
        case Entry::AddFiles: {
            std::wstring answer = planted.Folder() + L'\0';
            for (const auto& item : planted.Items()) answer += item.substr(planted.Folder().size() + 1) + L'\0';
            tidvex::services::ScopedPlatformCalls dialog({.getOpenFileName = [&](OPENFILENAMEW* ofn) {
                std::memcpy(ofn->lpstrFile, answer.c_str(), (answer.size() + 1) * sizeof(wchar_t));
                return TRUE;
            }});
            Press(add);
            break;
        }
        case Entry::AddFolder:
            for (const auto& item : planted.Items()) {
                tidvex::services::ScopedPlatformCalls dialog(
                    {.browseForFolder = [&](BROWSEINFOW*) { return ILCreateFromPathW(item.c_str()); }});
                Press(folder);
            }
            break;
    }
}

class OutsideNames : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        real_ = std::make_unique<tidvex::test::RealWindow>("program");
        ASSERT_TRUE(real_->Ready());
        ASSERT_TRUE(real_->window().Load());
    }
    static void TearDownTestSuite() { real_.reset(); }
    frmMain& f() { return real_->window().form(); }

    // Never the session's end for real.
    tidvex::services::ScopedPlatformCalls power_{{.exitWindowsEx = [](UINT, DWORD) { return FALSE; }}};
    static inline std::unique_ptr<tidvex::test::RealWindow> real_;
};

TEST_F(OutsideNames, TheShredderShredsExactlyTheChosenItemsAndNoLookAlike) {
    f().cmdToolBar_Click(2);
    f().cmdShredder_Click(0);
    for (Entry entry : {Entry::Drop, Entry::AddFiles, Entry::AddFolder}) {
        SCOPED_TRACE(Name(entry));
        const Planted planted(std::string("shred-") + std::to_string(static_cast<int>(entry)), entry != Entry::AddFolder,
                              entry != Entry::AddFiles);
        Press(f().cmdRemoveAllShred);
        Enter(entry, planted, f().lstFiles, f().cmdAddFiles, f().cmdAddFolder);
        EXPECT_EQ(Items(*f().lstFiles), planted.Items());

        Press(f().cmdStartShred);
        ASSERT_TRUE(f().IsShredding);
        ASSERT_TRUE(tidvex::test::PumpUntil([&] { return !f().IsShredding; }, std::chrono::seconds(60)));
        for (const auto& item : planted.Items()) EXPECT_FALSE(tidvex::test::PathExists(item)) << Narrow(item);
        planted.CheckLookAlikes();
    }
}

TEST_F(OutsideNames, TheListsRefuseThemWithAMessageAndTheCleaningKeepsEveryLookAlike) {
    f().cmdToolBar_Click(5);
    std::vector<std::unique_ptr<Planted>> all;
    for (bool safe : {false, true}) {
        f().cmdOptions_Click(safe ? 1 : 2);
        tidvex::controls::ListBox* list = safe ? f().lstSafeList : f().lstBlackList;
        const std::string listName = safe ? "safe list" : "black list";
        for (Entry entry : {Entry::Drop, Entry::AddFiles, Entry::AddFolder}) {
            SCOPED_TRACE(listName + " " + Name(entry));
            const Planted& planted = *all.emplace_back(std::make_unique<Planted>(
                listName + std::to_string(static_cast<int>(entry)), entry != Entry::AddFolder, entry != Entry::AddFiles));
            MessageBoxes boxes;
            Enter(entry, planted, list, safe ? f().cmdAddSafeFile : f().cmdAddBlackFile,
                  safe ? f().cmdAddSafeFolder : f().cmdAddBlackFolder);
            std::vector<std::string> expected;
            for (const auto& item : planted.Items())
                expected.push_back("\"" + Narrow(item) + "\" cannot be added to the " + listName +
                                   ": the list file cannot hold the characters of its name shown as \"?\".");
            EXPECT_EQ(boxes.messages, expected);
            EXPECT_EQ(list->ListCount(), 0);
            EXPECT_FALSE(tidvex::test::PathExists(
                tidvex::services::ListFilePath(safe ? tidvex::services::kSafeList : tidvex::services::kBlackList)));
        }
    }

    // A name the code page holds goes in, as the code page writes it, and the
    // cleaning deletes exactly that.
    const std::wstring kept = Wide(tidvex::test::ScratchFolder("code-page")) + L"\\caf\u00e9.txt";
    tidvex::test::WriteFileBytes(kept, "black-listed");
    f().cmdOptions_Click(2);
    tidvex::test::DropLikeTheShell(Of(f().lstBlackList), Paths{kept});
    EXPECT_EQ(Items(*f().lstBlackList), Paths{kept});
    EXPECT_EQ(tidvex::test::ReadFileBytes(tidvex::services::ListFilePath(tidvex::services::kBlackList)),
              "0|S:\\code-page\\caf\xE9.txt\r\n");

    for (auto* area : {f().chkInternet, f().chkSystem, f().chkRegistry}) area->Value(0);
    f().cmdToolBar_Click(1);
    f().cmdStartCleaning_Click();
    EXPECT_EQ(Narrow(f().lstCompleteClean->List(f().lstCompleteClean->ListCount() - 1)), "Cleaning Done.");
    EXPECT_FALSE(tidvex::test::PathExists(kept));
    for (const auto& planted : all) {
        for (const auto& item : planted->Items()) EXPECT_TRUE(tidvex::test::PathExists(item)) << Narrow(item);
        planted->CheckLookAlikes();
    }
}

}  // namespace

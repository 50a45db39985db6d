// Loading and saving the settings with a form of in-memory controls, on the
// sandbox's registry.
#include "main/settings.h"

#include "main/form_design.h"

#include "com/com_types.h"
#include "engine/hd_cleaner.h"
#include "pump/pump.h"

#include "memory_controls.h"
#include "unscripted_calls.h"
#include "harness/support.h"
#include "services/lists.h"
#include "services/logger.h"
#include "services/program.h"
#include "services/settings_store.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cctype>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace tidvex::main;
using tidvex::registry::kLocalMachine;
using tidvex::services::CRegister;
using tidvex::services::SettingsKey;
using Texts = std::vector<std::string>;

constexpr char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// The interval option selected, -1 none.
int SelectedTime(const frmMain& form) {
    for (int i = 0; i < 4; ++i)
        if (form.optTimeSchedule[static_cast<size_t>(i)]->Value()) return i;
    return -1;
}

// Every control's state, in one list.
Texts Snapshot(const frmMain& f) {
    Texts s;
    auto box = [&s](const char* name, const tidvex::controls::CheckBox* b) {
        s.push_back(std::string(name) + "=" + std::to_string(b->Value()));
    };
    for (size_t i = 0; i < f.chkCleanSett.size(); ++i) box(("chkCleanSett" + std::to_string(i)).c_str(), f.chkCleanSett[i]);
    for (size_t i = 0; i < f.chkSettings.size(); ++i) box(("chkSettings" + std::to_string(i)).c_str(), f.chkSettings[i]);
    box("chkInternet", f.chkInternet);
    box("chkSystem", f.chkSystem);
    box("chkRegistry", f.chkRegistry);
    box("chkTimeSchedule", f.chkTimeSchedule);
    for (auto* o : f.optTimeSchedule) box("optTimeSchedule", o);
    box("chkSessionSchedule", f.chkSessionSchedule);
    box("chkWhenWindowStarts", f.chkWhenWindowStarts);
    box("chkWhenWindowsShuts", f.chkWhenWindowsShuts);
    for (auto* o : f.optSessionSchedule) box("optSessionSchedule", o);
    s.push_back("txtCustomExt=" + f.txtCustomExt->Text());
    s.push_back("cmbDrives=" + std::to_string(f.cmbDrives->ListIndex()));
    s.push_back("cmbShredMethod=" + std::to_string(f.cmbShredMethod->ListIndex()));
    s.push_back("ShredMethodSetting=" + std::to_string(ShredMethodSetting));
    return s;
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, SettingsKey);
        HKEY run;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_SET_VALUE, &run) == ERROR_SUCCESS) {
            RegDeleteValueA(run, "Tidvex");
            RegCloseKey(run);
        }
        appPath_.reset();
        appPath_ = std::make_unique<tidvex::services::ScopedAppPath>(tidvex::test::ScratchFolder("settings"));
        ShredMethodSetting = 0;
        form_ = NewForm();
    }

    // A form that loads its settings alone: it asks nothing outside.
    std::unique_ptr<frmMain> NewForm() {
        auto form = std::make_unique<frmMain>(factory_, outside_);
        // As the window fills it: fixed drives, the Windows drive in lower case.
        char windows[MAX_PATH];
        GetWindowsDirectoryA(windows, MAX_PATH);
        form->cmbDrives->AddItem("A:");
        form->cmbDrives->AddItem(std::string(1, static_cast<char>(std::tolower(windows[0]))) + ": [system]");
        form->cmbDrives->AddItem("X: [data]");
        return form;
    }

    void Store(const std::string& subkey, const std::string& name, const std::string& value) {
        ASSERT_TRUE(CRegister().REGSaveSetting(kLocalMachine, std::string(SettingsKey) + subkey, name, value));
    }
    std::string Stored(const std::string& subkey, const std::string& name) {
        return CRegister().REGGetSetting(kLocalMachine, std::string(SettingsKey) + subkey, name, "<none>");
    }

    std::unique_ptr<tidvex::services::ScopedAppPath> appPath_;
    tidvex::controls::MemoryControlFactory factory_;
    tidvex::test::UnscriptedCalls outside_;
    std::unique_ptr<frmMain> form_;
};

TEST_F(SettingsTest, AFirstStartShowsTheDefaults) {
    tidvex::services::AddiTem2File(tidvex::services::kFolderItem, "C:\\Keep", tidvex::services::kSafeList);
    tidvex::services::AddiTem2File(tidvex::services::kFileItem, "C:\\gone.txt", tidvex::services::kBlackList);
    LoadSettings(*form_);
    const frmMain& f = *form_;

    for (int i = 0; i < tidvex::engine::kCleanSettCount; ++i)
        EXPECT_EQ(f.chkCleanSett[static_cast<size_t>(i)]->Value(), Design("chkCleanSett", i).value) << i;
    EXPECT_EQ(ShredMethodSetting, 0);
    EXPECT_EQ(f.cmbShredMethod->ListIndex(), 0);
    for (auto* box : {f.chkInternet, f.chkSystem, f.chkRegistry}) EXPECT_NE(box->Value(), 0);
    EXPECT_EQ(f.txtCustomExt->Text(), "");
    EXPECT_EQ(SelectedTime(f), 2) << "Every hour";
    EXPECT_EQ(f.optSessionSchedule[0]->Value(), -1);
    EXPECT_EQ(f.optSessionSchedule[1]->Value(), 0);
    for (auto* box : {f.chkTimeSchedule, f.chkSessionSchedule, f.chkWhenWindowStarts, f.chkWhenWindowsShuts})
        EXPECT_EQ(box->Value(), 0);
    EXPECT_EQ(f.cmbDrives->ListIndex(), 1) << "the Windows drive";
    EXPECT_EQ(f.chkSettings[0]->Value(), 0);
    EXPECT_EQ(f.chkSettings[1]->Value(), 0);
    EXPECT_NE(f.chkSettings[2]->Value(), 0) << "logging is on";
    EXPECT_EQ(static_cast<const tidvex::controls::MemoryListBox*>(f.lstSafeList)->Items(), Texts{"C:\\Keep"});
    EXPECT_EQ(static_cast<const tidvex::controls::MemoryListBox*>(f.lstBlackList)->Items(), Texts{"C:\\gone.txt"});
    // The loaded schedule is applied: no timer, the shutdown options unusable.
    EXPECT_FALSE(f.tmrSchedule->Enabled());
    EXPECT_FALSE(f.MyFrame1->Active());
    for (auto* option : f.optSessionSchedule) EXPECT_FALSE(option->Enabled());
}

// A first start's cleaning of a drive, as the boxes stand: the junk goes, and
// what only shares its name with junk stays (the user's notes.log, a film.dir,
// the data chkdsk recovered, a shortcut to a stick that is not plugged in).
TEST_F(SettingsTest, AFirstStartCleaningTakesJunkAndLeavesTheUsersFiles) {
    LoadSettings(*form_);
    tidvex::engine::SetCleanSettings(*form_);
    const tidvex::engine::HDOptions& o = tidvex::engine::CleaningOptions.hd;
    tidvex::engine::clsHDCleaner cleaner;
    cleaner.CleanLogFiles(o.CleanLogFiles);
    cleaner.CleanTempFiles(o.CleanTempFiles);
    cleaner.CleanUnnecssaryFiles(o.CleanUnnecssaryFiles);
    cleaner.CleanCheckDiskFiles(o.CleanCheckDiskFiles);
    cleaner.CleanBrokenLinkFiles(o.CleanBrokenLinkFiles);
    cleaner.CleanCustomFiles(o.customPattern);

    tidvex::com::ComInit com;
    tidvex::pump::ScopedDoEvents quiet([] {});
    const std::string drive = tidvex::test::ScratchFolder("first-cleaning");
    struct File {
        const char* name;
        bool junk;
    };
    const File files[] = {
        {"Documents\\notes.log", false}, {"Documents\\film.dir", false}, {"FOUND.000\\FILE0000.CHK", false},
        {"Desktop\\On the stick.lnk", false}, {"Temp\\~DF3A.tmp", true}, {"Temp\\setup._mp", true},
    };
    for (const char* folder : {"Documents", "FOUND.000", "Desktop", "Temp"})
        CreateDirectoryA((drive + "\\" + folder).c_str(), nullptr);
    for (const File& file : files) tidvex::test::WriteFileBytes(drive + "\\" + file.name, "kept or not");
    {
        // The shortcut's target is on a drive that is not there now.
        tidvex::com::ComPtr<IShellLinkA> link;
        ASSERT_HRESULT_SUCCEEDED(
            CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.PutVoid()));
        ASSERT_HRESULT_SUCCEEDED(link->SetPath("Q:\\Holidays\\Report.doc"));
        auto shortcut = link.As<IPersistFile>(IID_IPersistFile);
        ASSERT_TRUE(shortcut);
        ASSERT_HRESULT_SUCCEEDED(
            shortcut->Save(tidvex::com::Widen(drive + "\\Desktop\\On the stick.lnk").c_str(), TRUE));
    }
    // The scratch drive is the test's own.
    cleaner.StartClean(20, 70, "S:");
    for (const File& file : files) EXPECT_EQ(tidvex::test::PathExists(drive + "\\" + file.name), !file.junk) << file.name;
}

TEST_F(SettingsTest, SavingAndLoadingKeepsEveryControl) {
    frmMain& f = *form_;
    for (auto* box : f.chkCleanSett) box->Value(box->Value() ? 0 : -1);
    f.chkInternet->Value(0);
    f.chkSystem->Value(0);
    f.chkRegistry->Value(-1);
    f.chkTimeSchedule->Value(-1);
    for (size_t i = 0; i < 4; ++i) f.optTimeSchedule[i]->Value(i == 3 ? -1 : 0);
    f.chkSessionSchedule->Value(-1);
    f.chkWhenWindowStarts->Value(-1);
    f.chkWhenWindowsShuts->Value(-1);
    f.optSessionSchedule[0]->Value(0);
    f.optSessionSchedule[1]->Value(-1);
    f.cmbDrives->ListIndex(2);
    f.chkSettings[1]->Value(-1);
    f.chkSettings[2]->Value(0);
    f.txtCustomExt->Text(".bak*.old*");
    ShredMethodSetting = 4;
    f.cmbShredMethod->ListIndex(4);
    // The custom extension is saved by its own button, not with the settings.
    Store("\\Clean Settings", "Custom Extension", ".bak*.old*");
    SaveSettings(f);

    struct Case {
        const char* subkey;
        const char* name;
        const char* text;
    };
    const Case stored[] = {
        {"\\Shredder", "ShredMethod", "4"},           {"\\Clean Settings", "60", "-1"},
        {"\\Clean System", "Include System", "0"},     {"\\Clean Registry", "Include Registry", "-1"},
        {"\\Options", "iTimeSchedule", "3"},           {"\\Options", "IsSessinoSchedule", "-1"},
        {"\\Options", "isWhenWindowsStarts", "-1"},    {"\\Options", "iSessionType", "1"},
        {"\\Options", "Drive2Clean", "2"},             {"\\Options", "LogErrors", "0"},
    };
    for (const auto& c : stored) EXPECT_EQ(Stored(c.subkey, c.name), c.text) << c.subkey << " " << c.name;

    ShredMethodSetting = 0;
    auto loaded = NewForm();
    EXPECT_NE(Snapshot(*loaded), Snapshot(f));
    LoadSettings(*loaded);
    EXPECT_EQ(Snapshot(*loaded), Snapshot(f));
    // The loaded schedule is applied: every 5 hours, the shutdown options usable.
    EXPECT_TRUE(loaded->tmrSchedule->Enabled());
    EXPECT_EQ(loaded->tmrSchedule->Interval(), 300);
    for (auto* option : loaded->optSessionSchedule) EXPECT_TRUE(option->Enabled());
}

TEST_F(SettingsTest, AValueThatIsNoNumberOrNamesNoItemGivesTheDefault) {
    struct Case {
        const char* subkey;
        const char* name;
        const char* text;
        std::function<int(const frmMain&)> read;
        int expected;
    };
    auto method = [](const frmMain& f) { return f.cmbShredMethod->ListIndex() * 10 + ShredMethodSetting; };
    auto time = [](const frmMain& f) {
        for (int i = 0; i < 4; ++i)
            if (f.optTimeSchedule[static_cast<size_t>(i)]->Value()) return i;
        return -1;
    };
    auto drive = [](const frmMain& f) { return f.cmbDrives->ListIndex(); };
    auto session = [](const frmMain& f) { return f.optSessionSchedule[1]->Value() ? 1 : 0; };
    const Case cases[] = {
        {"\\Shredder", "ShredMethod", "x", method, 0},
        {"\\Shredder", "ShredMethod", "9", method, 0},
        {"\\Shredder", "ShredMethod", " 3 ", method, 33},
        {"\\Options", "iTimeSchedule", "4", time, 2},
        {"\\Options", "iTimeSchedule", "1x", time, 2},
        {"\\Options", "iSessionType", "2", session, 0},
        {"\\Options", "iSessionType", "1", session, 1},
        {"\\Options", "Drive2Clean", "3", drive, 1},
        {"\\Options", "Drive2Clean", "0", drive, 0},
        // Any text but a zero is a checked box.
        {"\\Clean System", "Include System", "yes", [](const frmMain& f) { return f.chkSystem->Value(); }, -1},
        {"\\Clean Settings", "7", "00", [](const frmMain& f) { return f.chkCleanSett[7]->Value(); }, 0},
    };
    for (const auto& c : cases) {
        SetUp();
        Store(c.subkey, c.name, c.text);
        LoadSettings(*form_);
        EXPECT_EQ(c.read(*form_), c.expected) << c.name << " = \"" << c.text << "\"";
    }
}

TEST_F(SettingsTest, StartWithWindowsIsCheckedByAnyRunValue) {
    struct Case {
        const char* value;  // nullptr: none
        int expected;
    };
    const Case cases[] = {{nullptr, 0}, {"", 0}, {"C:\\Tidvex\\Tidvex.exe /tray", -1}};
    for (const auto& c : cases) {
        SetUp();
        if (c.value) {
            HKEY run;
            ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &run, nullptr),
                      ERROR_SUCCESS);
            RegSetValueExA(run, "Tidvex", 0, REG_SZ, reinterpret_cast<const BYTE*>(c.value),
                           static_cast<DWORD>(strlen(c.value) + 1));
            RegCloseKey(run);
        }
        LoadSettings(*form_);
        EXPECT_EQ(form_->chkSettings[0]->Value(), c.expected) << (c.value ? c.value : "none");
    }
}

}  // namespace

// The cleaning options: what a cleaning session cleans, one switch per item of
// each cleaner, the shred switches, the hard-disk cleaner's custom pattern and
// which browsers and messengers are installed. They live for the program's run:
// DetectInstalledApps fills the installed flags once at start-up, and
// SetCleanSettings copies the main window's clean-settings boxes into the rest
// at the start of every cleaning. The session hands them to its cleaners.
#pragma once

#include "controls/controls.h"

#include <array>
#include <string>

namespace tidvex::engine {

inline constexpr int kCleanSettCount = 61;

// The main window's controls that a cleaning reads, under the window's names.
// The window's form is one (app/main/form.h); the controls stay the window's.
struct CleaningForm {
    // The clean-settings boxes, the options table's rows.
    std::array<controls::CheckBox*, kCleanSettCount> chkCleanSett{};
    // 0 "Launch Tidvex at windows startup", 1 shred instead of delete, 2 log errors.
    std::array<controls::CheckBox*, 3> chkSettings{};
    controls::TextBox* txtCustomExt = nullptr;
    // The drive the hard-disk cleaner scans.
    controls::ComboBox* cmbDrives = nullptr;
    // The black list as the window shows it: a cleaning deletes the black list
    // only while this box has entries.
    controls::ListBox* lstBlackList = nullptr;
};

struct InstalledApps {
    bool InternetExplorer = false, FireFox = false, NetScape = false, Opera = false;
    bool MSN = false, Yahoo = false, ICQ = false;

    bool operator==(const InstalledApps&) const = default;
};

// Each member is named after the cleaner property it feeds.
struct BrowserOptions {
    bool shred = false;
    bool IECleanHistory = false, IECleanCashe = false, IERemoveCookies = false;
    bool IECleanTypedUrl = false;  // feeds IECleanTypedUrl and IETypedUrlP
    bool FFCleanHistory = false, FFCleanCash = false, FFRemoveCookies = false, FFCleanBookMark = false;
    bool NSCleanHistory = false, NSCleanCash = false, NSCleanCookies = false, NSCleanMail = false;
    bool OPCleanHistory = false, OPCleanCash = false, OPCleanCookie = false;
    // No box feeds these: the program never switches them on.
    bool IEAutoComplete = false, IECleanDownloadDir = false, IEFavorite = false, IEPassWord = false;
    bool NSCleanAutoComplete = false;

    bool operator==(const BrowserOptions&) const = default;
};

struct ChatOptions {
    bool shred = false;
    bool CleanMSNRecived = false, CleanMSNAccount = false;
    bool CleanYahooPage = false, CleanYahooProfile = false;
    bool CleanICQBrowsCache = false, CleanICQBookmark = false, CleanICQReceivedFile = false, CleanICQChat = false;

    bool operator==(const ChatOptions&) const = default;
};

struct WindowsOptions {
    bool shred = false;
    bool CleanFindHistoryP = false, CleanRunHistory = false, CleanRecentRegedit = false,
         CleanComDialogHistory = false, CleanRecentDoc = false, CleanMPRecent = false, CleanWordPadRecent = false,
         CleanMsPaintRecent = false, CleanRecent3D = false;
    // No box feeds these.
    bool CleanCdTmp = false, CleanClipboardRecent = false, CleanDrawRecent = false, CleanIconCashP = false,
         CleanInputRecent = false, CleanLogFiles = false, CleanRecBin = false, CleanRecentPrinter = false,
         CleanTemplates = false, CleanTmpFolder = false;

    bool operator==(const WindowsOptions&) const = default;
};

struct HDOptions {
    bool shred = false;
    bool CleanLogFiles = false, CleanTempFiles = false, CleanUnnecssaryFiles = false, CleanCheckDiskFiles = false,
         CleanBrokenLinkFiles = false;
    std::string customPattern;

    bool operator==(const HDOptions&) const = default;
};

struct RegistryOptions {
    bool IsCleanBrokenUninstall = false, IsCleanBrokenIcon = false, IsCleanBrokenFileType = false,
         IsCleanBrokenCOM_OLE = false, IsCleanBrokenActiveX = false, IsCleanBrokenStartup = false,
         IsCleanBrokenSharedDLL = false, IsCleanBrokenFont = false, IsCleanBrokenSound = false,
         IsCleanBrokenHelpFiles = false, IsCleanBrokenApplicationPath = false;
    bool IsCleanMRUSearch = false, IsCleanMRUMediaPlayer = false, IsCleanMRUPaint = false, IsCleanMRUWrodPad = false;
    // No box feeds these.
    bool IsCleanMRURun = false, IsCleanMRUWinZip = false, IsCleanMRUComDialog = false, IsCleanMRUNetMeeting = false;

    bool operator==(const RegistryOptions&) const = default;
};

struct OfficeOptions {
    bool CleanAccessMRU = false, CleanWordMRU = false, CleanExcelMRU = false, CleanPowerPointMRU = false,
         CleanOutlookMRU = false, CleanPhotoEditorMRU = false;

    bool operator==(const OfficeOptions&) const = default;
};

struct CleaningOptionSet {
    InstalledApps installed;
    BrowserOptions browser;
    ChatOptions chat;
    WindowsOptions windows;
    HDOptions hd;
    RegistryOptions registry;
    OfficeOptions office;

    bool operator==(const CleaningOptionSet&) const = default;
};

// The program's cleaning options.
extern CleaningOptionSet CleaningOptions;

// Asks the library's browser and messenger cleaners which programs are
// installed. Errors pass to the caller: a library that is missing or not
// registered stops the start-up.
void DetectInstalledApps();

// Copies the boxes into the options, cleaner by cleaner. A box counts as
// checked when its value is non-zero. The options of a browser or messenger
// that is not installed are off whatever their boxes say. Errors are logged
// ("SetCleanSettings@modCleanSession"); the options not yet copied keep their
// values of the previous cleaning.
void SetCleanSettings(const CleaningForm& frmMain);

}  // namespace tidvex::engine

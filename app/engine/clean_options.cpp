#include "engine/clean_options.h"

#include "engine/library_cleaners.h"
#include "errors/run_time_error.h"
#include "services/logger.h"

namespace tidvex::engine {

CleaningOptionSet CleaningOptions;

namespace {

template <class T>
T& Bound(T* control) {
    if (!control) throw RunTimeError::Of(kObjectNotSet);
    return *control;
}

}  // namespace

void DetectInstalledApps() {
    auto browser = CreateLibraryObject<_BrowsCls>(CLSID_BrowsCls, IID__BrowsCls);
    auto chat = CreateLibraryObject<_ChatCls>(CLSID_ChatCls, IID__ChatCls);
    InstalledApps& i = CleaningOptions.installed;
    i.FireFox = ReadFlag(browser.Get(), &_BrowsCls::get_FireFoxExist, "FireFoxExist");
    i.InternetExplorer = ReadFlag(browser.Get(), &_BrowsCls::get_IEExist, "IEExist");
    i.NetScape = ReadFlag(browser.Get(), &_BrowsCls::get_NetScapeExist, "NetScapeExist");
    i.Opera = ReadFlag(browser.Get(), &_BrowsCls::get_OperaExist, "OperaExist");
    i.ICQ = ReadFlag(chat.Get(), &_ChatCls::get_ICQExist, "ICQExist");
    i.MSN = ReadFlag(chat.Get(), &_ChatCls::get_MSNExist, "MSNExist");
    i.Yahoo = ReadFlag(chat.Get(), &_ChatCls::get_YahooExist, "YahooExist");
}

void SetCleanSettings(const CleaningForm& frmMain) {
    try {
        auto box = [&frmMain](int index) { return Bound(frmMain.chkCleanSett.at(static_cast<size_t>(index))).Value() != 0; };
        const bool shred = Bound(frmMain.chkSettings[1]).Value() != 0;
        const InstalledApps& installed = CleaningOptions.installed;

        // A program that is not installed gets all its options off.
        BrowserOptions& b = CleaningOptions.browser;
        b.shred = shred;
        const bool ff = installed.FireFox;
        b.FFCleanHistory = ff && box(4);
        b.FFCleanCash = ff && box(5);
        b.FFRemoveCookies = ff && box(6);
        b.FFCleanBookMark = ff && box(7);
        const bool ie = installed.InternetExplorer;
        b.IECleanHistory = ie && box(0);
        b.IECleanCashe = ie && box(1);
        b.IERemoveCookies = ie && box(2);
        b.IECleanTypedUrl = ie && box(3);
        const bool ns = installed.NetScape;
        b.NSCleanHistory = ns && box(8);
        b.NSCleanCash = ns && box(9);
        b.NSCleanCookies = ns && box(10);
        b.NSCleanMail = ns && box(11);
        const bool op = installed.Opera;
        b.OPCleanHistory = op && box(12);
        b.OPCleanCash = op && box(13);
        b.OPCleanCookie = op && box(14);

        ChatOptions& c = CleaningOptions.chat;
        c.shred = shred;
        const bool icq = installed.ICQ;
        c.CleanICQBrowsCache = icq && box(19);
        c.CleanICQBookmark = icq && box(20);
        c.CleanICQReceivedFile = icq && box(21);
        c.CleanICQChat = icq && box(22);
        const bool msn = installed.MSN;
        c.CleanMSNRecived = msn && box(15);
        c.CleanMSNAccount = msn && box(16);
        const bool yahoo = installed.Yahoo;
        c.CleanYahooPage = yahoo && box(17);
        c.CleanYahooProfile = yahoo && box(18);

        WindowsOptions& w = CleaningOptions.windows;
        w.shred = shred;
        w.CleanFindHistoryP = box(23);
        w.CleanRunHistory = box(24);
        w.CleanRecentRegedit = box(25);
        w.CleanComDialogHistory = box(26);
        w.CleanRecentDoc = box(27);
        w.CleanMPRecent = box(28);
        w.CleanWordPadRecent = box(29);
        w.CleanMsPaintRecent = box(30);
        w.CleanRecent3D = box(31);

        HDOptions& h = CleaningOptions.hd;
        h.shred = shred;
        h.CleanLogFiles = box(32);
        h.CleanTempFiles = box(33);
        h.CleanUnnecssaryFiles = box(34);
        h.CleanCheckDiskFiles = box(35);
        h.CleanBrokenLinkFiles = box(36);
        h.customPattern = box(60) ? Bound(frmMain.txtCustomExt).Text() : std::string();

        // Boxes 38 and 42 are hidden and feed nothing.
        RegistryOptions& r = CleaningOptions.registry;
        r.IsCleanBrokenUninstall = box(49);
        r.IsCleanBrokenIcon = box(50);
        r.IsCleanBrokenFileType = box(51);
        r.IsCleanBrokenCOM_OLE = box(52);
        r.IsCleanBrokenActiveX = box(53);
        r.IsCleanBrokenStartup = box(54);
        r.IsCleanBrokenSharedDLL = box(55);
        r.IsCleanBrokenFont = box(56);
        r.IsCleanBrokenSound = box(57);
        r.IsCleanBrokenHelpFiles = box(58);
        r.IsCleanBrokenApplicationPath = box(59);
        r.IsCleanMRUSearch = box(37);
        r.IsCleanMRUMediaPlayer = box(39);
        r.IsCleanMRUPaint = box(40);
        r.IsCleanMRUWrodPad = box(41);

        OfficeOptions& o = CleaningOptions.office;
        o.CleanAccessMRU = box(43);
        o.CleanWordMRU = box(44);
        o.CleanExcelMRU = box(45);
        o.CleanPowerPointMRU = box(46);
        o.CleanOutlookMRU = box(47);
        o.CleanPhotoEditorMRU = box(48);
    } catch (...) {
        services::gLogger().LoggError(CurrentError(), "SetCleanSettings@modCleanSession");
    }
}

}  // namespace tidvex::engine

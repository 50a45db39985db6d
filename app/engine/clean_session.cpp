#include "engine/clean_session.h"

#include "errors/run_time_error.h"
#include "fs/canonical.h"
#include "fs/fso.h"
#include "fs/protected_folders.h"
#include "services/lists.h"
#include "services/logger.h"
#include "services/program.h"
#include "services/registry.h"
#include "text/text.h"

#include <optional>

namespace tidvex::engine {
namespace {

using services::gLogger;

constexpr char kBlackListItem[] = "Cleaning Black list";

// A folder of the black list goes with all it holds, unless it is a folder of
// the system or of a user, or holds one: that is refused, whatever letter or
// spelling the list gives it.
void DeleteBlackFolder(const std::string& path, const fs::ProtectedFolders& kept) {
    const fs::CanonicalPath folder = fs::Canonical(path);
    if (const auto protectedFolder = folder ? kept.Refusing(folder.path) : std::nullopt)
        throw RunTimeError(kPermissionDenied, "Not deleted: " + path + " is or holds the folder " +
                                                  text::ForLog(*protectedFolder));
    fs::gFSO().DeleteFolder(path, true);
}

// A cleaner or control that is not there fails the call made on it.
template <class T>
T& Need(T* object) {
    if (!object) throw RunTimeError::Of(kObjectNotSet);
    return *object;
}
template <class T>
T& Need(const std::unique_ptr<T>& object) {
    return Need(object.get());
}
template <class I>
I* Need(const std::unique_ptr<LibraryCleaner<I>>& cleaner) {
    return &Need(cleaner ? cleaner->Get() : nullptr);
}

// Sets a library switch that takes its value by value.
template <class I>
void Put(I* cleaner, HRESULT (STDMETHODCALLTYPE I::*put)(VARIANT_BOOL), bool on, const char* member) {
    CheckCall((cleaner->*put)(VBool(on)), member);
}

// The library's shred switch takes its value by reference.
template <class I>
void PutShred(I* cleaner, bool on) {
    VARIANT_BOOL value = VBool(on);
    CheckCall(cleaner->put_isShredInsteadofNormalDelete(&value), "isShredInsteadofNormalDelete");
}

// A reset that answers with an empty variant.
template <class I>
void ResetWithResult(I* cleaner, HRESULT (STDMETHODCALLTYPE I::*reset)(VARIANT*), const char* member) {
    com::Variant result;
    CheckCall((cleaner->*reset)(result.Get()), member);
}

// "c:\" for a drive item such as "c: [system]": its first two characters and "\".
std::string DriveOf(const controls::ComboBox& drives) { return drives.Text().substr(0, 2) + "\\"; }

}  // namespace

std::shared_ptr<clsCleanSession> clsCleanSession::Create(const CleaningForm& frmMain) {
    std::shared_ptr<clsCleanSession> session(new clsCleanSession(frmMain));
    session->CreateCleaners();
    return session;
}

clsCleanSession::clsCleanSession(const CleaningForm& frmMain) : form_(frmMain) {}

clsCleanSession::~clsCleanSession() = default;

template <class I>
typename LibraryCleaner<I>::OperationHandler clsCleanSession::LibraryHandler(
    std::unique_ptr<LibraryCleaner<I>>& cleaner) {
    return [this, &cleaner](const std::string& sOperation) {
        try {
            LibraryOperation(sOperation);
        } catch (...) {
            if (!eventError_) eventError_ = std::current_exception();
            if (cleaner) cleaner->Get()->StopClean();
        }
    };
}

void clsCleanSession::CreateCleaners() {
    try {
        cRegClean = std::make_unique<clsRegCleaner>();
        cRegClean->ScanningRegKey = [this](std::string&, std::string& sType) { RaiseCleaningItem("Cleaning " + sType); };
        cRegClean->CompleteCleanItem = [this](std::string& sItem) { RaiseCompleteCleaningItem("Cleaning " + sItem); };
        cRegClean->Progress = [this](double& progress) { RaiseProgress(progress); };

        cHDClean = std::make_unique<clsHDCleaner>();
        cHDClean->ScanningFolder = [this](std::string& sFolderPath) {
            RaiseCleaningItem("Scanning(HD Cleaner):" + sFolderPath);
        };
        cHDClean->EndCleaningType = [this](std::string& sType) { RaiseCompleteCleaningItem(sType); };
        cHDClean->Progress = [this](double& progress) { RaiseProgress(progress); };

        cBrowserClean = std::make_unique<BrowserCleaner>(CLSID_BrowsCls, IID__BrowsCls, DIID___BrowsCls,
                                                         LibraryHandler(cBrowserClean));
        cChatClean =
            std::make_unique<ChatCleaner>(CLSID_ChatCls, IID__ChatCls, DIID___ChatCls, LibraryHandler(cChatClean));
        cWindowsClean =
            std::make_unique<WindowsCleaner>(CLSID_WinCls, IID__WinCls, DIID___WinCls, LibraryHandler(cWindowsClean));
        cOfficeClean = std::make_unique<OfficeCleaner>(CLSID_OfficCls, IID__OfficCls, DIID___OfficCls,
                                                       LibraryHandler(cOfficeClean));
    } catch (...) {
        gLogger().LoggError(CurrentError(), "Class_Initialize@clsCleanSession");
    }
}

bool clsCleanSession::StartClean() {
    // The window may drop its session from a handler that runs inside this call.
    const auto keepAlive = shared_from_this();
    try {
        stop_ = false;
        eventError_ = nullptr;
        // Without its safe list a cleaning would delete what the user protected.
        if (!services::FillSafeBlackLists())
            throw RunTimeError(kPathFileAccess, "The safe and black lists could not be read; nothing was cleaned");

        if (isCleanRegistry_) ApplyRegistryOptions();
        if (isCleanHD_) ApplyHDOptions();
        if (isCleanBrowsers_) ApplyBrowserOptions();
        if (isCleanChat_) ApplyChatOptions();
        if (isCleanOffice_) ApplyOfficeOptions();
        if (isCleanWindows_) ApplyWindowsOptions();

        Need(cRegClean).StartClean(0, 20);
        if (stop_) return true;
        Need(cHDClean).StartClean(20, 70, DriveOf(Need(form_.cmbDrives)));
        if (stop_) return true;
        RunLibraryCleaner(cBrowserClean);
        if (stop_) return true;
        RaiseProgress(92.5);
        RunLibraryCleaner(cChatClean);
        if (stop_) return true;
        RaiseProgress(95);
        RunLibraryCleaner(cWindowsClean);
        if (stop_) return true;
        RaiseProgress(97.5);
        RunLibraryCleaner(cOfficeClean);
        if (stop_) return true;

        // The last library operation is finished; the pending item stays.
        if (!pendingItem_.empty()) RaiseCompleteCleaningItem(pendingItem_);
        if (Need(form_.lstBlackList).ListCount() > 0) {
            RaiseCleaningItem(kBlackListItem);
            if (stop_) return true;
            CleanBlackList();
            RaiseCompleteCleaningItem(kBlackListItem);
        }
        RaiseProgress(100);
        RaiseCleaningDone();
        return true;
    } catch (...) {
        gLogger().LoggError(CurrentError(), "StartClean@clsCleanSession");
        return false;
    }
}

void clsCleanSession::StopClean() {
    try {
        stop_ = true;
        Need(cRegClean).StopClean();
        Need(cHDClean).StopClean();
        CheckCall(Need(cBrowserClean)->StopClean(), "StopClean");
        CheckCall(Need(cChatClean)->StopClean(), "StopClean");
        CheckCall(Need(cWindowsClean)->StopClean(), "StopClean");
        CheckCall(Need(cOfficeClean)->StopClean(), "StopClean");
    } catch (...) {
        gLogger().LoggError(CurrentError(), "StopClean@clsCleanSession");
    }
}

template <class I>
void clsCleanSession::RunLibraryCleaner(const std::unique_ptr<LibraryCleaner<I>>& cleaner) {
    CheckCall(Need(cleaner)->StartClean(), "StartClean");
    if (eventError_) std::rethrow_exception(std::exchange(eventError_, nullptr));
}

void clsCleanSession::LibraryOperation(const std::string& sOperation) {
    if (stop_) return;
    RaiseCleaningItem(sOperation);
    if (!pendingItem_.empty()) RaiseCompleteCleaningItem(pendingItem_);
    pendingItem_ = sOperation;
}

void clsCleanSession::ApplyRegistryOptions() {
    const RegistryOptions& o = CleaningOptions.registry;
    clsRegCleaner& r = Need(cRegClean);
    r.RestVariables();
    r.IsCleanBrokenFileType(o.IsCleanBrokenFileType);
    r.IsCleanBrokenCOM_OLE(o.IsCleanBrokenCOM_OLE);
    r.IsCleanBrokenActiveX(o.IsCleanBrokenActiveX);
    r.IsCleanBrokenStartup(o.IsCleanBrokenStartup);
    r.IsCleanBrokenSharedDLL(o.IsCleanBrokenSharedDLL);
    r.IsCleanBrokenFont(o.IsCleanBrokenFont);
    r.IsCleanBrokenSound(o.IsCleanBrokenSound);
    r.IsCleanBrokenHelpFiles(o.IsCleanBrokenHelpFiles);
    r.IsCleanBrokenApplicationPath(o.IsCleanBrokenApplicationPath);
    r.IsCleanBrokenIcon(o.IsCleanBrokenIcon);
    r.IsCleanBrokenUninstall(o.IsCleanBrokenUninstall);
    r.IsCleanMRUSearch(o.IsCleanMRUSearch);
    r.IsCleanMRURun(o.IsCleanMRURun);
    r.IsCleanMRUMediaPlayer(o.IsCleanMRUMediaPlayer);
    r.IsCleanMRUPaint(o.IsCleanMRUPaint);
    r.IsCleanMRUWrodPad(o.IsCleanMRUWrodPad);
    r.IsCleanMRUWinZip(o.IsCleanMRUWinZip);
    r.IsCleanMRUComDialog(o.IsCleanMRUComDialog);
    r.IsCleanMRUNetMeeting(o.IsCleanMRUNetMeeting);
}

void clsCleanSession::ApplyHDOptions() {
    const HDOptions& o = CleaningOptions.hd;
    clsHDCleaner& h = Need(cHDClean);
    h.Reset();
    h.IsUserShredderInsteadofNormalDelete(o.shred);
    h.CleanLogFiles(o.CleanLogFiles);
    h.CleanTempFiles(o.CleanTempFiles);
    h.CleanUnnecssaryFiles(o.CleanUnnecssaryFiles);
    h.CleanCheckDiskFiles(o.CleanCheckDiskFiles);
    h.CleanBrokenLinkFiles(o.CleanBrokenLinkFiles);
    h.CleanCustomFiles(o.customPattern);
}

void clsCleanSession::ApplyBrowserOptions() {
    const BrowserOptions& o = CleaningOptions.browser;
    _BrowsCls* b = Need(cBrowserClean);
    using B = _BrowsCls;
    ResetWithResult(b, &B::BrowsReset, "BrowsReset");
    PutShred(b, o.shred);
    Put(b, &B::put_FFCleanBookMark, o.FFCleanBookMark, "FFCleanBookMark");
    Put(b, &B::put_FFCleanCash, o.FFCleanCash, "FFCleanCash");
    Put(b, &B::put_FFCleanHistory, o.FFCleanHistory, "FFCleanHistory");
    Put(b, &B::put_FFRemoveCookies, o.FFRemoveCookies, "FFRemoveCookies");
    Put(b, &B::put_IEAutoComplete, o.IEAutoComplete, "IEAutoComplete");
    Put(b, &B::put_IECleanCashe, o.IECleanCashe, "IECleanCashe");
    Put(b, &B::put_IECleanDownloadDir, o.IECleanDownloadDir, "IECleanDownloadDir");
    Put(b, &B::put_IECleanHistory, o.IECleanHistory, "IECleanHistory");
    Put(b, &B::put_IECleanTypedUrl, o.IECleanTypedUrl, "IECleanTypedUrl");
    Put(b, &B::put_IEFavorite, o.IEFavorite, "IEFavorite");
    Put(b, &B::put_IEPassWord, o.IEPassWord, "IEPassWord");
    Put(b, &B::put_IERemoveCookies, o.IERemoveCookies, "IERemoveCookies");
    Put(b, &B::put_IETypedUrlP, o.IECleanTypedUrl, "IETypedUrlP");
    Put(b, &B::put_NSCleanAutoComplete, o.NSCleanAutoComplete, "NSCleanAutoComplete");
    Put(b, &B::put_NSCleanCash, o.NSCleanCash, "NSCleanCash");
    Put(b, &B::put_NSCleanCookies, o.NSCleanCookies, "NSCleanCookies");
    Put(b, &B::put_NSCleanHistory, o.NSCleanHistory, "NSCleanHistory");
    Put(b, &B::put_NSCleanMail, o.NSCleanMail, "NSCleanMail");
    Put(b, &B::put_OPCleanCash, o.OPCleanCash, "OPCleanCash");
    Put(b, &B::put_OPCleanCookie, o.OPCleanCookie, "OPCleanCookie");
    Put(b, &B::put_OPCleanHistory, o.OPCleanHistory, "OPCleanHistory");
}

void clsCleanSession::ApplyChatOptions() {
    const ChatOptions& o = CleaningOptions.chat;
    _ChatCls* c = Need(cChatClean);
    using C = _ChatCls;
    CheckCall(c->ChatReset(), "ChatReset");
    PutShred(c, o.shred);
    Put(c, &C::put_CleanICQBookmark, o.CleanICQBookmark, "CleanICQBookmark");
    Put(c, &C::put_CleanICQBrowsCache, o.CleanICQBrowsCache, "CleanICQBrowsCache");
    Put(c, &C::put_CleanICQChat, o.CleanICQChat, "CleanICQChat");
    Put(c, &C::put_CleanICQReceivedFile, o.CleanICQReceivedFile, "CleanICQReceivedFile");
    Put(c, &C::put_CleanMSNAccount, o.CleanMSNAccount, "CleanMSNAccount");
    Put(c, &C::put_CleanMSNRecived, o.CleanMSNRecived, "CleanMSNRecived");
    Put(c, &C::put_CleanYahooPage, o.CleanYahooPage, "CleanYahooPage");
    Put(c, &C::put_CleanYahooProfile, o.CleanYahooProfile, "CleanYahooProfile");
}

void clsCleanSession::ApplyOfficeOptions() {
    const OfficeOptions& o = CleaningOptions.office;
    _OfficCls* f = Need(cOfficeClean);
    using F = _OfficCls;
    // The Office cleaner never shreds: it has no shred switch.
    ResetWithResult(f, &F::OfficeReset, "OfficeReset");
    Put(f, &F::put_CleanAccessMRU, o.CleanAccessMRU, "CleanAccessMRU");
    Put(f, &F::put_CleanExcelMRU, o.CleanExcelMRU, "CleanExcelMRU");
    Put(f, &F::put_CleanOutlookMRU, o.CleanOutlookMRU, "CleanOutlookMRU");
    Put(f, &F::put_CleanPhotoEditorMRU, o.CleanPhotoEditorMRU, "CleanPhotoEditorMRU");
    Put(f, &F::put_CleanPowerPointMRU, o.CleanPowerPointMRU, "CleanPowerPointMRU");
    Put(f, &F::put_CleanWordMRU, o.CleanWordMRU, "CleanWordMRU");
}

void clsCleanSession::ApplyWindowsOptions() {
    const WindowsOptions& o = CleaningOptions.windows;
    _WinCls* w = Need(cWindowsClean);
    using W = _WinCls;
    PutShred(w, o.shred);
    Put(w, &W::put_CleanCdTmp, o.CleanCdTmp, "CleanCdTmp");
    Put(w, &W::put_CleanClipboardRecent, o.CleanClipboardRecent, "CleanClipboardRecent");
    Put(w, &W::put_CleanComDialogHistory, o.CleanComDialogHistory, "CleanComDialogHistory");
    Put(w, &W::put_CleanDrawRecent, o.CleanDrawRecent, "CleanDrawRecent");
    Put(w, &W::put_CleanFindHistoryP, o.CleanFindHistoryP, "CleanFindHistoryP");
    Put(w, &W::put_CleanIconCashP, o.CleanIconCashP, "CleanIconCashP");
    Put(w, &W::put_CleanInputRecent, o.CleanInputRecent, "CleanInputRecent");
    Put(w, &W::put_CleanLogFiles, o.CleanLogFiles, "CleanLogFiles");
    Put(w, &W::put_CleanMPRecent, o.CleanMPRecent, "CleanMPRecent");
    Put(w, &W::put_CleanMsPaintRecent, o.CleanMsPaintRecent, "CleanMsPaintRecent");
    Put(w, &W::put_CleanRecBin, o.CleanRecBin, "CleanRecBin");
    Put(w, &W::put_CleanRecent3D, o.CleanRecent3D, "CleanRecent3D");
    Put(w, &W::put_CleanRecentDoc, o.CleanRecentDoc, "CleanRecentDoc");
    Put(w, &W::put_CleanRecentPrinter, o.CleanRecentPrinter, "CleanRecentPrinter");
    Put(w, &W::put_CleanRecentRegedit, o.CleanRecentRegedit, "CleanRecentRegedit");
    Put(w, &W::put_CleanRunHistory, o.CleanRunHistory, "CleanRunHistory");
    Put(w, &W::put_CleanTemplates, o.CleanTemplates, "CleanTemplates");
    Put(w, &W::put_CleanTmpFolder, o.CleanTmpFolder, "CleanTmpFolder");
    Put(w, &W::put_CleanWordPadRecent, o.CleanWordPadRecent, "CleanWordPadRecent");
}

void clsCleanSession::CleanBlackList() {
    const services::MatchLists& lists = services::gMatchLists;
    // One bad entry does not stop the others.
    auto each = [](const std::vector<std::string>& entries, bool skipEmpty, const auto& remove) {
        for (const auto& entry : entries) {
            if (skipEmpty && entry.empty()) continue;
            try {
                remove(entry);
            } catch (...) {
                gLogger().LoggError(CurrentError(), "CleanBlackList");
            }
        }
    };
    if (!lists.blackFilesEmpty)
        each(lists.blackFiles, true, [](const std::string& path) { fs::gFSO().DeleteFile(path, true); });
    if (!lists.blackFoldersEmpty) {
        const auto kept = fs::ProtectedFolders::Read({services::AppFolder()});
        each(lists.blackFolders, true, [&kept](const std::string& path) { DeleteBlackFolder(path, kept); });
    }
    if (!lists.blackKeysEmpty) {
        std::optional<services::CRegistry> reg;
        each(lists.blackKeys, false, [&reg](const std::string& key) {
            if (!reg) reg.emplace();
            reg->del_reg_sub(key);
        });
    }
}

void clsCleanSession::RaiseCleaningItem(std::string sItem) {
    if (!stop_ && CleaningItem) CleaningItem(sItem);
}

void clsCleanSession::RaiseCompleteCleaningItem(std::string sItem) {
    if (!stop_ && CompleteCleaningItem) CompleteCleaningItem(sItem);
}

void clsCleanSession::RaiseProgress(double progress) {
    if (!stop_ && Progress) Progress(progress);
}

void clsCleanSession::RaiseCleaningDone() {
    if (!stop_ && CleaningDone) CleaningDone();
}

}  // namespace tidvex::engine

// The creatable classes of the cleaning library.
#pragma once

#include "Velmora.h"

#include "frame.h"
#include "library.h"

#include "com/events.h"
#include "com/server.h"

#include <string>

namespace velmora {

using tidvex::com::ComObject;
using tidvex::com::Dispatch;
using tidvex::com::SupportErrorInfo;

// Where Firefox, Opera and Netscape keep their traces, worked out when a
// browser cleaner is made; each path is empty when its browser is not installed.
struct BrowserProfiles {
    std::wstring ffProfile;  // Firefox's first profile folder
    std::wstring ffCache;
    std::wstring opProfile;  // Opera's profile folder
    std::wstring nsProfile;  // the Netscape profile folder; empty when none was found
};

// Browsers: Internet Explorer, Firefox, Opera and Netscape.
class BrowsCls final : public Cleaner<BrowsCls, _BrowsCls, &DIID___BrowsCls, 21> {
public:
    static constexpr char kName[] = "BrowsCls";
    static constexpr FrameRules kRules{true, true};
    static std::span<const StepInfo> Steps();
    static size_t SwitchOfStep(size_t step);
    void RunStep(size_t step, bool on);

    BrowsCls();

    STDMETHODIMP BrowsReset(VARIANT* result) override;
    STDMETHODIMP get_cache_list(BSTR* result) override;
    VELMORA_SHRED_SWITCH
    STDMETHODIMP get_IEExist(VARIANT_BOOL* value) override;
    STDMETHODIMP get_NetScapeExist(VARIANT_BOOL* value) override;
    STDMETHODIMP get_OperaExist(VARIANT_BOOL* value) override;
    STDMETHODIMP get_FireFoxExist(VARIANT_BOOL* value) override;

    // Switches in interface order.
    enum : size_t {
        IECleanCashe, IECleanTypedUrl, IECleanHistory, IECleanDownloadDir, IEAutoComplete, IERemoveCookies,
        IETypedUrlP, IEFavorite, IEPassWord, FFCleanCash, FFCleanHistory, FFCleanBookMark, FFRemoveCookies,
        NSCleanHistory, NSCleanCash, NSCleanAutoComplete, NSCleanCookies, NSCleanMail, OPCleanHistory, OPCleanCash,
        OPCleanCookie
    };
    VELMORA_SWITCH(IECleanCashe, IECleanCashe)
    VELMORA_SWITCH(IECleanTypedUrl, IECleanTypedUrl)
    VELMORA_SWITCH(IECleanHistory, IECleanHistory)
    VELMORA_SWITCH(IECleanDownloadDir, IECleanDownloadDir)
    VELMORA_SWITCH(IEAutoComplete, IEAutoComplete)
    VELMORA_SWITCH(IERemoveCookies, IERemoveCookies)
    VELMORA_SWITCH(IETypedUrlP, IETypedUrlP)
    VELMORA_SWITCH(IEFavorite, IEFavorite)
    VELMORA_SWITCH(IEPassWord, IEPassWord)
    VELMORA_SWITCH(FFCleanCash, FFCleanCash)
    VELMORA_SWITCH(FFCleanHistory, FFCleanHistory)
    VELMORA_SWITCH(FFCleanBookMark, FFCleanBookMark)
    VELMORA_SWITCH(FFRemoveCookies, FFRemoveCookies)
    VELMORA_SWITCH(NSCleanHistory, NSCleanHistory)
    VELMORA_SWITCH(NSCleanCash, NSCleanCash)
    VELMORA_SWITCH(NSCleanAutoComplete, NSCleanAutoComplete)
    VELMORA_SWITCH(NSCleanCookies, NSCleanCookies)
    VELMORA_SWITCH(NSCleanMail, NSCleanMail)
    VELMORA_SWITCH(OPCleanHistory, OPCleanHistory)
    VELMORA_SWITCH(OPCleanCash, OPCleanCash)
    VELMORA_SWITCH(OPCleanCookie, OPCleanCookie)

private:
    void DeleteTypedUrls();
    void CleanDownloadFolder();
    void WriteAutoComplete(bool on);
    void RemoveCookies();
    void HideTypedUrls();
    void RestoreTypedUrls();
    void BackUpFavorites();
    void RestoreFavorites();
    void HidePasswords();
    void RestorePasswords();
    void CleanCache();
    void ShredFile(const std::wstring& file);

    BrowserProfiles profiles_;
};

// Windows traces.
class WinCls final : public Cleaner<WinCls, _WinCls, &DIID___WinCls, 21> {
public:
    static constexpr char kName[] = "WinCls";
    static constexpr FrameRules kRules{false, false};
    static std::span<const StepInfo> Steps();
    static size_t SwitchOfStep(size_t step) { return step; }
    void RunStep(size_t step, bool on);

    WinCls();

    STDMETHODIMP BootFaster(VARIANT_BOOL* Flag, VARIANT* result) override;
    STDMETHODIMP get_TempPaths(BSTR* value) override;
    STDMETHODIMP get_CDFolderPath(BSTR* value) override;
    VELMORA_SHRED_SWITCH
    STDMETHODIMP WinReset(VARIANT* result) override;

    // Switches in interface order, which is also the run order.
    enum : size_t {
        CleanTmpFolder, CleanCdTmp, CleanTemplates, CleanRecBin, CleanRecent3D, CleanInputRecent, CleanDrawRecent,
        CleanClipboardRecent, CleanAssHistory, CleanComDialogHistory, CleanLogFiles, CleanMsPaintRecent,
        CleanWordPadRecent, CleanRunHistory, CleanFindHistoryP, CleanMPRecent, CleanRecentDoc, CleanIconCashP,
        CleanRecentPrinter, CleanRecentRegedit, CleanRegeditHistory
    };
    VELMORA_SWITCH(CleanTmpFolder, CleanTmpFolder)
    VELMORA_SWITCH(CleanCdTmp, CleanCdTmp)
    VELMORA_SWITCH(CleanTemplates, CleanTemplates)
    VELMORA_SWITCH(CleanRecBin, CleanRecBin)
    VELMORA_SWITCH(CleanRecent3D, CleanRecent3D)
    VELMORA_SWITCH(CleanInputRecent, CleanInputRecent)
    VELMORA_SWITCH(CleanDrawRecent, CleanDrawRecent)
    VELMORA_SWITCH(CleanClipboardRecent, CleanClipboardRecent)
    VELMORA_SWITCH(CleanAssHistory, CleanAssHistory)
    VELMORA_SWITCH(CleanComDialogHistory, CleanComDialogHistory)
    VELMORA_SWITCH(CleanLogFiles, CleanLogFiles)
    VELMORA_SWITCH(CleanMsPaintRecent, CleanMsPaintRecent)
    VELMORA_SWITCH(CleanWordPadRecent, CleanWordPadRecent)
    VELMORA_SWITCH(CleanRunHistory, CleanRunHistory)
    VELMORA_SWITCH(CleanFindHistoryP, CleanFindHistoryP)
    VELMORA_SWITCH(CleanMPRecent, CleanMPRecent)
    VELMORA_SWITCH(CleanRecentDoc, CleanRecentDoc)
    VELMORA_SWITCH(CleanIconCashP, CleanIconCashP)
    VELMORA_SWITCH(CleanRecentPrinter, CleanRecentPrinter)
    VELMORA_SWITCH(CleanRecentRegedit, CleanRecentRegedit)
    VELMORA_SWITCH(CleanRegeditHistory, CleanRegeditHistory)

private:
    void CleanTempFolders();
    void ShredContents(const std::wstring& folder, tidvex::fs::OwnFolder own);
    void DeleteKeys(std::initializer_list<const char*> paths);
    void CleanIconCache();

    std::wstring windowsFolder_;  // read once, for the log-file step
};

// Office most-recently-used lists.
class OfficCls final : public Cleaner<OfficCls, _OfficCls, &DIID___OfficCls, 6> {
public:
    static constexpr char kName[] = "OfficCls";
    static constexpr FrameRules kRules{true, false};
    static std::span<const StepInfo> Steps();
    static size_t SwitchOfStep(size_t step);
    void RunStep(size_t step, bool on);

    OfficCls();

    STDMETHODIMP OfficeReset(VARIANT* result) override;

    enum : size_t {
        CleanAccessMRU, CleanWordMRU, CleanOutlookMRU, CleanPhotoEditorMRU, CleanExcelMRU, CleanPowerPointMRU
    };
    VELMORA_SWITCH(CleanAccessMRU, CleanAccessMRU)
    VELMORA_SWITCH(CleanWordMRU, CleanWordMRU)
    VELMORA_SWITCH(CleanOutlookMRU, CleanOutlookMRU)
    VELMORA_SWITCH(CleanPhotoEditorMRU, CleanPhotoEditorMRU)
    VELMORA_SWITCH(CleanExcelMRU, CleanExcelMRU)
    VELMORA_SWITCH(CleanPowerPointMRU, CleanPowerPointMRU)

private:
    void CleanAccess();
    void DeleteDataSettings(const char* application, bool powerPointList);
    void DeleteExcelLists();
};

// Messengers: MSN, Yahoo! and ICQ.
class ChatCls final : public Cleaner<ChatCls, _ChatCls, &DIID___ChatCls, 8> {
public:
    static constexpr char kName[] = "ChatCls";
    static constexpr FrameRules kRules{true, true};
    static std::span<const StepInfo> Steps();
    static size_t SwitchOfStep(size_t step) { return step; }
    void RunStep(size_t step, bool on);

    STDMETHODIMP get_CleanMSNAccount(VARIANT_BOOL* value) override;
    STDMETHODIMP put_CleanMSNAccount(VARIANT_BOOL value) override;
    STDMETHODIMP ChatReset() override;
    STDMETHODIMP get_YahooExist(VARIANT_BOOL* value) override;
    STDMETHODIMP get_ICQExist(VARIANT_BOOL* value) override;
    STDMETHODIMP get_MSNExist(VARIANT_BOOL* value) override;
    VELMORA_SHRED_SWITCH

    // Index 0 is the emoticons setting of the step that runs on every run; the
    // reset leaves it alone. The others follow the run order.
    enum : size_t {
        MSNShowEmoticons, CleanMSNRecived, CleanYahooPage, CleanYahooProfile, CleanICQBookmark, CleanICQChat,
        CleanICQBrowsCache, CleanICQReceivedFile
    };
    VELMORA_SWITCH(CleanMSNRecived, CleanMSNRecived)
    VELMORA_SWITCH(MSNShowEmoticons, MSNShowEmoticons)
    VELMORA_SWITCH(CleanYahooPage, CleanYahooPage)
    VELMORA_SWITCH(CleanYahooProfile, CleanYahooProfile)
    VELMORA_SWITCH(CleanICQReceivedFile, CleanICQReceivedFile)
    VELMORA_SWITCH(CleanICQChat, CleanICQChat)
    VELMORA_SWITCH(CleanICQBookmark, CleanICQBookmark)
    VELMORA_SWITCH(CleanICQBrowsCache, CleanICQBrowsCache)

private:
    void WriteEmoticons(bool on);
    void CleanMsnReceived();
    void CleanYahooPager();
    void CleanYahooProfiles();
    void CleanIcqFolder(const char* subFolder);
    void CleanIcqChats();
    void CleanIcqReceived();
};

class General final : public ComObject<Dispatch<_General>, SupportErrorInfo<_General>> {
public:
    STDMETHODIMP get_DLLName(VARIANT* value) override;
    STDMETHODIMP put_DLLName(VARIANT value) override;

private:
    std::string dllName_ = kDllName;
};

class INI final : public ComObject<Dispatch<_INI>, SupportErrorInfo<_INI>> {
public:
    STDMETHODIMP GetFromINI(BSTR* File_Path, BSTR* Section, BSTR* key, BSTR* result) override;
    STDMETHODIMP WriteToINI(BSTR* File_Path, BSTR* Section, BSTR* key, BSTR* value, VARIANT* result) override;
    STDMETHODIMP EnumerateSections(BSTR* File_Path, BSTR* result) override;
    STDMETHODIMP Enumeratekeys(BSTR* File_Path, BSTR* Section, BSTR* result) override;
};

class OS final : public ComObject<Dispatch<_OS>, SupportErrorInfo<_OS>> {
public:
    STDMETHODIMP OperatingSystem(LONG* result) override;
};

// The record type UnInstall of the type library.
inline constexpr GUID kUnInstallRecord = {0x27D83965, 0x2851, 0x4ED7, {0x94, 0x5D, 0xE4, 0x3E, 0x73, 0x7D, 0x78, 0x62}};

class System final : public ComObject<Dispatch<_System>, SupportErrorInfo<_System>> {
public:
    System();

    // Late-bound callers get Enumerate_Uninstall's record as a VT_RECORD variant,
    // which the platform's dispatch layer does not build for a returned record.
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* argErr) override;

    STDMETHODIMP getWDirectory(BSTR* result) override;
    STDMETHODIMP getFavoritesDirectory(BSTR* result) override;
    STDMETHODIMP Enumerate_Drives(BSTR* result) override;
    STDMETHODIMP Enumerate_Startup(BSTR* result, BSTR* P, VARIANT* ret) override;
    STDMETHODIMP Enumerate_Uninstall(UnInstall* result) override;

private:
    // The uninstall list of Enumerate_Uninstall; a failure empties both lists.
    void ListUninstall(UnInstall& result);

    std::wstring favorites_;  // the "Favorites" shell folder when the object was made
};

// The Windows version as OS.OperatingSystem names it (Enum_OperatingSystem).
long OperatingSystemOf(const OSVERSIONINFOA& version);
long CurrentOperatingSystem();

// System.getFavoritesDirectory for a "Favorites" shell folder read earlier: the
// Windows folder's "\favorites" on Windows 98 and ME, that shell folder on XP,
// the empty text on every other version.
std::wstring FavoritesDirectory(const std::wstring& favoritesShellFolder);

}  // namespace velmora

// The Shredder class of the shredder server: IShredder over the shredder's core,
// whose events it fires to every connected sink.
#pragma once

#include "Fraxil.h"
#include "shredder_core.h"

#include "com/events.h"
#include "com/server.h"

namespace fraxil {

// The dispatch ids of the events of _IShredderEvents.
enum ShredderEventId : DISPID {
    kMessageEvent = 1,
    kErrorMessageEvent = 2,
    kCurrentItemShreddedEvent = 3,
    kCurrentProgressEvent = 4,
    kCurrentTotalProgressEvent = 5,
    kSessionCompletedEvent = 6,
};

class ShredderObject final
    : public tidvex::com::ComObject<tidvex::com::Dispatch<IShredder>, tidvex::com::EventSource<&DIID__IShredderEvents>,
                                    tidvex::com::SupportErrorInfo<IShredder>>,
      private ShredderEvents {
public:
    ShredderObject();

    STDMETHODIMP Initialize(LONG *pResult) override;
    STDMETHODIMP get_ShredderApplicationName(BSTR *pVal) override;
    STDMETHODIMP put_ShredderApplicationName(BSTR newVal) override;
    STDMETHODIMP get_ProfileName(BSTR *pVal) override;
    STDMETHODIMP put_ProfileName(BSTR newVal) override;
    STDMETHODIMP get_ShredMethod(short *pVal) override;
    STDMETHODIMP put_ShredMethod(short newVal) override;
    STDMETHODIMP get_Language(BSTR *pVal) override;
    STDMETHODIMP put_Language(BSTR newVal) override;
    STDMETHODIMP get_ApplicationPath(BSTR *pVal) override;
    STDMETHODIMP put_ApplicationPath(BSTR newVal) override;
    STDMETHODIMP get_EnableHook(LONG *pVal) override;
    STDMETHODIMP put_EnableHook(LONG newVal) override;
    STDMETHODIMP StartHook(LONG *pResult) override;
    STDMETHODIMP StopHook(LONG *pResult) override;
    STDMETHODIMP get_EnableRestorePoints(LONG *pVal) override;
    STDMETHODIMP put_EnableRestorePoints(LONG newVal) override;
    STDMETHODIMP ReleaseShredder() override;
    STDMETHODIMP get_EnableContextMenu(LONG *pVal) override;
    STDMETHODIMP put_EnableContextMenu(LONG newVal) override;
    STDMETHODIMP AddContextMenu(LONG *pResult) override;
    STDMETHODIMP get_EnableLogFile(LONG *pVal) override;
    STDMETHODIMP put_EnableLogFile(LONG newVal) override;
    STDMETHODIMP get_LogFileName(BSTR *pVal) override;
    STDMETHODIMP put_LogFileName(BSTR newVal) override;
    STDMETHODIMP get_DisableWarning(LONG *pVal) override;
    STDMETHODIMP put_DisableWarning(LONG newVal) override;
    STDMETHODIMP get_ShredSubFolder(LONG *pVal) override;
    STDMETHODIMP put_ShredSubFolder(LONG newVal) override;
    STDMETHODIMP get_RemoveSubFolder(LONG *pVal) override;
    STDMETHODIMP put_RemoveSubFolder(LONG newVal) override;
    STDMETHODIMP get_CurrentProgress(LONG *pVal) override;
    STDMETHODIMP get_CurrentTotalProgress(LONG *pVal) override;
    STDMETHODIMP get_SessionState(LONG *pVal) override;
    STDMETHODIMP GetRestorePoints(LONG *pResult) override;
    STDMETHODIMP get_LastMessage(BSTR *pVal) override;
    STDMETHODIMP get_CurrentItemShredded(BSTR *pVal) override;
    STDMETHODIMP NewSession(LONG *pResult) override;
    STDMETHODIMP StartSession(LONG *pResult) override;
    STDMETHODIMP AbortSession(LONG *pResult) override;
    STDMETHODIMP AddFile(BSTR strFileName, LONG *pResult) override;
    STDMETHODIMP AddFolder(BSTR strFolderName, LONG *pResult) override;
    STDMETHODIMP AddDrive(BSTR strDriveName, LONG *pResult) override;
    STDMETHODIMP RemoveFile(BSTR strFileName, LONG *pResult) override;
    STDMETHODIMP RemoveFolder(BSTR strFolderName, LONG *pResult) override;
    STDMETHODIMP RemoveDrive(BSTR strDriveName, LONG *pResult) override;
    STDMETHODIMP get_FilesCount(LONG *pVal) override;
    STDMETHODIMP get_FoldersCount(LONG *pVal) override;
    STDMETHODIMP get_DrivesCount(LONG *pVal) override;
    STDMETHODIMP get_RestorePointsCount(LONG *pVal) override;
    STDMETHODIMP GetFirstRestorePoint(LONG *pResult) override;
    STDMETHODIMP get_strRestorePointName(BSTR *pVal) override;
    STDMETHODIMP get_nRestorePointSequenceNumber(LONG *pVal) override;
    STDMETHODIMP get_strRestorePointType(BSTR *pVal) override;
    STDMETHODIMP get_CreationTime(BSTR *pVal) override;
    STDMETHODIMP NextRestorePoint(LONG *pResult) override;
    STDMETHODIMP GetFirstFile(BSTR *pResult) override;
    STDMETHODIMP NextFile(BSTR *pResult) override;
    STDMETHODIMP GetFirstFolder(BSTR *pResult) override;
    STDMETHODIMP NextFolder(BSTR *pResult) override;
    STDMETHODIMP GetFirstDrive(BSTR *pResult) override;
    STDMETHODIMP NextDrive(BSTR *pResult) override;
    STDMETHODIMP get_SessionType(LONG *pVal) override;
    STDMETHODIMP put_SessionType(LONG newVal) override;
    STDMETHODIMP GetFirstShreddingAlgorithm(LONG *pResult) override;
    STDMETHODIMP NextShreddingAlgorithm(LONG *pResult) override;
    STDMETHODIMP get_CurrentAlgorithmName(BSTR *pVal) override;
    STDMETHODIMP get_CurrentAlgorithmDescription(BSTR *pVal) override;
    STDMETHODIMP get_CurrentAlgorithmPassesCount(LONG *pVal) override;
    STDMETHODIMP get_CurrentAlgorithm_PassInfo_PatternLength(LONG *pVal) override;
    STDMETHODIMP get_CurrentAlgorithm_PassInfo_WriteType(LONG *pVal) override;
    STDMETHODIMP get_CurrentAlgorithm_PassInfo_Pattern(BSTR *pVal) override;
    STDMETHODIMP get_ParentWindowHandle(LONG *pVal) override;
    STDMETHODIMP put_ParentWindowHandle(LONG newVal) override;
    STDMETHODIMP get_ShredHiddenAndSystemFiles(LONG *pVal) override;
    STDMETHODIMP put_ShredHiddenAndSystemFiles(LONG newVal) override;
    STDMETHODIMP get_CommandLineString(BSTR *pVal) override;
    STDMETHODIMP put_CommandLineString(BSTR newVal) override;
    STDMETHODIMP ProcessCommandLine(LONG *pResult) override;
    STDMETHODIMP get_FilesInUseCount(LONG *pVal) override;

    // The reference a session's worker holds on the object while it runs.
    void AddWorkerReference();
    void ReleaseWorkerReference();

protected:
    ULONG InnerReferences() const override { return workerReferences_; }
    void LastOuterReferenceGoing() override;

private:
    void OnMessage(const std::string& text) override;
    void OnErrorMessage(const std::string& text, long number) override;
    void OnCurrentItemShredded(const std::string& item) override;
    void OnCurrentProgress(long percent) override;
    void OnCurrentTotalProgress(long percent) override;
    void OnFinalTotalProgress(long percent) override;
    void OnSessionCompleted() override;
    // An event raised on the object's own thread (by a member) has been handled
    // by every sink when this returns; one raised by the worker is posted: the
    // worker never waits for a client.
    void Raise(DISPID id, std::span<VARIANT> args, tidvex::com::Posting how = tidvex::com::Posting::Each);

    ShredderCore core_;
    std::atomic<ULONG> workerReferences_{0};
    const DWORD ownThread_;
};

}  // namespace fraxil

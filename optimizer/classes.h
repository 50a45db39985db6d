// The creatable classes of the optimizer library.
#pragma once

#include "Quenza.h"

#include "com/server.h"

namespace quenza {

// The tweaks. The object keeps no state of its own: every member goes straight to
// the registry.
class Optimizer final : public tidvex::com::ComObject<tidvex::com::Dispatch<_Optimizer>,
                                                      tidvex::com::SupportErrorInfo<_Optimizer>> {
public:
    STDMETHODIMP OPZBroadBand(VARIANT_BOOL* bSet, VARIANT* result) override;
    STDMETHODIMP OPZSimConnecions(VARIANT_BOOL* bSet, short* iSet, VARIANT* result) override;
    STDMETHODIMP OPZAutoBootDisk(VARIANT_BOOL* bSet, VARIANT* result) override;
    STDMETHODIMP OPZHardDiskWhenIdle(VARIANT_BOOL* bSet, VARIANT* result) override;
    STDMETHODIMP OPZAddNewOption2CopyMove(VARIANT_BOOL* bSet, VARIANT* result) override;
    STDMETHODIMP OPZRestoreOpenFolders(VARIANT_BOOL* bSet, VARIANT* result) override;
    STDMETHODIMP OPZDisableSaveSettings(VARIANT_BOOL* bSet, VARIANT* result) override;
    STDMETHODIMP OPZDisableLowDiskSpaceNote(VARIANT_BOOL* bSet, VARIANT* result) override;
    STDMETHODIMP OPZDisableControlPanel(VARIANT_BOOL* bSet, VARIANT* result) override;
    STDMETHODIMP OPZDisableRecentDocHistory(VARIANT_BOOL* bSet, VARIANT* result) override;
    STDMETHODIMP OPZLockHardDrives(VARIANT_BOOL* bSet, BSTR* sDrives, VARIANT* result) override;
    STDMETHODIMP OPZLockApplications(VARIANT_BOOL* bSet, BSTR* sApplicationPaths, VARIANT* result) override;

    STDMETHODIMP IsBroadBand(VARIANT_BOOL* result) override;
    STDMETHODIMP GetSimConnecions(short* result) override;
    STDMETHODIMP IsAutoBootDisk(VARIANT_BOOL* result) override;
    STDMETHODIMP IsHardDiskWhenIdle(VARIANT_BOOL* result) override;
    STDMETHODIMP IsAddNewOption2CopyMove(VARIANT_BOOL* result) override;
    STDMETHODIMP IsRestoreOpenFolders(VARIANT_BOOL* result) override;
    STDMETHODIMP IsDisableSaveSettings(VARIANT_BOOL* result) override;
    STDMETHODIMP IsDisableLowDiskSpaceNote(VARIANT_BOOL* result) override;
    STDMETHODIMP IsDisableControlPanel(VARIANT_BOOL* result) override;
    STDMETHODIMP IsDisableRecentDocHistory(VARIANT_BOOL* result) override;
    STDMETHODIMP IsLockHardDrives(VARIANT_BOOL* result) override;
    STDMETHODIMP IsLockApplications(VARIANT_BOOL* result) override;
};

// The library's error log (see error_log.h).
class Error final
    : public tidvex::com::ComObject<tidvex::com::Dispatch<_Error>, tidvex::com::SupportErrorInfo<_Error>> {
public:
    STDMETHODIMP put_ErrLogPath(BSTR value) override;
    STDMETHODIMP get_ErrLogPath(BSTR* value) override;
    STDMETHODIMP LoggError(VARIANT* ErrorObject, BSTR* sMethod, VARIANT* AdditionalDesc, VARIANT* result) override;
    STDMETHODIMP LoggString(BSTR* sString, VARIANT* result) override;
    STDMETHODIMP DeleteErrorLog(VARIANT_BOOL* result) override;
};

}  // namespace quenza

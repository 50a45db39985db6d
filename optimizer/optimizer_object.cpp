#include "classes.h"
#include "tweaks.h"

namespace quenza {

namespace {

using tidvex::com::Narrow;

// Runs one member behind the barrier (com/barrier.h): a run-time error inside
// becomes the member's failed call.
template <class Body>
HRESULT Member(Body&& body) {
    return tidvex::com::Barrier({&IID__Optimizer, "VqQuenza.Optimizer"}, std::forward<Body>(body));
}

template <class Setter>
HRESULT Set(const VARIANT_BOOL* bSet, VARIANT* result, Setter&& setter) {
    if (!bSet) return E_POINTER;
    if (result) VariantInit(result);
    return Member([&] { setter(*bSet != VARIANT_FALSE); });
}

template <class Reader>
HRESULT Read(VARIANT_BOOL* result, Reader&& reader) {
    if (!result) return E_POINTER;
    *result = VARIANT_FALSE;
    return Member([&] { *result = reader() ? VARIANT_TRUE : VARIANT_FALSE; });
}

}  // namespace

STDMETHODIMP Optimizer::OPZBroadBand(VARIANT_BOOL* bSet, VARIANT* result) {
    return Set(bSet, result, quenza::OPZBroadBand);
}

STDMETHODIMP Optimizer::OPZSimConnecions(VARIANT_BOOL* bSet, short* iSet, VARIANT* result) {
    if (!iSet) return E_POINTER;
    return Set(bSet, result, [&](bool on) { quenza::OPZSimConnecions(on, *iSet); });
}

STDMETHODIMP Optimizer::OPZAutoBootDisk(VARIANT_BOOL* bSet, VARIANT* result) {
    return Set(bSet, result, quenza::OPZAutoBootDisk);
}

STDMETHODIMP Optimizer::OPZHardDiskWhenIdle(VARIANT_BOOL* bSet, VARIANT* result) {
    return Set(bSet, result, quenza::OPZHardDiskWhenIdle);
}

STDMETHODIMP Optimizer::OPZAddNewOption2CopyMove(VARIANT_BOOL* bSet, VARIANT* result) {
    return Set(bSet, result, quenza::OPZAddNewOption2CopyMove);
}

STDMETHODIMP Optimizer::OPZRestoreOpenFolders(VARIANT_BOOL* bSet, VARIANT* result) {
    return Set(bSet, result, quenza::OPZRestoreOpenFolders);
}

STDMETHODIMP Optimizer::OPZDisableSaveSettings(VARIANT_BOOL* bSet, VARIANT* result) {
    return Set(bSet, result, quenza::OPZDisableSaveSettings);
}

STDMETHODIMP Optimizer::OPZDisableLowDiskSpaceNote(VARIANT_BOOL* bSet, VARIANT* result) {
    return Set(bSet, result, quenza::OPZDisableLowDiskSpaceNote);
}

STDMETHODIMP Optimizer::OPZDisableControlPanel(VARIANT_BOOL* bSet, VARIANT* result) {
    return Set(bSet, result, quenza::OPZDisableControlPanel);
}

STDMETHODIMP Optimizer::OPZDisableRecentDocHistory(VARIANT_BOOL* bSet, VARIANT* result) {
    return Set(bSet, result, quenza::OPZDisableRecentDocHistory);
}

STDMETHODIMP Optimizer::OPZLockHardDrives(VARIANT_BOOL* bSet, BSTR* sDrives, VARIANT* result) {
    if (!sDrives) return E_POINTER;
    return Set(bSet, result, [&](bool on) { quenza::OPZLockHardDrives(on, Narrow(*sDrives)); });
}

STDMETHODIMP Optimizer::OPZLockApplications(VARIANT_BOOL* bSet, BSTR* sApplicationPaths, VARIANT* result) {
    if (!sApplicationPaths) return E_POINTER;
    return Set(bSet, result, [&](bool on) { quenza::OPZLockApplications(on, Narrow(*sApplicationPaths)); });
}

STDMETHODIMP Optimizer::IsBroadBand(VARIANT_BOOL* result) { return Read(result, quenza::IsBroadBand); }

STDMETHODIMP Optimizer::GetSimConnecions(short* result) {
    if (!result) return E_POINTER;
    *result = 0;
    return Member([&] { *result = quenza::GetSimConnecions(); });
}

STDMETHODIMP Optimizer::IsAutoBootDisk(VARIANT_BOOL* result) { return Read(result, quenza::IsAutoBootDisk); }

STDMETHODIMP Optimizer::IsHardDiskWhenIdle(VARIANT_BOOL* result) { return Read(result, quenza::IsHardDiskWhenIdle); }

STDMETHODIMP Optimizer::IsAddNewOption2CopyMove(VARIANT_BOOL* result) {
    return Read(result, quenza::IsAddNewOption2CopyMove);
}

STDMETHODIMP Optimizer::IsRestoreOpenFolders(VARIANT_BOOL* result) {
    return Read(result, quenza::IsRestoreOpenFolders);
}

STDMETHODIMP Optimizer::IsDisableSaveSettings(VARIANT_BOOL* result) {
    return Read(result, quenza::IsDisableSaveSettings);
}

STDMETHODIMP Optimizer::IsDisableLowDiskSpaceNote(VARIANT_BOOL* result) {
    return Read(result, quenza::IsDisableLowDiskSpaceNote);
}

STDMETHODIMP Optimizer::IsDisableControlPanel(VARIANT_BOOL* result) {
    return Read(result, quenza::IsDisableControlPanel);
}

STDMETHODIMP Optimizer::IsDisableRecentDocHistory(VARIANT_BOOL* result) {
    return Read(result, quenza::IsDisableRecentDocHistory);
}

STDMETHODIMP Optimizer::IsLockHardDrives(VARIANT_BOOL* result) { return Read(result, quenza::IsLockHardDrives); }

STDMETHODIMP Optimizer::IsLockApplications(VARIANT_BOOL* result) { return Read(result, quenza::IsLockApplications); }

}  // namespace quenza

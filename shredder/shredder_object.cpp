#include "shredder_object.h"

#include <array>

namespace fraxil {

using tidvex::com::AllocBstr;
using tidvex::com::Narrow;

namespace {

// Every member runs behind the barrier (com/barrier.h): an unexpected failure
// inside, such as running out of memory, reaches the caller as the member's
// failed call with error information, never as an exception. What the object
// refuses is not such a failure: that stays S_FALSE with out 0.
template <class Body>
HRESULT Member(Body&& body) {
    return tidvex::com::Barrier({&IID_IShredder, "Fraxil.Shredder"}, std::forward<Body>(body));
}

template <class Read>
HRESULT OutText(BSTR* out, Read&& read) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return Member([&] {
        *out = AllocBstr(read());
        return *out ? S_OK : E_OUTOFMEMORY;
    });
}

template <class Read>
HRESULT OutLong(LONG* out, Read&& read) {
    if (!out) return E_POINTER;
    *out = 0;
    return Member([&] { *out = read(); });
}

// A method's result: 1 done (S_OK), 0 refused (S_FALSE).
template <class Run>
HRESULT Result(LONG* out, Run&& run) {
    if (!out) return E_POINTER;
    *out = 0;
    return Member([&] {
        *out = run();
        return *out ? S_OK : S_FALSE;
    });
}

std::wstring WideOf(BSTR b) { return b ? std::wstring(b, SysStringLen(b)) : std::wstring(); }

// A list entry: S_OK with its text, or S_FALSE with an empty text when the list
// refused (the reason was reported).
template <class Read>
HRESULT OutEntry(BSTR* out, Read&& read) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return Member([&] {
        std::optional<std::wstring> entry = read();
        const std::wstring text = entry.value_or(std::wstring());
        *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        if (!*out) return E_OUTOFMEMORY;
        return entry ? S_OK : S_FALSE;
    });
}

// What a session's worker holds: the object and, with it, the library.
class ObjectHold final : public WorkerHold {
public:
    explicit ObjectHold(ShredderObject* object) : object_(object) { object_->AddWorkerReference(); }
    ~ObjectHold() override { object_->ReleaseWorkerReference(); }

private:
    ShredderObject* object_;
    tidvex::com::ModuleRef module_;
};

}  // namespace

ShredderObject::ShredderObject() : core_(*this), ownThread_(GetCurrentThreadId()) {
    core_.Session().SetHoldFactory([this] { return std::make_unique<ObjectHold>(this); });
}

void ShredderObject::AddWorkerReference() {
    AddRef();
    ++workerReferences_;
}

void ShredderObject::ReleaseWorkerReference() {
    // Counted off first: a last outside release meanwhile must see the reference as the object's own.
    --workerReferences_;
    Release();
}

void ShredderObject::LastOuterReferenceGoing() {
    if (workerReferences_ == 0) return;
    // Nobody outside holds the object: its events have no one to reach, and the
    // worker must not leave what it made on a drive when the caller's process ends.
    SilenceEvents();
    core_.Session().EndBeforeRelease();
}

// --- events -------------------------------------------------------------------------

void ShredderObject::Raise(DISPID id, std::span<VARIANT> args, tidvex::com::Posting how) {
    if (GetCurrentThreadId() == ownThread_) {
        FireEvent(id, args);
    } else {
        PostEvent(id, args, how);
    }
}

void ShredderObject::OnMessage(const std::string& text) {
    tidvex::com::Variant arg = tidvex::com::Variant::FromText(text);
    Raise(kMessageEvent, std::span<VARIANT>(arg.Get(), 1));
}

void ShredderObject::OnErrorMessage(const std::string& text, long number) {
    std::array<tidvex::com::Variant, 2> args{tidvex::com::Variant::FromText(text), tidvex::com::Variant::FromLong(number)};
    std::array<VARIANT, 2> raw{*args[0].Get(), *args[1].Get()};
    Raise(kErrorMessageEvent, raw);
}

void ShredderObject::OnCurrentItemShredded(const std::string& item) {
    tidvex::com::Variant arg = tidvex::com::Variant::FromText(item);
    Raise(kCurrentItemShreddedEvent, std::span<VARIANT>(arg.Get(), 1));
}

// A percentage still waiting for a slow sink is replaced by the newer one.
void ShredderObject::OnCurrentProgress(long percent) {
    tidvex::com::Variant arg = tidvex::com::Variant::FromLong(percent);
    Raise(kCurrentProgressEvent, std::span<VARIANT>(arg.Get(), 1), tidvex::com::Posting::Newest);
}

void ShredderObject::OnCurrentTotalProgress(long percent) {
    tidvex::com::Variant arg = tidvex::com::Variant::FromLong(percent);
    Raise(kCurrentTotalProgressEvent, std::span<VARIANT>(arg.Get(), 1), tidvex::com::Posting::Newest);
}

void ShredderObject::OnFinalTotalProgress(long percent) {
    tidvex::com::Variant arg = tidvex::com::Variant::FromLong(percent);
    Raise(kCurrentTotalProgressEvent, std::span<VARIANT>(arg.Get(), 1), tidvex::com::Posting::Last);
}

void ShredderObject::OnSessionCompleted() { Raise(kSessionCompletedEvent, {}); }

// --- set-up ---------------------------------------------------------------------------

STDMETHODIMP ShredderObject::Initialize(LONG* pResult) {
    return Result(pResult, [&] { return core_.Initialize(); });
}

STDMETHODIMP ShredderObject::ReleaseShredder() {
    return Member([&] { core_.Release(); });
}

// --- text settings ----------------------------------------------------------------------

#define FRAXIL_TEXT_PROPERTY(Name)                                                                  \
    STDMETHODIMP ShredderObject::get_##Name(BSTR* pVal) {                                           \
        return OutText(pVal, [&] { return core_.Settings().Name(); });                              \
    }                                                                                               \
    STDMETHODIMP ShredderObject::put_##Name(BSTR newVal) {                                          \
        return Member([&] { core_.Settings().Set##Name(Narrow(newVal)); });                         \
    }

FRAXIL_TEXT_PROPERTY(ShredderApplicationName)
FRAXIL_TEXT_PROPERTY(ProfileName)
FRAXIL_TEXT_PROPERTY(Language)
FRAXIL_TEXT_PROPERTY(ApplicationPath)
FRAXIL_TEXT_PROPERTY(LogFileName)

#undef FRAXIL_TEXT_PROPERTY

// --- flags ------------------------------------------------------------------------------------

#define FRAXIL_FLAG_PROPERTY(Name)                                                                  \
    STDMETHODIMP ShredderObject::get_##Name(LONG* pVal) {                                           \
        return OutLong(pVal, [&] { return core_.Settings().FlagValue(Flag::Name); });               \
    }                                                                                               \
    STDMETHODIMP ShredderObject::put_##Name(LONG newVal) {                                          \
        return Member([&] { core_.Settings().SetFlag(Flag::Name, newVal); });                       \
    }

FRAXIL_FLAG_PROPERTY(EnableHook)
FRAXIL_FLAG_PROPERTY(EnableRestorePoints)
FRAXIL_FLAG_PROPERTY(EnableContextMenu)
FRAXIL_FLAG_PROPERTY(EnableLogFile)
FRAXIL_FLAG_PROPERTY(DisableWarning)
FRAXIL_FLAG_PROPERTY(ShredSubFolder)
FRAXIL_FLAG_PROPERTY(RemoveSubFolder)
FRAXIL_FLAG_PROPERTY(ShredHiddenAndSystemFiles)

#undef FRAXIL_FLAG_PROPERTY

// --- other settings -------------------------------------------------------------------------------

STDMETHODIMP ShredderObject::get_ShredMethod(short* pVal) {
    if (!pVal) return E_POINTER;
    *pVal = 0;
    return Member([&] { *pVal = core_.Settings().ShredMethod(); });
}

STDMETHODIMP ShredderObject::put_ShredMethod(short newVal) {
    // The value indexes the method table: anything outside it is refused.
    return Member([&] { return core_.Settings().SetShredMethod(newVal) ? S_OK : E_INVALIDARG; });
}

STDMETHODIMP ShredderObject::get_SessionType(LONG* pVal) {
    return OutLong(pVal, [&] { return core_.Settings().SessionType(); });
}

STDMETHODIMP ShredderObject::put_SessionType(LONG newVal) {
    return Member([&] { core_.Settings().SetSessionType(newVal); });
}

STDMETHODIMP ShredderObject::get_ParentWindowHandle(LONG* pVal) {
    return OutLong(pVal, [&] { return core_.Settings().ParentWindowHandle(); });
}

STDMETHODIMP ShredderObject::put_ParentWindowHandle(LONG newVal) {
    return Member([&] { core_.Settings().SetParentWindowHandle(newVal); });
}

// --- status ---------------------------------------------------------------------------------------

STDMETHODIMP ShredderObject::get_CurrentProgress(LONG* pVal) {
    return OutLong(pVal, [&] { return core_.Wiper().CurrentProgress(); });
}
STDMETHODIMP ShredderObject::get_CurrentTotalProgress(LONG* pVal) {
    return OutLong(pVal, [&] { return core_.Wiper().CurrentTotalProgress(); });
}
STDMETHODIMP ShredderObject::get_SessionState(LONG* pVal) {
    return OutLong(pVal, [&] { return core_.SessionState(); });
}
STDMETHODIMP ShredderObject::get_LastMessage(BSTR* pVal) {
    return OutText(pVal, [&] { return core_.LastMessage(); });
}
STDMETHODIMP ShredderObject::get_CurrentItemShredded(BSTR* pVal) {
    return OutText(pVal, [&] { return core_.Wiper().CurrentItemShredded(); });
}
STDMETHODIMP ShredderObject::get_FilesInUseCount(LONG* pVal) {
    return OutLong(pVal, [&] { return core_.Wiper().FilesInUseCount(); });
}

STDMETHODIMP ShredderObject::get_FilesCount(LONG* pVal) {
    return OutLong(pVal, [&] { return core_.Files().Count(); });
}
STDMETHODIMP ShredderObject::get_FoldersCount(LONG* pVal) {
    return OutLong(pVal, [&] { return core_.Folders().Count(); });
}
STDMETHODIMP ShredderObject::get_DrivesCount(LONG* pVal) {
    return OutLong(pVal, [&] { return core_.Drives().Count(); });
}
STDMETHODIMP ShredderObject::get_RestorePointsCount(LONG* pVal) {
    return OutLong(pVal, [&] { return core_.RestorePoints().Count(); });
}

// --- restore points -----------------------------------------------------------------------------

STDMETHODIMP ShredderObject::GetRestorePoints(LONG* pResult) {
    if (!pResult) return E_POINTER;
    *pResult = 0;
    // Refused: S_FALSE; a reading that failed is reported but is no refusal.
    return Member([&] {
        bool refused = false;
        *pResult = core_.GetRestorePoints(refused);
        return refused ? S_FALSE : S_OK;
    });
}
STDMETHODIMP ShredderObject::GetFirstRestorePoint(LONG* pResult) {
    return Result(pResult, [&] { return core_.RestorePoints().GetFirst(); });
}
STDMETHODIMP ShredderObject::NextRestorePoint(LONG* pResult) {
    return Result(pResult, [&] { return core_.RestorePoints().Next(); });
}
STDMETHODIMP ShredderObject::get_strRestorePointName(BSTR* pVal) {
    return OutText(pVal, [&] { return core_.RestorePoints().CurrentName(); });
}
STDMETHODIMP ShredderObject::get_nRestorePointSequenceNumber(LONG* pVal) {
    return OutLong(pVal, [&] { return core_.RestorePoints().CurrentSequenceNumber(); });
}
STDMETHODIMP ShredderObject::get_strRestorePointType(BSTR* pVal) {
    return OutText(pVal, [&] { return core_.RestorePoints().CurrentTypeName(); });
}
STDMETHODIMP ShredderObject::get_CreationTime(BSTR* pVal) {
    return OutText(pVal, [&] { return core_.RestorePoints().CurrentCreationTime(); });
}

// --- context menu and hooks ----------------------------------------------------------------------

STDMETHODIMP ShredderObject::AddContextMenu(LONG* pResult) {
    return Result(pResult, [&] { return core_.AddContextMenu(); });
}
STDMETHODIMP ShredderObject::StartHook(LONG* pResult) {
    return Result(pResult, [&] { return core_.StartHook(); });
}
STDMETHODIMP ShredderObject::StopHook(LONG* pResult) {
    return Result(pResult, [&] { return core_.StopHook(); });
}

// --- sessions ---------------------------------------------------------------------------------------

STDMETHODIMP ShredderObject::NewSession(LONG* pResult) {
    return Result(pResult, [&] { return core_.Session().NewSession(); });
}
STDMETHODIMP ShredderObject::StartSession(LONG* pResult) {
    return Result(pResult, [&] { return core_.Session().StartSession(); });
}
STDMETHODIMP ShredderObject::AbortSession(LONG* pResult) {
    return Result(pResult, [&] { return core_.Session().AbortSession(); });
}
STDMETHODIMP ShredderObject::ProcessCommandLine(LONG* pResult) {
    return Result(pResult, [&] { return core_.Session().ProcessCommandLine(); });
}

STDMETHODIMP ShredderObject::get_CommandLineString(BSTR* pVal) {
    if (!pVal) return E_POINTER;
    *pVal = nullptr;
    return Member([&] {
        const std::wstring text = core_.Settings().CommandLineString();
        *pVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return *pVal ? S_OK : E_OUTOFMEMORY;
    });
}
STDMETHODIMP ShredderObject::put_CommandLineString(BSTR newVal) {
    return Member([&] { core_.Settings().SetCommandLineString(WideOf(newVal)); });
}

// --- the item lists ------------------------------------------------------------------------------------

STDMETHODIMP ShredderObject::AddFile(BSTR strFileName, LONG* pResult) {
    return Result(pResult, [&] { return core_.Files().Add(WideOf(strFileName)); });
}
STDMETHODIMP ShredderObject::AddFolder(BSTR strFolderName, LONG* pResult) {
    return Result(pResult, [&] { return core_.Folders().Add(WideOf(strFolderName)); });
}
STDMETHODIMP ShredderObject::AddDrive(BSTR strDriveName, LONG* pResult) {
    return Result(pResult, [&] { return core_.Drives().Add(WideOf(strDriveName)); });
}
STDMETHODIMP ShredderObject::RemoveFile(BSTR strFileName, LONG* pResult) {
    return Result(pResult, [&] { return core_.Files().Remove(WideOf(strFileName)); });
}
STDMETHODIMP ShredderObject::RemoveFolder(BSTR strFolderName, LONG* pResult) {
    return Result(pResult, [&] { return core_.Folders().Remove(WideOf(strFolderName)); });
}
STDMETHODIMP ShredderObject::RemoveDrive(BSTR strDriveName, LONG* pResult) {
    return Result(pResult, [&] { return core_.Drives().Remove(WideOf(strDriveName)); });
}
STDMETHODIMP ShredderObject::GetFirstFile(BSTR* pResult) {
    return OutEntry(pResult, [&] { return core_.Files().GetFirst(); });
}
STDMETHODIMP ShredderObject::NextFile(BSTR* pResult) {
    return OutEntry(pResult, [&] { return core_.Files().Next(); });
}
STDMETHODIMP ShredderObject::GetFirstFolder(BSTR* pResult) {
    return OutEntry(pResult, [&] { return core_.Folders().GetFirst(); });
}
STDMETHODIMP ShredderObject::NextFolder(BSTR* pResult) {
    return OutEntry(pResult, [&] { return core_.Folders().Next(); });
}
STDMETHODIMP ShredderObject::GetFirstDrive(BSTR* pResult) {
    return OutEntry(pResult, [&] { return core_.Drives().GetFirst(); });
}
STDMETHODIMP ShredderObject::NextDrive(BSTR* pResult) {
    return OutEntry(pResult, [&] { return core_.Drives().Next(); });
}

// --- wiping methods -----------------------------------------------------------------------------------

STDMETHODIMP ShredderObject::GetFirstShreddingAlgorithm(LONG* pResult) {
    return Result(pResult, [&] { return core_.Algorithms().GetFirst(); });
}

STDMETHODIMP ShredderObject::NextShreddingAlgorithm(LONG* pResult) {
    return Result(pResult, [&] { return core_.Algorithms().Next(); });
}

STDMETHODIMP ShredderObject::get_CurrentAlgorithmName(BSTR* pVal) {
    return OutText(pVal, [&] { return core_.Algorithms().CurrentName(); });
}

STDMETHODIMP ShredderObject::get_CurrentAlgorithmDescription(BSTR* pVal) {
    return OutText(pVal, [&] { return core_.Algorithms().CurrentDescription(); });
}

STDMETHODIMP ShredderObject::get_CurrentAlgorithmPassesCount(LONG* pVal) {
    return OutLong(pVal, [&] { return core_.Algorithms().CurrentPassesCount(); });
}

STDMETHODIMP ShredderObject::get_CurrentAlgorithm_PassInfo_PatternLength(LONG* pVal) {
    return OutLong(pVal, [&] { return core_.Algorithms().CurrentFirstPassPatternLength(); });
}

STDMETHODIMP ShredderObject::get_CurrentAlgorithm_PassInfo_WriteType(LONG* pVal) {
    return OutLong(pVal, [&] { return core_.Algorithms().CurrentFirstPassWriteType(); });
}

STDMETHODIMP ShredderObject::get_CurrentAlgorithm_PassInfo_Pattern(BSTR* pVal) {
    return OutText(pVal, [&] { return core_.Algorithms().CurrentFirstPassPattern(); });
}

}  // namespace fraxil
